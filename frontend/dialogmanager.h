// dialogmanager.h - what the POSIX front ends emulate of the Windows dialog manager, once for both.
//
// Windows gives the condition dialog its focus and tab order, its mnemonics, the keys of its
// buttons, the key state, the modal end and the file-save dialog's rules. The scripted and the
// terminal front end derive from ClDialogManager and supply only the controls, the boxes and the
// drawing; every rule here is what Windows' own dialog does.
#pragma once

#include <cstddef>
#include <string>

#include "conditionview.h"

class CConditionDlg;

// Virtual key codes the dialog manager looks at besides those of conditionview.h.
enum {
    VKEY_TAB = 0x09,
    VKEY_SPACE = 0x20,
    VKEY_LEFT = 0x25,
    VKEY_UP = 0x26,
    VKEY_RIGHT = 0x27,
    VKEY_DOWN = 0x28
};

// One key press with the modifiers held.
struct StDLGKEY {
    int virtualKey;
    bool shift, control, alt;
};

class ClDialogManager : public ClConditionView {
public:
    ClDialogManager();

    // ClConditionView: the focus, the key state and the modal end are the dialog manager's.
    void SetFocus(int id) override { m_focus = id; }
    int GetFocus() override { return m_focus; }
    bool IsEnabled(int id) override { return id != 0; }
    bool IsKeyHeld(int virtualKey) override;
    void EndDialog(int result) override;

    // Binds the view and initialises the dialog; the first tab stop, the path box, gets the focus
    // with its text selected. The front end sets the controls' initial texts before.
    void OpenDialog(CConditionDlg& dialog);
    void CloseDialog(CConditionDlg& dialog);
    bool DialogEnded() const { return m_ended; }
    int DialogResult() const { return m_result; }

    // A key pressed in the dialog: the dialog's keyboard rules first, then the dialog manager's
    // own handling. False when neither took it: the key is for the focused control.
    bool HandleKey(CConditionDlg& dialog, const StDLGKEY& key);
    // Button id is pressed: clicked, Enter or Space on it, or its mnemonic.
    virtual void Press(CConditionDlg& dialog, int id);

    // The file-save dialog's verdict on the path the user confirmed.
    enum _SaveVerdict {
        SaveTaken,   // path is the file chosen, with the default extension added to a bare name
        SaveNoName,  // path names a folder: the dialog stays open and asks for a name
        SaveTooLong  // path does not fit the dialog's buffer: it ends as if cancelled
    };
    static _SaveVerdict CheckSavePath(const StSAVEREQUEST& request, std::string& path);
    // What the file-save dialog takes at most (its buffer of 260 bytes holds the terminator too).
    static constexpr size_t kMaxSavePath = 259;
    // The file-save dialog's word for a path without a file name.
    static const char kNoNameNote[];

private:
    void MoveFocus(bool backwards);
    void FocusPathBox();

    int m_focus;
    bool m_ended;
    int m_result;
    const StDLGKEY* m_current;  // the key being handled, for IsKeyHeld
};
