// modaldialog.h - a modal dialog from a resource template, with a message loop of its own.
//
// The system's DialogBoxParam gives the program no look at a key before the dialog manager
// turns it into navigation or a command; this loop hands every message of the dialog's windows to
// PreTranslateMessage first, then to IsDialogMessageW, then translates and dispatches it.
#pragma once

#include <windows.h>

// The view's operations share their names with the API's A/W macros; this layer calls the ANSI
// functions by their own names.
#undef MessageBox
#undef GetSaveFileName

class ClModalDialog {
public:
    ClModalDialog(HINSTANCE instance, int templateId);
    virtual ~ClModalDialog();
    ClModalDialog(const ClModalDialog&) = delete;
    ClModalDialog& operator=(const ClModalDialog&) = delete;

    // Creates the window from the template (hidden), lets OnInitDialog run, shows the window
    // unless the dialog was ended meanwhile, and runs the loop until EndDialog. The owner, if
    // any, is disabled meanwhile. The window is destroyed on return. The end result, or -1 when
    // the window could not be created.
    int DoModal(HWND owner);
    // Ends the loop with result once the message being handled returns.
    void EndDialog(int result);
    HWND Window() const { return m_window; }

protected:
    // WM_INITDIALOG; TRUE: the dialog manager focuses the first tab stop.
    virtual BOOL OnInitDialog() { return TRUE; }
    // WM_COMMAND: a control's notification, or IDOK / IDCANCEL from the dialog manager.
    virtual void OnCommand(int id, int notification) = 0;
    // Every message for the dialog or one of its controls, before the dialog manager sees it;
    // true when it was consumed.
    virtual bool PreTranslateMessage(const MSG&) { return false; }

private:
    static INT_PTR CALLBACK DialogProc(HWND window, UINT message, WPARAM wParam, LPARAM lParam);

    HINSTANCE m_instance;
    int m_templateId;
    HWND m_window;
    bool m_ended;
    int m_result;
};
