// conditionview.h - what the condition dialog's logic needs of the window that shows it.
//
// The dialog's rules (proposal, browse, execute, keys, saved path) are written once against this
// interface; each front end implements it: the Windows dialog from template 130, and on POSIX a
// terminal dialog and a scripted one. Texts are Shift-JIS byte strings.
#pragma once

#include <cstddef>
#include <string>

// Control identifiers of template 130; 1005 and 1006 are also the dialog's two end results.
enum {
    IDC_COMPANY_TITLE = 1000,
    IDC_PERIOD_TITLE = 1001,
    IDC_COMPANY = 1002,
    IDC_PERIOD = 1003,
    IDC_OUTPUT_GROUP = 1004,
    IDC_EXECUTE = 1005,
    IDC_CANCEL = 1006,
    IDC_PATH = 1007,
    IDC_BROWSE = 1008
};

// Message-box types and answers, as MessageBoxA numbers them.
enum {
    MB_TYPE_REFUSAL = 0x30,   // exclamation icon, OK
    MB_TYPE_NOTICE = 0x40,    // information icon, OK
    MB_TYPE_QUESTION = 0x24,  // question icon, Yes and No, Yes the default
    ANSWER_OK = 1,
    ANSWER_YES = 6,
    ANSWER_NO = 7
};

// Virtual key codes the keyboard rules look at.
enum { VKEY_RETURN = 0x0D, VKEY_SHIFT = 0x10, VKEY_CONTROL = 0x11, VKEY_MENU = 0x12, VKEY_ESCAPE = 0x1B, VKEY_F12 = 0x7B };

// The file-save dialog's request, as OPENFILENAMEA takes it.
struct StSAVEREQUEST {
    const char* defaultExtension;  // "CSV"
    const char* fileName;          // initial file name
    const char* initialFolder;     // initial folder; may be empty
    const char* title;
    const char* filter;            // in the framework's form "text|pattern||"
    unsigned long flags;           // OFN_ flags
};

class ClConditionView {
public:
    virtual ~ClConditionView() {}

    virtual void SetItemText(int id, const char* text) = 0;
    virtual std::string GetItemText(int id) = 0;
    // The edit control's text limit in bytes (what the user can type, not what the program sets).
    virtual void LimitText(int id, int bytes) = 0;
    virtual void SetFocus(int id) = 0;
    virtual int GetFocus() = 0;
    virtual bool IsEnabled(int id) = 0;
    // Selects characters start to end of an edit control (-1: to the end).
    virtual void SetSelection(int id, int start, int end) = 0;
    virtual void ScrollCaret(int id) = 0;
    // Whether a key is held now (the sign of the key state).
    virtual bool IsKeyHeld(int virtualKey) = 0;
    // Ends the modal loop with result; the window goes away when the current command returns.
    virtual void EndDialog(int result) = 0;
    // A message box owned by the dialog; answers ANSWER_OK, ANSWER_YES or ANSWER_NO.
    virtual int MessageBox(const char* text, const char* caption, unsigned type) = 0;
    // The platform's file-save dialog; true and the full path chosen when the user confirms.
    virtual bool GetSaveFileName(const StSAVEREQUEST& request, std::string& path) = 0;
};
