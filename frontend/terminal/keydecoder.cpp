// keydecoder.cpp - the bytes a terminal sends for a key, turned into the key and its modifiers.
#include "keydecoder.h"

#include <cstring>
#include <vector>

#include "sjisbytes.h"

namespace {

// xterm's modifier parameter: 1 + (1 Shift, 2 Alt, 4 Ctrl, 8 Meta).
void ApplyModifiers(int parameter, StTERMKEY& key) {
    if (parameter < 2) return;
    const int bits = parameter - 1;
    key.shift = key.shift || (bits & 1) != 0;
    key.alt = key.alt || (bits & 2) != 0 || (bits & 8) != 0;
    key.control = key.control || (bits & 4) != 0;
}

// The key of a printable ASCII character on a US layout, with the Shift it takes.
void KeyOfAscii(unsigned char c, StTERMKEY& key) {
    key.text.assign(1, static_cast<char>(c));
    if (c >= 'a' && c <= 'z') {
        key.virtualKey = c - 'a' + 'A';
    } else if (c >= 'A' && c <= 'Z') {
        key.virtualKey = c;
        key.shift = true;
    } else if (c >= '0' && c <= '9') {
        key.virtualKey = c;
    } else if (c == ' ') {
        key.virtualKey = VKEY_SPACE;
    } else {
        static const char shiftedDigits[] = ")!@#$%^&*(";
        static const struct {
            char plain, shifted;
            int key;
        } oem[] = {{';', ':', 0xBA},  {'=', '+', 0xBB}, {',', '<', 0xBC}, {'-', '_', 0xBD},
                   {'.', '>', 0xBE},  {'/', '?', 0xBF}, {'`', '~', 0xC0}, {'[', '{', 0xDB},
                   {'\\', '|', 0xDC}, {']', '}', 0xDD}, {'\'', '"', 0xDE}};
        const char* digit = std::strchr(shiftedDigits, c);
        if (digit) {
            key.virtualKey = '0' + static_cast<int>(digit - shiftedDigits);
            key.shift = true;
            return;
        }
        for (const auto& entry : oem) {
            if (c == static_cast<unsigned char>(entry.plain) ||
                c == static_cast<unsigned char>(entry.shifted)) {
                key.virtualKey = entry.key;
                key.shift = c == static_cast<unsigned char>(entry.shifted);
                return;
            }
        }
        key.virtualKey = VKEY_PROCESSKEY;
    }
}

// A key given by its character code, as CSI u and xterm's modifyOtherKeys report it.
void KeyOfCode(long code, bool utf8, StTERMKEY& key) {
    switch (code) {
        case 9:
            key.virtualKey = VKEY_TAB;
            return;
        case 13:
            key.virtualKey = VKEY_RETURN;
            return;
        case 27:
            key.virtualKey = VKEY_ESCAPE;
            return;
        case 8:
        case 127:
            key.virtualKey = VKEY_BACK;
            return;
        default:
            break;
    }
    if (code >= 0x20 && code < 0x7F) {
        KeyOfAscii(static_cast<unsigned char>(code), key);
        return;
    }
    if (code < 0x80 || code > 0x10FFFF || !utf8) return;
    std::string text;
    if (code < 0x800) {
        text += static_cast<char>(0xC0 | (code >> 6));
    } else if (code < 0x10000) {
        text += static_cast<char>(0xE0 | (code >> 12));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    } else {
        text += static_cast<char>(0xF0 | (code >> 18));
        text += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
        text += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
    }
    text += static_cast<char>(0x80 | (code & 0x3F));
    key.virtualKey = VKEY_PROCESSKEY;
    key.text = text;
}

}  // namespace

bool ClKeyDecoder::Next(StTERMKEY& key, bool flush) {
    while (!m_pending.empty()) {
        StTERMKEY decoded{0, false, false, false, ""};
        size_t consumed = 0;
        const Result result = Decode(m_pending, flush, decoded, consumed);
        if (result == NeedMore) return false;
        m_pending.erase(0, consumed == 0 ? 1 : consumed);
        if (result == Done) {
            // With Ctrl or Alt held a key types nothing.
            if (decoded.control || decoded.alt) decoded.text.clear();
            key = decoded;
            return true;
        }
    }
    return false;
}

