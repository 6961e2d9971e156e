// terminalui.h - the interactive front end for a POSIX terminal.
//
// The condition dialog, its message boxes and a file-save prompt drawn with ANSI sequences
// (screen.h), keys read in raw mode (keydecoder.h).
#pragma once

#include <string>

#include "dialogmanager.h"
#include "keydecoder.h"
#include "lineedit.h"
#include "shellui.h"

class ClTerminalUi : public ClShellUi, public ClDialogManager {
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
    // In the pager (see pager.h), the terminal in its normal mode and on its normal screen meanwhile.
    bool ShowTextFile(const char* path) override;

    // ClConditionView: the controls (the focus, the key state and the end are ClDialogManager's)
    void SetItemText(int id, const char* text) override;
    std::string GetItemText(int id) override;
    void LimitText(int id, int bytes) override;
    void SetSelection(int id, int start, int end) override;
    void ScrollCaret(int) override {}  // every drawing keeps the caret in view
    bool GetSaveFileName(const StSAVEREQUEST& request, std::string& path) override;

private:
    // Raw mode and the alternate screen for one modal loop; nested loops share it.
    void EnterScreen();
    void LeaveScreen();
    // Raw mode and the alternate screen themselves, also taken back after the pager.
    void TakeTerminal();
    // The next key; false at the end of the input.
    bool ReadKey(StTERMKEY& key);
    void Write(const std::string& bytes);
    void QuerySize();

    void HandleDialogKey(CConditionDlg& dialog, const StTERMKEY& key);
    // Editing keys of a focused edit box; false when the key is not one of them.
    bool EditKey(ClLineEdit& edit, const StTERMKEY& key);

    // The drawings of screen.h for this screen's size and the dialog's state.
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
    int m_waitCursor;
    bool m_waitLineShown;
};
