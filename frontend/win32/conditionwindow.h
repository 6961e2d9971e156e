// conditionwindow.h - the condition dialog's window from template 130: the view of CConditionDlg
// as thin pass-throughs to the dialog's controls, and its commands and keys routed to the logic.
#pragma once

#include <string>

#include "conditionview.h"
#include "modaldialog.h"

class CConditionDlg;

class ClConditionWindow : public ClModalDialog, public ClConditionView {
public:
    ClConditionWindow(HINSTANCE instance, CConditionDlg& dialog);
    ~ClConditionWindow() override;

    // ClConditionView
    void SetItemText(int id, const char* text) override;
    std::string GetItemText(int id) override;
    void LimitText(int id, int bytes) override;
    void SetFocus(int id) override;
    int GetFocus() override;
    bool IsEnabled(int id) override;
    void SetSelection(int id, int start, int end) override;
    void ScrollCaret(int id) override;
    bool IsKeyHeld(int virtualKey) override;
    void EndDialog(int result) override { ClModalDialog::EndDialog(result); }
    int MessageBox(const char* text, const char* caption, unsigned type) override;
    bool GetSaveFileName(const StSAVEREQUEST& request, std::string& path) override;

protected:
    BOOL OnInitDialog() override;
    void OnCommand(int id, int notification) override;
    bool PreTranslateMessage(const MSG& message) override;

private:
    // Holds the limited box to its limit in bytes after a change the control let through.
    void KeepToByteLimit();
    // Sets a control's text as the program does (no limit applies).
    void SetTextUnchecked(HWND control, const char* text);

    CConditionDlg& m_dialog;
    int m_limitedId;          // the box whose text limit is kept in bytes; 0: none
    size_t m_limitBytes;
    std::string m_accepted;   // its text after the last change that kept the limit
    bool m_settingText;       // a change made by the program, not typed
};
