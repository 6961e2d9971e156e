// conditionwindow.cpp - the controls, boxes and file-save dialog of the condition dialog's window.
#include "conditionwindow.h"

#include <commdlg.h>

#include <cstring>

#include "conditiondlg.h"
#include "osapi.h"
#include "sjisbytes.h"

ClConditionWindow::ClConditionWindow(HINSTANCE instance, CConditionDlg& dialog)
    : ClModalDialog(instance, CConditionDlg::IDD), m_dialog(dialog), m_limitedId(0), m_limitBytes(0),
      m_settingText(false) {}

ClConditionWindow::~ClConditionWindow() { m_dialog.AttachView(nullptr); }

BOOL ClConditionWindow::OnInitDialog() {
    m_dialog.AttachView(this);
    return m_dialog.OnInitDialog() ? TRUE : FALSE;
}

void ClConditionWindow::OnCommand(int id, int notification) {
    if (notification == EN_UPDATE && id == m_limitedId && !m_settingText) KeepToByteLimit();
    if (notification != BN_CLICKED) return;  // the path box's other notifications
    switch (id) {
        case IDC_BROWSE:
            m_dialog.OnBrowse();
            break;
        case IDC_EXECUTE:
            m_dialog.OnExecute();
            break;
        case IDC_CANCEL:
        case IDCANCEL:  // Esc, the close box
            m_dialog.OnCancel();
            break;
        case IDOK:  // Enter that no keyboard rule took: the plain confirm
            m_dialog.OnOK();
            break;
        default:
            break;
    }
}

bool ClConditionWindow::PreTranslateMessage(const MSG& message) {
    return m_dialog.PreTranslateMessage(message.message, static_cast<int>(message.wParam));
}

void ClConditionWindow::SetTextUnchecked(HWND control, const char* text) {
    m_settingText = true;
    SetWindowTextA(control, text);
    m_settingText = false;
}

void ClConditionWindow::SetItemText(int id, const char* text) {
    const HWND control = GetDlgItem(Window(), id);
    if (!control) return;
    SetTextUnchecked(control, text ? text : "");
    if (id == m_limitedId) m_accepted = GetItemText(id);
}

// The controls keep their text in Unicode (Common Controls 6, and Wine's), whatever was typed,
// pasted or put in by an input method; the ANSI read would give a character without a form in
// code page 932 as a look-alike by best fit (ü as u, the yen sign as a backslash), a path to
// another file. Read wide, such a character is "?", which the character rule refuses.
std::string ClConditionWindow::GetItemText(int id) {
    const HWND control = GetDlgItem(Window(), id);
    if (!control) return std::string();
    // A path chosen in the file-save dialog may exceed the box's limit.
    const int length = GetWindowTextLengthW(control);
    if (length <= 0) return std::string();
    std::wstring wide(static_cast<size_t>(length) + 1, L'\0');
    wide.resize(static_cast<size_t>(GetWindowTextW(control, &wide[0], length + 1)));
    std::string text;
    OsTextFromWide(wide, text);
    return text;
}

void ClConditionWindow::LimitText(int id, int bytes) {
    SendDlgItemMessageA(Window(), id, EM_LIMITTEXT, static_cast<WPARAM>(bytes), 0);
    m_limitedId = id;
    m_limitBytes = bytes > 0 ? static_cast<size_t>(bytes) : 0;
    m_accepted = GetItemText(id);
}

// Windows counts the limit of an ANSI edit control in bytes, so a double-byte character counts
// two; some implementations of the control (Wine's) count characters. What a change inserted
// beyond the byte limit is taken back here, keeping the whole characters that fit, as the
// control itself does with a paste that is too long.
void ClConditionWindow::KeepToByteLimit() {
    const HWND control = GetDlgItem(Window(), m_limitedId);
    const std::string now = GetItemText(m_limitedId);
    if (!control || m_limitBytes == 0 || now.size() <= m_limitBytes || now.size() <= m_accepted.size()) {
        m_accepted = now;
        return;
    }
    // The change is what lies between the common head and the common tail of the two texts; both
    // ends are put on character boundaries of the new text.
    size_t head = 0;
    while (head < now.size()) {
        const size_t width = static_cast<size_t>(SjisCharBytes(now.c_str() + head));
        if (head + width > m_accepted.size() || now.compare(head, width, m_accepted, head, width) != 0) break;
        head += width;
    }
    size_t tail = 0;
    while (head + tail < now.size() && head + tail < m_accepted.size() &&
           now[now.size() - 1 - tail] == m_accepted[m_accepted.size() - 1 - tail])
        ++tail;
    size_t end = head;
    while (end < now.size() - tail) end += static_cast<size_t>(SjisCharBytes(now.c_str() + end));
    if (end > now.size()) end = now.size();

    // Whole characters of the inserted text, as many as the limit leaves room for.
    const size_t base = head + (now.size() - end);
    const size_t room = m_limitBytes > base ? m_limitBytes - base : 0;
    size_t taken = 0;
    while (head + taken < end) {
        const size_t width = static_cast<size_t>(SjisCharBytes(now.c_str() + head + taken));
        if (taken + width > room) break;
        taken += width;
    }
    const std::string kept = now.substr(0, head + taken) + now.substr(end);

    // The caret goes after what was kept, in the control's own units (bytes or characters): the
    // end of a selection of that head alone.
    SetTextUnchecked(control, kept.substr(0, head + taken).c_str());
    SendMessageA(control, EM_SETSEL, 0, -1);
    DWORD caret = 0;
    SendMessageA(control, EM_GETSEL, 0, reinterpret_cast<LPARAM>(&caret));
    SetTextUnchecked(control, kept.c_str());
    SendMessageA(control, EM_SETSEL, caret, caret);
    SendMessageA(control, EM_SCROLLCARET, 0, 0);
    m_accepted = kept;
}

