// win32ui.h - the Windows front end: the condition dialog from template 130, message boxes without
// an owner and the wait cursor, for the run sequence. No <windows.h> here: main.cpp includes it.
#pragma once

#include "shellui.h"

class ClWin32Ui : public ClShellUi {
public:
    ClWin32Ui();
    ClWin32Ui(const ClWin32Ui&) = delete;
    ClWin32Ui& operator=(const ClWin32Ui&) = delete;

    // ClShellUi
    int DoModal(CConditionDlg& dialog) override;
    int MessageBox(const char* text, const char* caption, unsigned type) override;
    void BeginWaitCursor() override;
    void RestoreWaitCursor() override;
    void EndWaitCursor() override;

private:
    int m_waitDepth;
    void* m_cursorBefore;  // HCURSOR shown before the wait cursor
};

// A GUI program has no console: when its standard output is not redirected, the transcript of the
// scripted front end goes to the console of the process that started it, if there is one.
void ConnectToParentConsole();
