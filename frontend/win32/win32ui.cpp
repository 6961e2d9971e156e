// win32ui.cpp - the modal dialog, the ownerless boxes, the wait cursor and the console hand-over.
#include "win32ui.h"

#include <cstdio>

#include "conditiondlg.h"
#include "conditionwindow.h"

#include <commctrl.h>  // after <windows.h>, which conditionwindow.h brings

ClWin32Ui::ClWin32Ui() : m_waitDepth(0), m_cursorBefore(nullptr) {
    // The manifest asks for Common Controls 6, whose classes are registered only on request.
    INITCOMMONCONTROLSEX controls = {sizeof controls, ICC_STANDARD_CLASSES};
    InitCommonControlsEx(&controls);
}

int ClWin32Ui::DoModal(CConditionDlg& dialog) {
    ClConditionWindow window(GetModuleHandleA(nullptr), dialog);
    // No owner: the run has no main window, and the template centres the dialog on the screen.
    return window.DoModal(nullptr);
}

int ClWin32Ui::MessageBox(const char* text, const char* caption, unsigned type) {
    return MessageBoxA(nullptr, text, caption, type);
}

void ClWin32Ui::BeginWaitCursor() {
    HCURSOR before = SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
    if (m_waitDepth++ == 0) m_cursorBefore = before;
}

// A box or the viewer may have put the arrow back while the export's wait goes on.
void ClWin32Ui::RestoreWaitCursor() {
    if (m_waitDepth > 0) SetCursor(LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_WAIT)));
}

void ClWin32Ui::EndWaitCursor() {
    if (m_waitDepth == 0 || --m_waitDepth > 0) return;
    SetCursor(m_cursorBefore ? static_cast<HCURSOR>(m_cursorBefore)
                             : LoadCursorA(nullptr, reinterpret_cast<LPCSTR>(IDC_ARROW)));
}

void ConnectToParentConsole() {
    // Started with redirected handles (a pipe, a file) the runtime writes there already.
    const HANDLE out = GetStdHandle(STD_OUTPUT_HANDLE);
    if (out && out != INVALID_HANDLE_VALUE && GetFileType(out) != FILE_TYPE_UNKNOWN) return;
    if (!AttachConsole(ATTACH_PARENT_PROCESS)) return;
    std::freopen("CONOUT$", "w", stdout);
    std::freopen("CONOUT$", "w", stderr);
    std::freopen("CONIN$", "r", stdin);
}