ClKeyDecoder::Result ClKeyDecoder::Decode(const std::string& bytes, bool flush, StTERMKEY& key,
                                          size_t& consumed) const {
    const unsigned char c = static_cast<unsigned char>(bytes[0]);
    consumed = 1;
    if (c == 0x1B) {
        if (bytes.size() == 1) {
            if (!flush) return NeedMore;
            key.virtualKey = VKEY_ESCAPE;
            return Done;
        }
        if (bytes[1] == '[' || bytes[1] == 'O') {
            const Result result = DecodeCsi(bytes, flush, key, consumed);
            if (result != NotSequence) return result;
        }
        // ESC before a key: that key with Alt, as terminals send Meta.
        const std::string rest = bytes.substr(1);
        size_t used = 0;
        Result result;
        if (rest[0] == 0x1B && !(rest.size() > 1 && (rest[1] == '[' || rest[1] == 'O'))) {
            key.virtualKey = VKEY_ESCAPE;
            used = 1;
            result = Done;
        } else {
            result = Decode(rest, flush, key, used);
        }
        if (result == NeedMore) return NeedMore;
        if (result != Done) {
            key = StTERMKEY{VKEY_ESCAPE, false, false, false, ""};
            consumed = 1;
            return Done;
        }
        key.alt = true;
        consumed = 1 + used;
        return Done;
    }
    if (c == 0x0D) {
        key.virtualKey = VKEY_RETURN;
    } else if (c == 0x0A) {
        key.virtualKey = VKEY_RETURN;  // Ctrl+J, what some terminals send for Ctrl+Enter
        key.control = true;
    } else if (c == 0x09) {
        key.virtualKey = VKEY_TAB;
    } else if (c == 0x7F || c == 0x08) {
        key.virtualKey = VKEY_BACK;
    } else if (c == 0x00) {
        key.virtualKey = VKEY_SPACE;
        key.control = true;
    } else if (c <= 0x1A) {
        key.virtualKey = 'A' + c - 1;
        key.control = true;
    } else if (c < 0x20) {
        return Ignore;
    } else if (c < 0x7F) {
        KeyOfAscii(c, key);
    } else {
        return DecodeCharacter(bytes, flush, key, consumed);
    }
    return Done;
}

// The cursor keys share their final byte in both the ESC O and the ESC [ forms; 0 for others.
static int CursorKey(char final) {
    switch (final) {
        case 'A':
            return VKEY_UP;
        case 'B':
            return VKEY_DOWN;
        case 'C':
            return VKEY_RIGHT;
        case 'D':
            return VKEY_LEFT;
        case 'H':
            return VKEY_HOME;
        case 'F':
            return VKEY_END;
        default:
            return 0;
    }
}

// ESC O and one letter (the keypad's application mode): the cursor keys, Enter and F1 to F4.
ClKeyDecoder::Result ClKeyDecoder::DecodeSs3(const std::string& bytes, bool flush, StTERMKEY& key,
                                             size_t& consumed) const {
    if (bytes.size() < 3) return flush ? NotSequence : NeedMore;
    consumed = 3;
    if (const int cursor = CursorKey(bytes[2])) {
        key.virtualKey = cursor;
        return Done;
    }
    switch (bytes[2]) {
        case 'M':
            key.virtualKey = VKEY_RETURN;
            return Done;
        case 'P':
        case 'Q':
        case 'R':
        case 'S':
            key.virtualKey = VKEY_F1 + (bytes[2] - 'P');
            return Done;
        default:
            consumed = 1;
            return NotSequence;
    }
}

// ESC [ parameters (0x30-0x3F), intermediates (0x20-0x2F), final (0x40-0x7E): Done with the
// sequence in csi and its length in consumed.
ClKeyDecoder::Result ClKeyDecoder::ParseCsi(const std::string& bytes, bool flush, StCSI& csi, size_t& consumed) {
    csi.parameters.assign(1, 0);
    csi.given.assign(1, false);
    size_t i = 2;
    for (; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b >= '0' && b <= '9') {
            if (csi.parameters.back() < 100000) csi.parameters.back() = csi.parameters.back() * 10 + (b - '0');
            csi.given.back() = true;
        } else if (b == ';' || b == ':') {
            csi.parameters.push_back(0);
            csi.given.push_back(false);
        } else if (b >= 0x40 && b <= 0x7E) {
            break;
        } else if (b < 0x20 || b > 0x3F) {
            return NotSequence;  // private markers ("?", "<") and intermediates belong to it
        }
        if (i > 40) return NotSequence;
    }
    if (i >= bytes.size()) return flush ? NotSequence : NeedMore;
    consumed = i + 1;
    csi.final = bytes[i];
    return Done;
}

