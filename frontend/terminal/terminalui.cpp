// terminalui.cpp - the terminal front end: the modal loops, the terminal's mode and the view's controls.
#include "terminalui.h"

#include <poll.h>
#include <sys/ioctl.h>
#include <termios.h>
#include <unistd.h>

#include <cerrno>
#include <csignal>
#include <cstdlib>
#include <cstring>
#include <fstream>

#include "conditiondlg.h"
#include "osapi.h"
#include "pager.h"
#include "screen.h"
#include "sjisbytes.h"

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

// The text's lines for the terminal, each converted on its own so that one line with bytes that
// are not Shift-JIS (kept as they are) does not keep the others from being converted. CR LF
// becomes LF, the terminal's own line end.
std::string TerminalLines(const std::string& sjis) {
    std::string out;
    for (size_t start = 0; start < sjis.size();) {
        size_t end = sjis.find('\n', start);
        const bool ended = end != std::string::npos;
        if (!ended) end = sjis.size();
        std::string line = sjis.substr(start, end - start);
        if (ended && !line.empty() && line.back() == '\r') line.pop_back();
        out += OsTerminalText(line.c_str());
        if (ended) out += '\n';
        start = end + 1;
    }
    return out;
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
    TakeTerminal();
}

void ClTerminalUi::TakeTerminal() {
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
    m_dialogShown = false;

    struct StGUARD {
        ClTerminalUi& ui;
        CConditionDlg& dialog;
        ~StGUARD() {
            ui.m_dialogShown = false;
            ui.CloseDialog(dialog);
            ui.LeaveScreen();
        }
    } guard{*this, dialog};
    EnterScreen();
    OpenDialog(dialog);
    m_dialogShown = !DialogEnded();
    while (!DialogEnded()) {
        Show(DrawDialog());
        StTERMKEY key;
        if (!ReadKey(key)) {
            // The input is gone: the user cannot answer any more, as if the window were closed.
            dialog.OnCancel();
            if (!DialogEnded()) EndDialog(IDC_CANCEL);
            break;
        }
        HandleDialogKey(dialog, key);
    }
    return DialogResult();
}

void ClTerminalUi::HandleDialogKey(CConditionDlg& dialog, const StTERMKEY& key) {
    if (key.virtualKey == 0) return;
    // Ctrl+C, the terminal's interrupt, arrives as a key in raw mode: it cancels as Esc does.
    if (key.control && key.virtualKey == 'C') {
        dialog.OnCancel();
        return;
    }
    const StDLGKEY pressed = {key.virtualKey, key.shift, key.control, key.alt};
    if (!HandleKey(dialog, pressed) && GetFocus() == IDC_PATH) EditKey(m_path, key);
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
    return ::DrawDialog(m_rows, m_columns, m_company, m_period, m_path, GetFocus(), m_cursorRow, m_cursorColumn);
}

// ---- message boxes ----

std::string ClTerminalUi::DrawMessageBox(const std::string& text, const std::string& caption, unsigned type,
                                         int focused) {
    return ::DrawMessageBox(m_rows, m_columns, text, caption, type, focused, m_cursorRow);
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
        // The dialog first: the box over it decides where the caret is (the operands of + have no order).
        const std::string under = m_dialogShown ? DrawDialog() : std::string();
        Show(under + DrawMessageBox(body, title, type, focused));
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
    return ::DrawSavePrompt(m_rows, m_columns, request, edit, note, m_cursorRow, m_cursorColumn);
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
        const std::string under = m_dialogShown ? DrawDialog() : std::string();
        Show(under + DrawSavePrompt(request, edit, note));
        StTERMKEY key;
        if (!ReadKey(key)) return false;
        const int vk = key.virtualKey;
        if (vk == VKEY_ESCAPE || (key.control && vk == 'C')) return false;
        if (vk != VKEY_RETURN) {
            EditKey(edit, key);
            continue;
        }
        std::string chosen = edit.Text();
        const _SaveVerdict verdict = CheckSavePath(request, chosen);
        if (verdict == SaveNoName) {
            note = kNoNameNote;
            continue;
        }
        // As the platform's dialog, whose buffer the path does not fit: it ends without a file.
        if (verdict == SaveTooLong) return false;
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

// ---- a text file in the pager ----

bool ClTerminalUi::ShowTextFile(const char* path) {
    std::string native;
    if (!path || OsGetFileStatus(path).kind != FilePlain || !OsNativePath(path, native)) return false;
    std::ifstream file(native, std::ios::binary);
    if (!file) return false;
    std::string sjis;
    char buffer[4096];
    while (file.read(buffer, sizeof buffer) || file.gcount() > 0)
        sjis.append(buffer, static_cast<size_t>(file.gcount()));
    if (file.bad()) return false;
    const std::string text = TerminalLines(sjis);

    // The pager needs the terminal as the user's shell has it: cooked, on the normal screen.
    const bool onScreen = m_screenDepth > 0;
    if (onScreen) {
        RestoreTerminal();
        m_rawMode = false;
    } else if (m_waitLineShown) {
        Write("\r\x1b[K");
    }
    const bool shown = RunPager(text, m_out);
    if (onScreen) {
        TakeTerminal();
    } else if (m_waitLineShown) {
        RestoreWaitCursor();
    }
    return shown;
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

void ClTerminalUi::SetSelection(int id, int start, int end) {
    if (id == IDC_PATH) m_path.Select(start, end);
}