// Through the dialog manager rather than SetFocus, so that a focused push button becomes the
// button Enter presses and is drawn as such.
void ClConditionWindow::SetFocus(int id) {
    const HWND control = GetDlgItem(Window(), id);
    if (control) SendMessageA(Window(), WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(control), TRUE);
}

int ClConditionWindow::GetFocus() {
    const HWND focus = ::GetFocus();
    return focus && IsChild(Window(), focus) ? GetDlgCtrlID(focus) : 0;
}

bool ClConditionWindow::IsEnabled(int id) {
    const HWND control = GetDlgItem(Window(), id);
    return control && IsWindowEnabled(control);
}

void ClConditionWindow::SetSelection(int id, int start, int end) {
    SendDlgItemMessageA(Window(), id, EM_SETSEL, static_cast<WPARAM>(start), static_cast<LPARAM>(end));
}

void ClConditionWindow::ScrollCaret(int id) { SendDlgItemMessageA(Window(), id, EM_SCROLLCARET, 0, 0); }

bool ClConditionWindow::IsKeyHeld(int virtualKey) { return GetKeyState(virtualKey) < 0; }

int ClConditionWindow::MessageBox(const char* text, const char* caption, unsigned type) {
    return MessageBoxA(Window(), text, caption, type);
}

namespace {

// Shift-JIS text for the wide API; the conversion from code page 932 is exact.
std::wstring WideOf(const std::string& sjis) {
    const int length = static_cast<int>(sjis.size());
    const int units = length > 0 ? MultiByteToWideChar(932, 0, sjis.data(), length, nullptr, 0) : 0;
    std::wstring wide(static_cast<size_t>(units > 0 ? units : 0), L'\0');
    if (units > 0) MultiByteToWideChar(932, 0, sjis.data(), length, &wide[0], units);
    return wide;
}

}  // namespace

// The wide dialog: the ANSI one hands back a name typed or picked with a character that has no
// form in code page 932 as a look-alike by best fit (über as uber, the yen sign as a backslash).
bool ClConditionWindow::GetSaveFileName(const StSAVEREQUEST& request, std::string& path) {
    // The framework's filter form "text|pattern||" becomes the API's NUL-separated list.
    std::string filter = request.filter ? request.filter : "";
    for (size_t i = 0; i < filter.size(); i += static_cast<size_t>(SjisCharBytes(filter.c_str() + i))) {
        if (filter[i] == '|') filter[i] = '\0';
    }
    filter.push_back('\0');
    const std::wstring wideFilter = WideOf(filter);
    const std::wstring folder = WideOf(request.initialFolder ? request.initialFolder : "");
    const std::wstring title = WideOf(request.title ? request.title : "");
    const std::wstring extension = WideOf(request.defaultExtension ? request.defaultExtension : "");

    // The initial name, cut to whole characters where it does not fit a path buffer of 260 bytes.
    const char* name = request.fileName ? request.fileName : "";
    const std::wstring initial = WideOf(std::string(name, SjisFitBytes(name, MAX_PATH - 1)));
    wchar_t file[MAX_PATH];
    std::memset(file, 0, sizeof file);
    std::memcpy(file, initial.c_str(), initial.size() * sizeof(wchar_t));

    OPENFILENAMEW open;
    std::memset(&open, 0, sizeof open);
    open.lStructSize = sizeof open;
    open.hwndOwner = Window();
    open.lpstrFilter = wideFilter.c_str();
    open.nFilterIndex = 1;
    open.lpstrFile = file;
    open.nMaxFile = MAX_PATH;
    open.lpstrInitialDir = folder.empty() ? nullptr : folder.c_str();
    open.lpstrTitle = request.title ? title.c_str() : nullptr;
    open.Flags = request.flags;
    open.lpstrDefExt = request.defaultExtension ? extension.c_str() : nullptr;
    if (!GetSaveFileNameW(&open)) return false;
    // A character without a form becomes "?", which the character rule refuses. A path of more
    // than 259 bytes ends the dialog as cancelled, as the ANSI dialog's buffer of 260 bytes did.
    std::string chosen;
    OsTextFromWide(file, chosen);
    if (chosen.size() >= MAX_PATH) return false;
    path = chosen;
    return true;
}