namespace {

// The key of "ESC [ n ~": the editing keys and F1 to F12; 0 for a number without one (bracketed
// paste markers and keys the dialog has no use for).
int TildeKey(long number) {
    static const struct {
        long number;
        int key;
    } kKeys[] = {{1, VKEY_HOME},       {7, VKEY_HOME},       {4, VKEY_END},        {8, VKEY_END},
                 {2, VKEY_INSERT},     {3, VKEY_DELETE},     {5, VKEY_PRIOR},      {6, VKEY_NEXT},
                 {11, VKEY_F1},        {12, VKEY_F1 + 1},    {13, VKEY_F1 + 2},    {14, VKEY_F1 + 3},
                 {15, VKEY_F1 + 4},    {17, VKEY_F1 + 5},    {18, VKEY_F1 + 6},    {19, VKEY_F1 + 7},
                 {20, VKEY_F1 + 8},    {21, VKEY_F1 + 9},    {23, VKEY_F1 + 10},   {24, VKEY_F12}};
    for (const auto& entry : kKeys)
        if (entry.number == number) return entry.key;
    return 0;
}

}  // namespace

ClKeyDecoder::Result ClKeyDecoder::DecodeCsi(const std::string& bytes, bool flush, StTERMKEY& key,
                                             size_t& consumed) const {
    if (bytes[1] == 'O') return DecodeSs3(bytes, flush, key, consumed);
    StCSI csi;
    const Result parsed = ParseCsi(bytes, flush, csi, consumed);
    if (parsed != Done) return parsed;
    ApplyModifiers(static_cast<int>(csi.Parameter(1, 1)), key);
    if (const int cursor = CursorKey(csi.final)) {
        key.virtualKey = cursor;
        return Done;
    }
    switch (csi.final) {
        case 'Z':
            key.virtualKey = VKEY_TAB;
            key.shift = true;
            return Done;
        case 'P':
        case 'Q':
        case 'R':
        case 'S':
            key.virtualKey = VKEY_F1 + (csi.final - 'P');
            return Done;
        case 'u':
            KeyOfCode(csi.Parameter(0, 0), m_utf8, key);
            break;
        case '~':
            // xterm's modifyOtherKeys: ESC [ 27 ; modifiers ; code ~
            if (csi.Parameter(0, 0) == 27)
                KeyOfCode(csi.Parameter(2, 0), m_utf8, key);
            else
                key.virtualKey = TildeKey(csi.Parameter(0, 0));
            break;
        default:
            return Ignore;
    }
    return key.virtualKey ? Done : Ignore;
}

ClKeyDecoder::Result ClKeyDecoder::DecodeCharacter(const std::string& bytes, bool flush, StTERMKEY& key,
                                                   size_t& consumed) const {
    const unsigned char c = static_cast<unsigned char>(bytes[0]);
    consumed = 1;
    size_t length = 1;
    if (m_utf8) {
        if (c >= 0xC2 && c <= 0xDF)
            length = 2;
        else if (c >= 0xE0 && c <= 0xEF)
            length = 3;
        else if (c >= 0xF0 && c <= 0xF4)
            length = 4;
        else
            return Ignore;
        for (size_t i = 1; i < length; ++i) {
            if (i >= bytes.size()) return flush ? Ignore : NeedMore;
            if ((static_cast<unsigned char>(bytes[i]) & 0xC0) != 0x80) return Ignore;
        }
    } else if (IsSjisLeadByte(c)) {
        if (bytes.size() < 2) return flush ? Ignore : NeedMore;
        if (!IsSjisTrailByte(static_cast<unsigned char>(bytes[1]))) return Ignore;
        length = 2;
    }
    consumed = length;
    key.virtualKey = VKEY_PROCESSKEY;
    key.text = bytes.substr(0, length);
    return Done;
}
