// terminalui.h - the interactive front end for a POSIX terminal: the condition dialog, its message
// boxes and a file-save prompt drawn with ANSI sequences, keys read in raw mode.
//
// The parts without terminal I/O (key decoding, the path box's editing model, display widths) are
// declared here too, so that they can be exercised without a terminal.
#pragma once

#include <cstddef>
#include <string>

#include "conditionview.h"
#include "shellui.h"

// Virtual key codes of the keys the terminal front end handles besides those of conditionview.h.
enum {
    VKEY_BACK = 0x08,
    VKEY_TAB = 0x09,
    VKEY_SPACE = 0x20,
    VKEY_PRIOR = 0x21,
    VKEY_NEXT = 0x22,
    VKEY_END = 0x23,
    VKEY_HOME = 0x24,
    VKEY_LEFT = 0x25,
    VKEY_UP = 0x26,
    VKEY_RIGHT = 0x27,
    VKEY_DOWN = 0x28,
    VKEY_INSERT = 0x2D,
    VKEY_DELETE = 0x2E,
    VKEY_F1 = 0x70,
    VKEY_PROCESSKEY = 0xE5  // a character that has no key of its own (input method)
};

// Display columns of a Shift-JIS text: a double-byte character takes 2, any single byte
// (half-width katakana included) 1.
size_t SjisColumns(const std::string& sjis);
// Bytes of the longest head of sjis that is made of whole characters and fits columns.
size_t SjisFitColumns(const std::string& sjis, size_t columns);

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
    Result DecodeCsi(const std::string& bytes, bool flush, StTERMKEY& key, size_t& consumed) const;
    Result DecodeCharacter(const std::string& bytes, bool flush, StTERMKEY& key, size_t& consumed) const;

    bool m_utf8;
    std::string m_pending;
};

// The text of a single-line edit box in Shift-JIS with caret, selection, text limit and horizontal
// scrolling. Positions are byte offsets, always at the start of a character.
class ClLineEdit {
public:
    ClLineEdit() : m_limit(0), m_caret(0), m_anchor(0), m_scroll(0) {}

    // Replaces the whole text, as a program sets it (the limit does not apply); caret to the start.
    void SetText(const std::string& sjis);
    const std::string& Text() const { return m_text; }
    // What the user can type at most, in bytes; 0: no limit.
    void SetLimit(size_t bytes) { m_limit = bytes; }
    // Selects from start to end (-1: the end of the text); the caret goes to end.
    void Select(int start, int end);
    bool HasSelection() const { return m_anchor != m_caret; }
    size_t SelectionStart() const { return m_anchor < m_caret ? m_anchor : m_caret; }
    size_t SelectionEnd() const { return m_anchor < m_caret ? m_caret : m_anchor; }
    size_t Caret() const { return m_caret; }

    // Types one character (1 or 2 bytes) in place of the selection; false, nothing changed, when
    // the text would grow beyond the limit.
    bool Insert(const std::string& character);
    void Backspace();
    void Delete();
    // Caret movements; extend keeps the anchor (Shift held).
    void Left(bool extend);
    void Right(bool extend);
    void Home(bool extend);
    void End(bool extend);

    // Start of the visible part of a box columns wide, moved so that the caret is visible.
    size_t ScrollFor(size_t columns);

private:
    size_t PreviousChar(size_t at) const;
    size_t NextChar(size_t at) const;
    size_t Boundary(size_t at) const;  // at, or the start of the character it falls into
    void MoveCaret(size_t to, bool extend);
    void EraseSelection();

    std::string m_text;
    size_t m_limit;
    size_t m_caret;
    size_t m_anchor;
    size_t m_scroll;
};

class ClTerminalUi : public ClShellUi, public ClConditionView {
public:
    // The process's own terminal: standard input and output.
    ClTerminalUi();
    // Keys read from inFd and the screen written to outFd; raw mode only where inFd is a terminal.
    ClTerminalUi(int inFd, int outFd);
    ~ClTerminalUi() override;
    ClTerminalUi(const ClTerminalUi&) = delete;
    ClTerminalUi& operator=(const ClTerminalUi&) = delete;

    // Whether standard input and output are both terminals.
    static bool Available();

    // ClShellUi
    int DoModal(CConditionDlg& dialog) override;
    // Both interfaces: over the dialog while it is shown, alone otherwise.
    int MessageBox(const char* text, const char* caption, unsigned type) override;
    void BeginWaitCursor() override;
    void RestoreWaitCursor() override;
    void EndWaitCursor() override;

    // ClConditionView
    void SetItemText(int id, const char* text) override;
    std::string GetItemText(int id) override;
    void LimitText(int id, int bytes) override;
    void SetFocus(int id) override;
    int GetFocus() override { return m_focus; }
    bool IsEnabled(int id) override { return id != 0; }
    void SetSelection(int id, int start, int end) override;
    void ScrollCaret(int) override {}  // every drawing keeps the caret in view
    bool IsKeyHeld(int virtualKey) override;
    void EndDialog(int result) override;
    bool GetSaveFileName(const StSAVEREQUEST& request, std::string& path) override;

private:
    // Raw mode and the alternate screen for one modal loop; nested loops share it.
    void EnterScreen();
    void LeaveScreen();
    // The next key; false at the end of the input.
    bool ReadKey(StTERMKEY& key);
    void Write(const std::string& bytes);
    void QuerySize();

    void HandleDialogKey(CConditionDlg& dialog, const StTERMKEY& key);
    void Press(CConditionDlg& dialog, int id);
    void MoveFocus(bool backwards);
    // Editing keys of a focused edit box; false when the key is not one of them.
    bool EditKey(ClLineEdit& edit, const StTERMKEY& key);

    std::string DrawDialog();
    std::string DrawMessageBox(const std::string& text, const std::string& caption, unsigned type,
                               int focused);
    std::string DrawSavePrompt(const StSAVEREQUEST& request, ClLineEdit& edit, const std::string& note);
    void Show(const std::string& frame);

    int m_in;
    int m_out;
    ClKeyDecoder m_decoder;
    bool m_inputEnded;
    int m_screenDepth;
    bool m_rawMode;
    int m_rows, m_columns;
    int m_cursorRow, m_cursorColumn;  // where the drawing leaves the caret; row -1: hidden

    // The dialog's window while it is shown.
    bool m_dialogShown;
    std::string m_company, m_period;
    ClLineEdit m_path;
    int m_focus;
    bool m_ended;
    int m_result;
    const StTERMKEY* m_current;  // the key being handled, for IsKeyHeld
    int m_waitCursor;
    bool m_waitLineShown;
};
