// keydecoder.h - key presses from the bytes a terminal sends.
//
// The dialog's logic is written against the platform's virtual keys and modifiers; this gives it
// them from escape sequences and typed characters.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

#include "dialogmanager.h"

// Virtual key codes of the keys the terminal front end handles besides those of conditionview.h
// and dialogmanager.h.
enum {
    VKEY_BACK = 0x08,
    VKEY_PRIOR = 0x21,
    VKEY_NEXT = 0x22,
    VKEY_END = 0x23,
    VKEY_HOME = 0x24,
    VKEY_INSERT = 0x2D,
    VKEY_DELETE = 0x2E,
    VKEY_F1 = 0x70,
    VKEY_PROCESSKEY = 0xE5  // a character that has no key of its own (input method)
};

// One key press as the terminal reports it.
struct StTERMKEY {
    int virtualKey;  // VKEY_ code; 0 for nothing
    bool shift, control, alt;
    std::string text;  // the character typed, in the terminal's encoding; empty for keys that type nothing
};

// Turns the bytes a terminal sends into key presses. Escape sequences: CSI (ESC [) with xterm
// modifier parameters ("1;5C", "24;2~", "13;2u"), SS3 (ESC O), ESC + key as Alt + key.
class ClKeyDecoder {
public:
    // utf8: characters arrive in UTF-8; otherwise as Shift-JIS bytes.
    explicit ClKeyDecoder(bool utf8) : m_utf8(utf8) {}

    void Feed(const char* bytes, size_t count) { m_pending.append(bytes, count); }
    // The next key. False when nothing complete is pending; flush (no more bytes came in time)
    // takes what is pending as it stands, so that ESC alone is the Esc key.
    bool Next(StTERMKEY& key, bool flush);
    bool HasPending() const { return !m_pending.empty(); }

private:
    // Done: a key; NeedMore: wait for more bytes; Ignore: bytes that make no key;
    // NotSequence: ESC [ or ESC O that starts no sequence (then it is Alt with that key).
    enum Result { Done, NeedMore, Ignore, NotSequence };
    // Decodes one key at the start of bytes; consumed tells how many bytes it took.
    Result Decode(const std::string& bytes, bool flush, StTERMKEY& key, size_t& consumed) const;
    // A control sequence: its parameters (those not given are marked so) and its final byte.
    struct StCSI {
        std::vector<long> parameters;
        std::vector<bool> given;
        char final;
        long Parameter(size_t n, long fallback) const { return n < parameters.size() && given[n] ? parameters[n] : fallback; }
    };
    Result DecodeCsi(const std::string& bytes, bool flush, StTERMKEY& key, size_t& consumed) const;
    Result DecodeSs3(const std::string& bytes, bool flush, StTERMKEY& key, size_t& consumed) const;
    static Result ParseCsi(const std::string& bytes, bool flush, StCSI& csi, size_t& consumed);
    Result DecodeCharacter(const std::string& bytes, bool flush, StTERMKEY& key, size_t& consumed) const;

    bool m_utf8;
    std::string m_pending;
};
