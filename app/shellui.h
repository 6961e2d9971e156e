// shellui.h - what the run sequence needs of the desktop framework: the modal dialog, message
// boxes without an owner and the wait cursor. Each front end implements it.
#pragma once

class CConditionDlg;

class ClShellUi {
public:
    virtual ~ClShellUi() {}

    // Shows the dialog modally: makes its window and view, runs OnInitDialog, then the user's
    // commands, until the dialog ends; the window is gone on return. Returns the end result.
    virtual int DoModal(CConditionDlg& dialog) = 0;
    // A message box with no owner window; answers as ClConditionView::MessageBox.
    virtual int MessageBox(const char* text, const char* caption, unsigned type) = 0;
    virtual void BeginWaitCursor() = 0;
    // Shows the wait cursor again after something (a viewer, a box) may have changed it.
    virtual void RestoreWaitCursor() = 0;
    virtual void EndWaitCursor() = 0;
    // Shows a Shift-JIS text file and returns when the user has closed it; for the link error log
    // when neither of the platform's viewers could be started. False: this front end has no way
    // of its own to show it.
    virtual bool ShowTextFile(const char* /*path*/) { return false; }
    // A link error log that holds entries, before a viewer is started on it. True: the front end
    // has told where the log is itself and no viewer is started, for runs that nobody watches.
    virtual bool ReportLogWithoutViewer(const char* /*path*/) { return false; }
};
