// terminalui.cpp - key decoding, the path box's editing and the terminal drawing of the condition
// dialog, its boxes and the file-save prompt.
#include "terminalui.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <vector>

#include "conditiondlg.h"
#include "osapi.h"
#include "sjisbytes.h"

// ---- widths ----

size_t SjisColumns(const std::string& sjis) {
    size_t columns = 0;
    for (size_t i = 0; i < sjis.size();) {
        const int width = SjisCharBytes(sjis.c_str() + i);
        columns += width == 2 ? 2 : 1;
        i += static_cast<size_t>(width);
    }
    return columns;
}

size_t SjisFitColumns(const std::string& sjis, size_t columns) {
    size_t n = 0;
    size_t used = 0;
    while (n < sjis.size()) {
        const int width = SjisCharBytes(sjis.c_str() + n);
        const size_t cells = width == 2 ? 2 : 1;
        if (used + cells > columns) break;
        used += cells;
        n += static_cast<size_t>(width);
    }
    return n;
}

// ---- key decoding ----

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

ClKeyDecoder::Result ClKeyDecoder::DecodeCsi(const std::string& bytes, bool flush, StTERMKEY& key,
                                             size_t& consumed) const {
    if (bytes[1] == 'O') {
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
    // ESC [ parameters (0x30-0x3F), intermediates (0x20-0x2F), final (0x40-0x7E).
    std::vector<long> parameters(1, 0);
    std::vector<bool> given(1, false);
    size_t i = 2;
    for (; i < bytes.size(); ++i) {
        const unsigned char b = static_cast<unsigned char>(bytes[i]);
        if (b >= '0' && b <= '9') {
            if (parameters.back() < 100000) parameters.back() = parameters.back() * 10 + (b - '0');
            given.back() = true;
        } else if (b == ';' || b == ':') {
            parameters.push_back(0);
            given.push_back(false);
        } else if (b >= 0x30 && b <= 0x3F) {
            // private markers such as "?" or "<": not keys, but still part of the sequence
        } else if (b >= 0x20 && b <= 0x2F) {
        } else if (b >= 0x40 && b <= 0x7E) {
            break;
        } else {
            return NotSequence;
        }
        if (i > 40) return NotSequence;
    }
    if (i >= bytes.size()) return flush ? NotSequence : NeedMore;
    consumed = i + 1;
    const char final = bytes[i];
    const auto parameter = [&](size_t n, long fallback) {
        return n < parameters.size() && given[n] ? parameters[n] : fallback;
    };
    ApplyModifiers(static_cast<int>(parameter(1, 1)), key);
    if (const int cursor = CursorKey(final)) {
        key.virtualKey = cursor;
        return Done;
    }
    switch (final) {
        case 'Z':
            key.virtualKey = VKEY_TAB;
            key.shift = true;
            return Done;
        case 'P':
        case 'Q':
        case 'R':
        case 'S':
            key.virtualKey = VKEY_F1 + (final - 'P');
            return Done;
        case 'u':
            KeyOfCode(parameter(0, 0), m_utf8, key);
            return key.virtualKey ? Done : Ignore;
        case '~':
            break;
        default:
            return Ignore;
    }
    switch (parameter(0, 0)) {
        case 1:
        case 7:
            key.virtualKey = VKEY_HOME;
            return Done;
        case 4:
        case 8:
            key.virtualKey = VKEY_END;
            return Done;
        case 2:
            key.virtualKey = VKEY_INSERT;
            return Done;
        case 3:
            key.virtualKey = VKEY_DELETE;
            return Done;
        case 5:
            key.virtualKey = VKEY_PRIOR;
            return Done;
        case 6:
            key.virtualKey = VKEY_NEXT;
            return Done;
        case 11:
        case 12:
        case 13:
        case 14:
        case 15:
            key.virtualKey = VKEY_F1 + static_cast<int>(parameter(0, 0) - 11);
            return Done;
        case 17:
        case 18:
        case 19:
        case 20:
        case 21:
            key.virtualKey = VKEY_F1 + 5 + static_cast<int>(parameter(0, 0) - 17);
            return Done;
        case 23:
            key.virtualKey = VKEY_F1 + 10;
            return Done;
        case 24:
            key.virtualKey = VKEY_F12;
            return Done;
        case 27:  // modifyOtherKeys: ESC [ 27 ; modifiers ; code ~
            KeyOfCode(parameter(2, 0), m_utf8, key);
            return key.virtualKey ? Done : Ignore;
        default:
            return Ignore;  // bracketed paste markers and keys the dialog has no use for
    }
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

// ---- the edit box ----

void ClLineEdit::SetText(const std::string& sjis) {
    m_text = sjis;
    m_caret = m_anchor = m_scroll = 0;
}

size_t ClLineEdit::Boundary(size_t at) const {
    for (size_t i = 0; i < m_text.size();) {
        const size_t next = i + static_cast<size_t>(SjisCharBytes(m_text.c_str() + i));
        if (at < next) return i;
        i = next;
    }
    return m_text.size();
}

size_t ClLineEdit::PreviousChar(size_t at) const {
    size_t previous = 0;
    for (size_t i = 0; i < at && i < m_text.size();) {
        previous = i;
        i += static_cast<size_t>(SjisCharBytes(m_text.c_str() + i));
    }
    return previous;
}

size_t ClLineEdit::NextChar(size_t at) const {
    if (at >= m_text.size()) return m_text.size();
    const size_t next = at + static_cast<size_t>(SjisCharBytes(m_text.c_str() + at));
    return next > m_text.size() ? m_text.size() : next;
}

void ClLineEdit::Select(int start, int end) {
    const auto position = [this](int at) {
        return at < 0 || static_cast<size_t>(at) >= m_text.size() ? m_text.size()
                                                                  : Boundary(static_cast<size_t>(at));
    };
    m_anchor = position(start);
    m_caret = position(end);
}

void ClLineEdit::EraseSelection() {
    const size_t from = SelectionStart();
    m_text.erase(from, SelectionEnd() - from);
    m_caret = m_anchor = from;
}

bool ClLineEdit::Insert(const std::string& character) {
    if (character.empty()) return false;
    const size_t grown = m_text.size() - (SelectionEnd() - SelectionStart()) + character.size();
    if (m_limit != 0 && grown > m_limit) return false;
    EraseSelection();
    m_text.insert(m_caret, character);
    m_caret = m_anchor = m_caret + character.size();
    return true;
}

void ClLineEdit::Backspace() {
    if (HasSelection()) {
        EraseSelection();
    } else if (m_caret > 0) {
        const size_t from = PreviousChar(m_caret);
        m_text.erase(from, m_caret - from);
        m_caret = m_anchor = from;
    }
}

void ClLineEdit::Delete() {
    if (HasSelection()) {
        EraseSelection();
    } else if (m_caret < m_text.size()) {
        m_text.erase(m_caret, NextChar(m_caret) - m_caret);
    }
}

void ClLineEdit::MoveCaret(size_t to, bool extend) {
    m_caret = to;
    if (!extend) m_anchor = to;
}

void ClLineEdit::Left(bool extend) {
    if (!extend && HasSelection())
        MoveCaret(SelectionStart(), false);
    else
        MoveCaret(PreviousChar(m_caret), extend);
}

void ClLineEdit::Right(bool extend) {
    if (!extend && HasSelection())
        MoveCaret(SelectionEnd(), false);
    else
        MoveCaret(NextChar(m_caret), extend);
}

void ClLineEdit::Home(bool extend) { MoveCaret(0, extend); }

void ClLineEdit::End(bool extend) { MoveCaret(m_text.size(), extend); }

size_t ClLineEdit::ScrollFor(size_t columns) {
    if (columns == 0) return m_scroll = m_caret;
    // A text that fits whole is shown whole; otherwise the caret's cell stays inside the box.
    if (SjisColumns(m_text) < columns) return m_scroll = 0;
    m_scroll = Boundary(m_scroll > m_caret ? m_caret : m_scroll);
    while (m_scroll < m_caret && SjisColumns(m_text.substr(m_scroll, m_caret - m_scroll)) + 1 > columns)
        m_scroll = NextChar(m_scroll);
    return m_scroll;
}

// ---- terminal state shared with the signal handlers ----

namespace {

struct termios g_savedMode;
volatile sig_atomic_t g_rawFd = -1;     // the terminal whose mode g_savedMode holds
volatile sig_atomic_t g_screenFd = -1;  // where the alternate screen is shown
volatile sig_atomic_t g_resized = 0;
const char kLeaveSequence[] = "\x1b[0m\x1b[?25h\x1b[?1049l";
const int kFatalSignals[] = {SIGINT, SIGTERM, SIGHUP, SIGQUIT};
struct sigaction g_previous[4];
struct sigaction g_previousWinch;

// Only async-signal-safe calls: it also runs from the signal handler.
void RestoreTerminal() {
    const int screen = g_screenFd;
    g_screenFd = -1;
    if (screen >= 0) {
        const ssize_t written = ::write(screen, kLeaveSequence, sizeof kLeaveSequence - 1);
        (void)written;
    }
    const int raw = g_rawFd;
    g_rawFd = -1;
    if (raw >= 0) ::tcsetattr(raw, TCSANOW, &g_savedMode);
}

void OnFatalSignal(int signalNumber) {
    RestoreTerminal();
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    action.sa_handler = SIG_DFL;
    sigemptyset(&action.sa_mask);
    ::sigaction(signalNumber, &action, nullptr);
    ::raise(signalNumber);
}

void OnResize(int) { g_resized = 1; }

void RestoreAtExit() { RestoreTerminal(); }

// Tab order of template 130's tab stops.
const int kTabOrder[] = {IDC_PATH, IDC_BROWSE, IDC_EXECUTE, IDC_CANCEL};

// What the platform's file-save dialog takes at most.
const size_t kMaxSavePath = 259;

const int kDialogWidth = 68;
const int kDialogHeight = 15;

std::string Shown(const std::string& sjis) { return OsTerminalText(sjis.c_str()); }

std::string At(int row, int column) {
    char text[32];
    std::snprintf(text, sizeof text, "\x1b[%d;%dH", (row < 0 ? 0 : row) + 1, (column < 0 ? 0 : column) + 1);
    return text;
}

std::string Repeat(char c, int count) { return count > 0 ? std::string(static_cast<size_t>(count), c) : ""; }

// A frame of "+", "-" and "|" with blank inside; the title line is separated when titled.
std::string Frame(int top, int left, int height, int width, bool titled) {
    std::string out;
    const std::string rule = "+" + Repeat('-', width - 2) + "+";
    const std::string blank = "|" + Repeat(' ', width - 2) + "|";
    for (int row = 0; row < height; ++row) {
        const bool border = row == 0 || row == height - 1 || (titled && row == 2);
        out += At(top + row, left) + (border ? rule : blank);
    }
    return out;
}

// A control's text with its mnemonic ("&D") underlined; columns gets the width shown.
std::string Label(const std::string& sjis, size_t& columns) {
    std::string plain;
    std::string out;
    for (size_t i = 0; i < sjis.size();) {
        const size_t width = static_cast<size_t>(SjisCharBytes(sjis.c_str() + i));
        if (width == 1 && sjis[i] == '&' && i + 1 < sjis.size()) {
            const size_t next = static_cast<size_t>(SjisCharBytes(sjis.c_str() + i + 1));
            out += Shown(plain) + "\x1b[4m" + Shown(sjis.substr(i + 1, next)) + "\x1b[24m";
            columns += SjisColumns(sjis.substr(i + 1, next));
            plain.clear();
            i += 1 + next;
            continue;
        }
        plain += sjis.substr(i, width);
        columns += SjisColumns(sjis.substr(i, width));
        i += width;
    }
    return out + Shown(plain);
}

std::string Button(const std::string& sjis, bool focused, size_t& columns) {
    columns = 2;
    const std::string label = Label(sjis, columns);
    return focused ? "\x1b[7m[" + label + "]\x1b[27m" : "[" + label + "]";
}

size_t ButtonColumns(const std::string& sjis) {
    size_t columns = 0;
    Button(sjis, false, columns);
    return columns;
}

// The text cut to whole characters that fit columns.
std::string Cut(const std::string& sjis, size_t columns) {
    return sjis.substr(0, SjisFitColumns(sjis, columns));
}

// Lines of a box text: LF breaks, and lines wider than columns are wrapped at whole characters.
std::vector<std::string> WrapLines(const std::string& text, size_t columns) {
    std::vector<std::string> lines;
    size_t start = 0;
    for (;;) {
        const size_t end = text.find('\n', start);
        std::string line = text.substr(start, end == std::string::npos ? std::string::npos : end - start);
        if (!line.empty() && line.back() == '\r') line.pop_back();
        do {
            size_t take = SjisFitColumns(line, columns);
            if (take == 0 && !line.empty()) take = static_cast<size_t>(SjisCharBytes(line.c_str()));
            lines.push_back(line.substr(0, take));
            line.erase(0, take);
        } while (!line.empty());
        if (end == std::string::npos) break;
        start = end + 1;
    }
    return lines;
}

// An edit field of columns cells: the visible part of the text, the selection shown when focused.
// caretColumn gets the caret's cell, relative to the field.
std::string EditField(ClLineEdit& edit, size_t columns, bool focused, size_t& caretColumn) {
    const size_t scroll = edit.ScrollFor(columns);
    const std::string& text = edit.Text();
    const std::string visible = text.substr(scroll, SjisFitColumns(text.substr(scroll), columns));
    const std::string pad = Repeat(' ', static_cast<int>(columns - SjisColumns(visible)));
    caretColumn = SjisColumns(text.substr(scroll, edit.Caret() - scroll));
    if (!focused) return Shown(visible) + pad;
    const auto clamp = [&](size_t at) {
        const size_t rel = at < scroll ? 0 : at - scroll;
        return rel > visible.size() ? visible.size() : rel;
    };
    const size_t from = clamp(edit.SelectionStart());
    const size_t to = clamp(edit.SelectionEnd());
    // Focused: the field in reverse video, its selection in normal video and underlined.
    return "\x1b[7m" + Shown(visible.substr(0, from)) + "\x1b[27;4m" +
           Shown(visible.substr(from, to - from)) + "\x1b[24;7m" + Shown(visible.substr(to)) + pad +
           "\x1b[27m";
}

// Offset of the file name in a path: after the last backslash or, without one, the last colon.
size_t NameStart(const std::string& path) {
    size_t backslash = 0;
    size_t colon = 0;
    for (size_t i = 0; i < path.size();) {
        const int width = SjisCharBytes(path.c_str() + i);
        if (width == 1 && path[i] == '\\') backslash = i + 1;
        if (width == 1 && path[i] == ':') colon = i + 1;
        i += static_cast<size_t>(width);
    }
    return backslash ? backslash : colon;
}

}  // namespace

// ---- the terminal front end ----

ClTerminalUi::ClTerminalUi() : ClTerminalUi(STDIN_FILENO, STDOUT_FILENO) {}

ClTerminalUi::ClTerminalUi(int inFd, int outFd)
    : m_in(inFd),
      m_out(outFd),
      // Characters come in UTF-8 exactly where the texts go out converted.
      m_decoder(OsTerminalText("\x82\xa0") != "\x82\xa0"),
      m_inputEnded(false),
      m_screenDepth(0),
      m_rawMode(false),
      m_rows(24),
      m_columns(80),
      m_cursorRow(-1),
      m_cursorColumn(-1),
      m_dialogShown(false),
      m_focus(0),
      m_ended(false),
      m_result(0),
      m_current(nullptr),
      m_waitCursor(0),
      m_waitLineShown(false) {}

ClTerminalUi::~ClTerminalUi() {
    while (m_screenDepth > 0) LeaveScreen();
    if (m_waitLineShown) Write("\r\x1b[K");
}

bool ClTerminalUi::Available() { return ::isatty(STDIN_FILENO) == 1 && ::isatty(STDOUT_FILENO) == 1; }

void ClTerminalUi::Write(const std::string& bytes) {
    size_t done = 0;
    while (done < bytes.size()) {
        const ssize_t n = ::write(m_out, bytes.data() + done, bytes.size() - done);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return;
        done += static_cast<size_t>(n);
    }
}

void ClTerminalUi::QuerySize() {
    struct winsize size;
    std::memset(&size, 0, sizeof size);
    if ((::ioctl(m_out, TIOCGWINSZ, &size) == 0 || ::ioctl(m_in, TIOCGWINSZ, &size) == 0) &&
        size.ws_row > 0 && size.ws_col > 0) {
        m_rows = size.ws_row;
        m_columns = size.ws_col;
    }
}

void ClTerminalUi::EnterScreen() {
    if (m_screenDepth++ > 0) return;
    static bool exitHook = false;
    if (!exitHook) {
        std::atexit(RestoreAtExit);
        exitHook = true;
    }
    struct sigaction action;
    std::memset(&action, 0, sizeof action);
    sigemptyset(&action.sa_mask);
    action.sa_handler = OnFatalSignal;
    for (size_t i = 0; i < sizeof kFatalSignals / sizeof kFatalSignals[0]; ++i)
        ::sigaction(kFatalSignals[i], &action, &g_previous[i]);
    // No SA_RESTART: a resize interrupts the wait for a key, so that the screen is drawn again.
    action.sa_handler = OnResize;
    ::sigaction(SIGWINCH, &action, &g_previousWinch);

    m_rawMode = false;
    if (::isatty(m_in) == 1 && ::tcgetattr(m_in, &g_savedMode) == 0) {
        struct termios raw = g_savedMode;
        raw.c_iflag &= ~static_cast<tcflag_t>(BRKINT | ICRNL | INPCK | ISTRIP | IXON);
        raw.c_cflag |= CS8;
        // Ctrl+C arrives as a key: the dialog cancels with its own message.
        raw.c_lflag &= ~static_cast<tcflag_t>(ECHO | ICANON | IEXTEN | ISIG);
        raw.c_cc[VMIN] = 1;
        raw.c_cc[VTIME] = 0;
        g_rawFd = m_in;
        m_rawMode = ::tcsetattr(m_in, TCSANOW, &raw) == 0;
        if (!m_rawMode) g_rawFd = -1;
    }
    g_screenFd = m_out;
    Write("\x1b[?1049h\x1b[?25l\x1b[H\x1b[2J");
    QuerySize();
}

void ClTerminalUi::LeaveScreen() {
    if (m_screenDepth == 0 || --m_screenDepth > 0) return;
    RestoreTerminal();
    m_rawMode = false;
    for (size_t i = 0; i < sizeof kFatalSignals / sizeof kFatalSignals[0]; ++i)
        ::sigaction(kFatalSignals[i], &g_previous[i], nullptr);
    ::sigaction(SIGWINCH, &g_previousWinch, nullptr);
    // The wait line lies on the normal screen, which is back now.
    if (m_waitLineShown) RestoreWaitCursor();
}

bool ClTerminalUi::ReadKey(StTERMKEY& key) {
    for (;;) {
        if (m_decoder.Next(key, false)) return true;
        if (m_inputEnded) return m_decoder.Next(key, true);
        // An ESC with nothing after it for a moment is the Esc key itself.
        struct pollfd wait = {m_in, POLLIN, 0};
        const int ready = ::poll(&wait, 1, m_decoder.HasPending() ? 50 : -1);
        if (ready < 0) {
            if (errno != EINTR) {
                m_inputEnded = true;
            } else if (g_resized) {
                g_resized = 0;
                QuerySize();
                key = StTERMKEY{0, false, false, false, ""};  // nothing pressed: just draw again
                return true;
            }
            continue;
        }
        if (ready == 0) {
            if (m_decoder.Next(key, true)) return true;
            continue;
        }
        char buffer[256];
        const ssize_t n = ::read(m_in, buffer, sizeof buffer);
        if (n < 0 && (errno == EINTR || errno == EAGAIN)) continue;
        if (n <= 0) {
            m_inputEnded = true;
            continue;
        }
        m_decoder.Feed(buffer, static_cast<size_t>(n));
    }
}

void ClTerminalUi::Show(const std::string& frame) {
    std::string out = "\x1b[0m\x1b[?25l\x1b[H\x1b[2J" + frame + "\x1b[0m";
    if (m_cursorRow >= 0) out += At(m_cursorRow, m_cursorColumn) + "\x1b[?25h";
    Write(out);
}

// ---- the dialog ----

int ClTerminalUi::DoModal(CConditionDlg& dialog) {
    // The window is made from template 130: its statics say "Static" until filled.
    m_company = "Static";
    m_period = "Static";
    m_path.SetText("");
    m_path.SetLimit(0);
    m_focus = 0;
    m_ended = false;
    m_result = 0;
    m_dialogShown = false;

    struct StGUARD {
        ClTerminalUi& ui;
        CConditionDlg& dialog;
        ~StGUARD() {
            ui.m_dialogShown = false;
            dialog.AttachView(nullptr);
            ui.LeaveScreen();
        }
    } guard{*this, dialog};
    EnterScreen();
    dialog.AttachView(this);
    if (dialog.OnInitDialog() && !m_ended) {
        // The first tab stop gets the focus, and an edit box given the focus this way selects all.
        m_focus = kTabOrder[0];
        m_path.Select(0, -1);
    }
    m_dialogShown = !m_ended;
    while (!m_ended) {
        Show(DrawDialog());
        StTERMKEY key;
        if (!ReadKey(key)) {
            // The input is gone: the user cannot answer any more, as if the window were closed.
            dialog.OnCancel();
            if (!m_ended) EndDialog(IDC_CANCEL);
            break;
        }
        HandleDialogKey(dialog, key);
    }
    return m_result;
}

void ClTerminalUi::HandleDialogKey(CConditionDlg& dialog, const StTERMKEY& key) {
    if (key.virtualKey == 0) return;
    m_current = &key;
    const bool consumed = dialog.PreTranslateMessage(KEYMSG_KEYDOWN, key.virtualKey);
    m_current = nullptr;
    if (consumed || m_ended) return;

    // The dialog framework's own handling of the keys the dialog left alone.
    const int vk = key.virtualKey;
    const bool onButton = m_focus == IDC_BROWSE || m_focus == IDC_EXECUTE || m_focus == IDC_CANCEL;
    if (vk == VKEY_ESCAPE || (key.control && vk == 'C')) {
        dialog.OnCancel();
    } else if (vk == VKEY_RETURN) {
        // No default button: Enter presses the focused button, elsewhere it is the plain confirm.
        if (onButton)
            Press(dialog, m_focus);
        else
            dialog.OnOK();
    } else if (key.alt) {
        if (key.control) return;
        if (vk == 'O') {
            // The group box's mnemonic reaches the control after it, the path box.
            SetFocus(IDC_PATH);
            m_path.Select(0, -1);
        } else if (vk == 'D') {
            Press(dialog, IDC_BROWSE);
        }
    } else if (vk == VKEY_TAB && !key.control) {
        MoveFocus(key.shift);
    } else if (vk == VKEY_SPACE && onButton && !key.control) {
        Press(dialog, m_focus);
    } else if (onButton && (vk == VKEY_LEFT || vk == VKEY_UP || vk == VKEY_RIGHT || vk == VKEY_DOWN)) {
        // The tab stops form one group: arrows walk it as Tab does.
        MoveFocus(vk == VKEY_LEFT || vk == VKEY_UP);
    } else if (m_focus == IDC_PATH) {
        EditKey(m_path, key);
    }
}

void ClTerminalUi::Press(CConditionDlg& dialog, int id) {
    m_focus = id;
    if (id == IDC_BROWSE)
        dialog.OnBrowse();
    else if (id == IDC_EXECUTE)
        dialog.OnExecute();
    else if (id == IDC_CANCEL)
        dialog.OnCancel();
}

void ClTerminalUi::MoveFocus(bool backwards) {
    const size_t count = sizeof kTabOrder / sizeof kTabOrder[0];
    size_t at = 0;
    while (at < count && kTabOrder[at] != m_focus) ++at;
    at = at == count ? 0 : (backwards ? at + count - 1 : at + 1) % count;
    m_focus = kTabOrder[at];
    if (m_focus == IDC_PATH) m_path.Select(0, -1);
}

bool ClTerminalUi::EditKey(ClLineEdit& edit, const StTERMKEY& key) {
    if (key.alt) return false;
    switch (key.virtualKey) {
        case VKEY_LEFT:
            edit.Left(key.shift);
            return true;
        case VKEY_RIGHT:
            edit.Right(key.shift);
            return true;
        case VKEY_HOME:
            edit.Home(key.shift);
            return true;
        case VKEY_END:
            edit.End(key.shift);
            return true;
        case VKEY_BACK:
            edit.Backspace();
            return true;
        case VKEY_DELETE:
            edit.Delete();
            return true;
        default:
            break;
    }
    if (key.control) {
        if (key.virtualKey != 'A') return false;
        edit.Select(0, -1);
        return true;
    }
    if (key.text.empty()) return false;
    std::string sjis;
    // A character without a Shift-JIS form, or one that does not fit the limit, is refused.
    if (!OsTextFromTerminal(key.text, sjis) || sjis.empty() || sjis.size() > 2 ||
        static_cast<size_t>(SjisCharBytes(sjis.c_str())) != sjis.size() || !edit.Insert(sjis))
        Write("\a");
    return true;
}

std::string ClTerminalUi::DrawDialog() {
    const int width = m_columns < kDialogWidth ? (m_columns < 40 ? 40 : m_columns) : kDialogWidth;
    const int top = m_rows > kDialogHeight ? (m_rows - kDialogHeight) / 2 : 0;
    const int left = m_columns > width ? (m_columns - width) / 2 : 0;
    std::string out = Frame(top, left, kDialogHeight, width, true);
    out += At(top + 1, left + 2) + "\x1b[1m" + Shown("減価償却 - 集計条件") + "\x1b[22m";

    const std::string companyLabel = "事業所名 ： ";
    const size_t textColumns = static_cast<size_t>(width - 5) - SjisColumns(companyLabel);
    out += At(top + 4, left + 3) + Shown(companyLabel + Cut(m_company, textColumns));
    out += At(top + 6, left + 3) + Shown("会計期間 ： " + Cut(m_period, textColumns));

    // The group box with the path box and the browse button.
    const int groupLeft = left + 3;
    const int groupWidth = width - 6;
    out += Frame(top + 8, groupLeft, 3, groupWidth, false);
    size_t groupColumns = 0;
    out += At(top + 8, groupLeft + 2) + " " + Label("出力先(&O)", groupColumns) + " ";

    size_t browseColumns = 0;
    const std::string browse = Button("参照(&D)...", m_focus == IDC_BROWSE, browseColumns);
    const int fieldColumns = groupWidth - 7 - static_cast<int>(browseColumns);
    size_t caret = 0;
    const bool pathFocused = m_focus == IDC_PATH;
    out += At(top + 9, groupLeft + 2) + "[" +
           EditField(m_path, static_cast<size_t>(fieldColumns > 1 ? fieldColumns : 1), pathFocused, caret) +
           "]";
    out += At(top + 9, groupLeft + 2 + fieldColumns + 3) + browse;
    m_cursorRow = pathFocused ? top + 9 : -1;
    m_cursorColumn = groupLeft + 3 + static_cast<int>(caret);

    size_t executeColumns = 0;
    size_t cancelColumns = 0;
    const std::string execute = Button("実行(F12)", m_focus == IDC_EXECUTE, executeColumns);
    const std::string cancel = Button("キャンセル(Esc)", m_focus == IDC_CANCEL, cancelColumns);
    const int buttonsLeft = left + width - 3 - static_cast<int>(executeColumns + 2 + cancelColumns);
    out += At(top + 12, buttonsLeft) + execute + "  " + cancel;
    return out;
}

// ---- message boxes ----

std::string ClTerminalUi::DrawMessageBox(const std::string& text, const std::string& caption, unsigned type,
                                         int focused) {
    const bool question = type == MB_TYPE_QUESTION;
    const std::string icon = question ? "(?)" : type == MB_TYPE_REFUSAL ? "(!)" : "(i)";
    const size_t room = m_columns > 20 ? static_cast<size_t>(m_columns - 12) : 8;
    const std::vector<std::string> lines = WrapLines(text, room);
    size_t textColumns = 0;
    for (const std::string& line : lines)
        textColumns = SjisColumns(line) > textColumns ? SjisColumns(line) : textColumns;

    const std::string yes = "はい(&Y)";
    const std::string no = "いいえ(&N)";
    const size_t buttonsColumns =
        question ? ButtonColumns(yes) + 2 + ButtonColumns(no) : ButtonColumns(" OK ");
    size_t width = textColumns + icon.size() + 7;
    if (SjisColumns(caption) + 4 > width) width = SjisColumns(caption) + 4;
    if (buttonsColumns + 6 > width) width = buttonsColumns + 6;
    if (width > static_cast<size_t>(m_columns)) width = static_cast<size_t>(m_columns);
    const int height = static_cast<int>(lines.size()) + 7;
    const int top = m_rows > height ? (m_rows - height) / 2 : 0;
    const int left = m_columns > static_cast<int>(width) ? (m_columns - static_cast<int>(width)) / 2 : 0;

    std::string out = Frame(top, left, height, static_cast<int>(width), true);
    out += At(top + 1, left + 2) + "\x1b[1m" + Shown(Cut(caption, width - 4)) + "\x1b[22m";
    out += At(top + 4, left + 2) + "\x1b[1m" + icon + "\x1b[22m";
    for (size_t i = 0; i < lines.size(); ++i)
        out += At(top + 4 + static_cast<int>(i), left + 3 + static_cast<int>(icon.size())) + Shown(lines[i]);
    const int buttonsLeft = left + (static_cast<int>(width) - static_cast<int>(buttonsColumns)) / 2;
    size_t columns = 0;
    if (question)
        out += At(top + height - 2, buttonsLeft) + Button(yes, focused == 0, columns) + "  " +
               Button(no, focused == 1, columns);
    else
        out += At(top + height - 2, buttonsLeft) + Button(" OK ", true, columns);
    m_cursorRow = -1;
    return out;
}

int ClTerminalUi::MessageBox(const char* text, const char* caption, unsigned type) {
    struct StGUARD {
        ClTerminalUi& ui;
        ~StGUARD() { ui.LeaveScreen(); }
    } guard{*this};
    EnterScreen();
    const bool question = type == MB_TYPE_QUESTION;
    const std::string body = text ? text : "";
    const std::string title = caption ? caption : "";
    int focused = 0;  // Yes is the default button
    for (;;) {
        Show((m_dialogShown ? DrawDialog() : std::string()) + DrawMessageBox(body, title, type, focused));
        StTERMKEY key;
        if (!ReadKey(key)) return question ? ANSWER_NO : ANSWER_OK;
        const int vk = key.virtualKey;
        const bool cancel = vk == VKEY_ESCAPE || (key.control && vk == 'C');
        if (!question) {
            if (cancel || vk == VKEY_RETURN || vk == VKEY_SPACE) return ANSWER_OK;
            continue;
        }
        if (cancel || vk == 'N') return ANSWER_NO;
        if (vk == 'Y') return ANSWER_YES;
        if (vk == VKEY_RETURN || vk == VKEY_SPACE) return focused == 0 ? ANSWER_YES : ANSWER_NO;
        if (vk == VKEY_LEFT || vk == VKEY_RIGHT || vk == VKEY_TAB || vk == VKEY_UP || vk == VKEY_DOWN)
            focused = 1 - focused;
    }
}

// ---- the file-save prompt ----

std::string ClTerminalUi::DrawSavePrompt(const StSAVEREQUEST& request, ClLineEdit& edit,
                                         const std::string& note) {
    const int width = m_columns < 76 ? m_columns : 76;
    const int height = 14;
    const int top = m_rows > height ? (m_rows - height) / 2 : 0;
    const int left = m_columns > width ? (m_columns - width) / 2 : 0;
    std::string out = Frame(top, left, height, width, true);
    out += At(top + 1, left + 2) + "\x1b[1m" + Shown(Cut(request.title ? request.title : "", width - 4)) +
           "\x1b[22m";
    // The filter's first entry, in the framework's form "text|pattern||".
    const std::string filter = request.filter ? request.filter : "";
    const struct {
        const char* label;
        std::string value;
    } lines[] = {{"フォルダ", request.initialFolder ? request.initialFolder : ""},
                 {"ファイル名", request.fileName ? request.fileName : ""},
                 {"ファイルの種類", filter.substr(0, filter.find('|'))}};
    const size_t labelColumns = SjisColumns("ファイルの種類");
    const size_t room =
        width > static_cast<int>(labelColumns) + 12 ? static_cast<size_t>(width) - labelColumns - 10 : 1;
    for (size_t i = 0; i < 3; ++i) {
        const std::string label = lines[i].label;
        out += At(top + 4 + static_cast<int>(i), left + 3) +
               Shown(label + Repeat(' ', static_cast<int>(labelColumns - SjisColumns(label))) + " ： " +
                     Cut(lines[i].value, room));
    }
    size_t caret = 0;
    const int fieldColumns = width - 8;
    out +=
        At(top + 8, left + 3) + "[" + EditField(edit, static_cast<size_t>(fieldColumns), true, caret) + "]";
    if (!note.empty()) out += At(top + 9, left + 4) + "\x1b[1m" + Shown(Cut(note, width - 6)) + "\x1b[22m";
    size_t columns = 0;
    const std::string buttons = Button("保存(Enter)", false, columns) + "  ";
    size_t cancelColumns = 0;
    const std::string cancel = Button("キャンセル(Esc)", false, cancelColumns);
    out += At(top + height - 3, left + width - 3 - static_cast<int>(columns + 2 + cancelColumns)) + buttons +
           cancel;
    m_cursorRow = top + 8;
    m_cursorColumn = left + 4 + static_cast<int>(caret);
    return out;
}

bool ClTerminalUi::GetSaveFileName(const StSAVEREQUEST& request, std::string& path) {
    struct StGUARD {
        ClTerminalUi& ui;
        ~StGUARD() { ui.LeaveScreen(); }
    } guard{*this};
    EnterScreen();
    const std::string folder = request.initialFolder ? request.initialFolder : "";
    ClLineEdit edit;
    edit.SetText(folder + (request.fileName ? request.fileName : ""));
    edit.SetLimit(kMaxSavePath);
    // As in the platform's dialog the name is selected, so that typing replaces it.
    edit.Select(static_cast<int>(folder.size()), -1);
    std::string note;
    for (;;) {
        Show((m_dialogShown ? DrawDialog() : std::string()) + DrawSavePrompt(request, edit, note));
        StTERMKEY key;
        if (!ReadKey(key)) return false;
        const int vk = key.virtualKey;
        if (vk == VKEY_ESCAPE || (key.control && vk == 'C')) return false;
        if (vk != VKEY_RETURN) {
            EditKey(edit, key);
            continue;
        }
        std::string chosen = edit.Text();
        const size_t nameStart = NameStart(chosen);
        if (nameStart == chosen.size()) {
            note = "ファイル名を入力してください。";
            continue;
        }
        // The platform adds the default extension to a name that has none.
        if (chosen.find('.', nameStart) == std::string::npos && request.defaultExtension &&
            *request.defaultExtension)
            chosen += std::string(".") + request.defaultExtension;
        if (chosen.size() > kMaxSavePath) {
            note = "パスが長すぎます。";
            continue;
        }
        path = chosen;
        return true;
    }
}

// ---- the wait cursor ----

void ClTerminalUi::BeginWaitCursor() {
    if (m_waitCursor++ == 0) RestoreWaitCursor();
}

void ClTerminalUi::RestoreWaitCursor() {
    // Drawn on the normal screen; a box on the alternate screen covers it while it waits.
    if (m_waitCursor == 0 || m_screenDepth > 0) return;
    Write("\r\x1b[K\x1b[7m " + Shown("処理中...") + " \x1b[27m");
    m_waitLineShown = true;
}

void ClTerminalUi::EndWaitCursor() {
    if (m_waitCursor == 0 || --m_waitCursor > 0) return;
    if (m_waitLineShown && m_screenDepth == 0) Write("\r\x1b[K");
    m_waitLineShown = false;
}

// ---- the view's controls ----

void ClTerminalUi::SetItemText(int id, const char* text) {
    const std::string value = text ? text : "";
    if (id == IDC_COMPANY)
        m_company = value;
    else if (id == IDC_PERIOD)
        m_period = value;
    else if (id == IDC_PATH)
        m_path.SetText(value);
}

std::string ClTerminalUi::GetItemText(int id) {
    if (id == IDC_COMPANY) return m_company;
    if (id == IDC_PERIOD) return m_period;
    if (id == IDC_PATH) return m_path.Text();
    return "";
}

void ClTerminalUi::LimitText(int id, int bytes) {
    // As the edit control takes it, 0 sets no particular limit.
    if (id == IDC_PATH) m_path.SetLimit(bytes > 0 ? static_cast<size_t>(bytes) : 0);
}

void ClTerminalUi::SetFocus(int id) { m_focus = id; }

void ClTerminalUi::SetSelection(int id, int start, int end) {
    if (id == IDC_PATH) m_path.Select(start, end);
}

bool ClTerminalUi::IsKeyHeld(int virtualKey) {
    if (!m_current) return false;
    return (virtualKey == VKEY_SHIFT && m_current->shift) ||
           (virtualKey == VKEY_CONTROL && m_current->control) || (virtualKey == VKEY_MENU && m_current->alt);
}

void ClTerminalUi::EndDialog(int result) {
    m_ended = true;
    m_result = result;
}
