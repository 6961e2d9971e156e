// dialogmanager.cpp - focus, keys, modal end and file-save rules as Windows' dialog manager has them.
#include "dialogmanager.h"

#include "conditiondlg.h"
#include "winpath.h"

namespace {

// Tab order of template 130's tab stops.
const int kTabOrder[] = {IDC_PATH, IDC_BROWSE, IDC_EXECUTE, IDC_CANCEL};
const size_t kTabStops = sizeof kTabOrder / sizeof kTabOrder[0];

}  // namespace

const char ClDialogManager::kNoNameNote[] = "ファイル名を入力してください。";

ClDialogManager::ClDialogManager() : m_focus(0), m_ended(false), m_result(0), m_current(nullptr) {}

bool ClDialogManager::IsKeyHeld(int virtualKey) {
    if (!m_current) return false;
    return (virtualKey == VKEY_SHIFT && m_current->shift) ||
           (virtualKey == VKEY_CONTROL && m_current->control) || (virtualKey == VKEY_MENU && m_current->alt);
}

void ClDialogManager::EndDialog(int result) {
    m_ended = true;
    m_result = result;
}

void ClDialogManager::OpenDialog(CConditionDlg& dialog) {
    m_focus = 0;
    m_ended = false;
    m_result = 0;
    dialog.AttachView(this);
    if (dialog.OnInitDialog() && !m_ended) FocusPathBox();
}

void ClDialogManager::CloseDialog(CConditionDlg& dialog) { dialog.AttachView(nullptr); }

void ClDialogManager::FocusPathBox() {
    // An edit box that the dialog manager focuses selects its whole text.
    m_focus = IDC_PATH;
    SetSelection(IDC_PATH, 0, -1);
}

void ClDialogManager::MoveFocus(bool backwards) {
    size_t at = 0;
    while (at < kTabStops && kTabOrder[at] != m_focus) ++at;
    at = at == kTabStops ? 0 : (backwards ? at + kTabStops - 1 : at + 1) % kTabStops;
    if (kTabOrder[at] == IDC_PATH)
        FocusPathBox();
    else
        m_focus = kTabOrder[at];
}

void ClDialogManager::Press(CConditionDlg& dialog, int id) {
    m_focus = id;
    if (id == IDC_BROWSE)
        dialog.OnBrowse();
    else if (id == IDC_EXECUTE)
        dialog.OnExecute();
    else if (id == IDC_CANCEL)
        dialog.OnCancel();
}

bool ClDialogManager::HandleKey(CConditionDlg& dialog, const StDLGKEY& key) {
    // Held while the key is handled, as the key state is while Windows handles its message.
    m_current = &key;
    bool taken = true;
    const int vk = key.virtualKey;
    const bool onButton = m_focus == IDC_BROWSE || m_focus == IDC_EXECUTE || m_focus == IDC_CANCEL;
    // The mnemonics: 出力先(&O) is the group box before the path box, 参照(&D) the browse button. A
    // button takes no characters, so a letter typed there (Shift or not) is a mnemonic too; with Ctrl
    // held a key makes no character and so no mnemonic.
    const bool mnemonic = !key.control && (key.alt || onButton) && (vk == 'O' || vk == 'D');
    if (mnemonic && vk == 'O') {
        FocusPathBox();
    } else if (mnemonic) {
        Press(dialog, IDC_BROWSE);
    } else if (key.alt) {
        // Another system key: it never reaches the keyboard rules, and the dialog has no use for it.
    } else if (dialog.PreTranslateMessage(KEYMSG_KEYDOWN, vk) || m_ended) {
        // The keyboard rules took it.
    } else if (vk == VKEY_ESCAPE) {
        dialog.OnCancel();
    } else if (vk == VKEY_TAB) {
        MoveFocus(key.shift);  // Ctrl+Tab too: the dialog manager looks at Shift only
    } else if (vk == VKEY_RETURN) {
        // No default button: Enter presses the focused button, elsewhere it is the plain confirm.
        if (onButton)
            Press(dialog, m_focus);
        else
            dialog.OnOK();
    } else if (onButton && vk == VKEY_SPACE) {
        Press(dialog, m_focus);
    } else if (onButton && (vk == VKEY_LEFT || vk == VKEY_UP || vk == VKEY_RIGHT || vk == VKEY_DOWN)) {
        // The tab stops form one group: arrows walk it as Tab does.
        MoveFocus(vk == VKEY_LEFT || vk == VKEY_UP);
    } else {
        taken = false;
    }
    m_current = nullptr;
    return taken;
}

ClDialogManager::_SaveVerdict ClDialogManager::CheckSavePath(const StSAVEREQUEST& request,
                                                             std::string& path) {
    const size_t nameStart = SaveNameStart(path.c_str());
    // A folder ("C:\dir\"): the platform's dialog opens it, or names it missing, and stays open.
    if (nameStart == path.size()) return SaveNoName;
    // The platform adds the default extension to a name that has none.
    if (path.find('.', nameStart) == std::string::npos && request.defaultExtension &&
        *request.defaultExtension)
        path += std::string(".") + request.defaultExtension;
    // A longer path does not fit the platform's buffer: its dialog ends without a file.
    return path.size() > kMaxSavePath ? SaveTooLong : SaveTaken;
}
