// conditiondlg.cpp - proposal, browse, execute rules and keys of the condition dialog.
#include "conditiondlg.h"

#include <cstring>

#include "buildtable.h"
#include "caption.h"
#include "folderservice.h"
#include "levelcheck.h"
#include "osapi.h"
#include "pathrules.h"
#include "savedpath.h"
#include "sjisbytes.h"
#include "tempfile.h"

namespace {

// OFN_HIDEREADONLY | OFN_NOCHANGEDIR | OFN_PATHMUSTEXIST | OFN_FILEMUSTEXIST: no overwrite
// prompt, since OnExecute asks that question itself.
const unsigned long kSaveFlags = 0x180C;

// Whether the log and the type file fit the 260-byte path buffer beside the data file, as the
// exporter and the closing report place them.
bool SiblingsFit(const char* path) {
    return SiblingFits(path, kTypeFileName, kPathRoom) && SiblingFits(path, CurrentBuild().logName, kPathRoom);
}

// Whether path names one of the program's own files, by what it names rather than how it is spelt
// (8.3 names, trailing dots, "..", another drive or share onto the folder, a link): the type file
// and this build's log, which the run writes beside the data file and would write over each other;
// the settings file and its lock, and the level file, which the program itself reads; and a name
// of our temporaries, which the next export into the folder would take for a leftover.
bool NamesOwnFile(const char* path, const std::string& settingsFolder) {
    const std::string folder(path, FileNameStart(path));
    if (OsSameFile(path, (folder + kTypeFileName).c_str()) || OsSameFile(path, (folder + CurrentBuild().logName).c_str()))
        return true;
    std::string full;
    if (OsFullPath(path, full) && ClTempFile::IsTemporaryName(full.c_str() + FileNameStart(full.c_str()))) return true;
    if (IsSettingsFile(settingsFolder.c_str(), CurrentBuild(), path)) return true;
    char levelFile[kPathRoom];
    if (!OsGetProgramFolder(levelFile, sizeof levelFile - std::strlen(kLevelFileName))) return false;
    return OsSameFile(path, std::strcat(levelFile, kLevelFileName));
}

const char kNoFileName[] = "ファイル名が指定されていません。";

// Whether a file name is only dots and blanks: Windows drops them, so it names the folder itself
// (".") or the one above it ("..").
bool NamesTheFolder(const std::string& name) { return name.find_first_not_of(". ") == std::string::npos; }

}  // namespace

CConditionDlg::CConditionDlg(void* /*parent*/)
    : selectionNo(0), dataSetNo(0), dataSetId(), pastDataFlag(0), userId(), m_view(nullptr) {}

CConditionDlg::~CConditionDlg() { ClFileMgr::Inst()->Release(); }

void CConditionDlg::UpdateData(bool fromControls) {
    if (!m_view) return;
    if (fromControls) {
        companyText = m_view->GetItemText(IDC_COMPANY);
        periodText = m_view->GetItemText(IDC_PERIOD);
        outputPath = m_view->GetItemText(IDC_PATH);
    } else {
        m_view->SetItemText(IDC_COMPANY, companyText.c_str());
        m_view->SetItemText(IDC_PERIOD, periodText.c_str());
        m_view->SetItemText(IDC_PATH, outputPath.c_str());
    }
}

int CConditionDlg::Ask(const char* text, unsigned type) {
    return m_view ? m_view->MessageBox(text, kCaption, type) : ANSWER_NO;
}

void CConditionDlg::RefocusPathBox() {
    if (!m_view) return;
    m_view->SetFocus(IDC_PATH);
    m_view->SetSelection(IDC_PATH, 0, -1);
    m_view->ScrollCaret(IDC_PATH);
}

bool CConditionDlg::OnInitDialog() {
    UpdateData(false);
    if (pastDataFlag == 1) {
        Ask("過去実績データは、連携の対象として使用できません。\n\nアプリケーションを終了します。", MB_TYPE_REFUSAL);
        if (m_view) m_view->EndDialog(IDC_CANCEL);
    }
    if (m_view) m_view->LimitText(IDC_PATH, kPathBoxLimit);

    char proposal[kPathRoom];
    std::memset(proposal, 0, sizeof proposal);
    if (!ReadSavedPath(proposal)) {
        // The host's default output folder, used as it comes; else the temporary folder.
        const char* folder = ClFileMgr::Inst()->GetAppFolderPath(ClFileMgr::FolderOutput);
        std::strncpy(proposal, folder ? folder : "", kPathRoom - 1);
        if (!proposal[0]) {
            OsGetTempFolder(proposal, kPathRoom);
            if (proposal[0]) AddTrailingBackslash(proposal, kPathRoom);
        }
        // A folder that leaves no room for the pattern gets none rather than a cut one.
        if (std::strlen(proposal) + 5 < kPathRoom) std::strcat(proposal, "*.csv");
    }
    outputPath = proposal;
    UpdateData(false);
    return true;
}

void CConditionDlg::OnCancel() {
    Ask("｢減価償却｣の集計を中止します。", MB_TYPE_NOTICE);
    if (m_view) m_view->EndDialog(IDC_CANCEL);
}

void CConditionDlg::OnBrowse() {
    if (!m_view) return;
    UpdateData(true);
    const size_t split = SaveNameStart(outputPath.c_str());
    const std::string folder = outputPath.substr(0, split);
    const std::string name = outputPath.substr(split);

    const StSAVEREQUEST request = {"CSV", name.c_str(), folder.c_str(), "保存ファイルを指定",
                                   "CSV Files (*.csv)|*.csv||", kSaveFlags};
    std::string chosen;
    if (m_view->GetSaveFileName(request, chosen)) {
        outputPath = chosen;
        m_view->SetItemText(IDC_PATH, outputPath.c_str());
    }
    m_view->SetFocus(IDC_EXECUTE);
}

void CConditionDlg::Refuse(const char* text) {
    Ask(text, MB_TYPE_REFUSAL);
    RefocusPathBox();
}

bool CConditionDlg::Confirm(const char* text) {
    if (Ask(text, MB_TYPE_QUESTION) == ANSWER_YES) return true;
    RefocusPathBox();
    return false;
}

// The rules that look at the text alone, in their order; the first refusal, or null.
const char* CConditionDlg::TextRefusal() const {
    const char* path = outputPath.c_str();
    if (outputPath.empty()) return "データ出力先が指定されていません。\n\n出力先を指定してください。";
    // The run goes on with the path in a buffer of 260 bytes: a longer one would be exported cut,
    // that is, to some other file. The box limits typing to 255 bytes, but not every edit control
    // counts bytes, and a chosen file can be longer.
    if (outputPath.size() >= kPathRoom || !SiblingsFit(path)) return "データの出力先が長すぎます。\n\n出力先を再入力してください。";
    if (!IsValidPathText(path)) return "データの出力先に不正な文字が含まれています。\n\n出力先を再入力してください。";
    if (!IsValidDrive(path)) return "ドライブ名が有効でありません。\n\n有効なドライブを指定してください。";
    if (NamesTheFolder(outputPath.substr(PastLastChar(path, '\\')))) return kNoFileName;
    if (NamesOwnFile(path, m_settingsFolder))
        return "データの出力先に、連動プログラムが使用するファイルは指定できません。\n\n出力先を再入力してください。";
    return nullptr;
}

void CConditionDlg::OnExecute() {
    if (!m_view) return;
    UpdateData(true);
    if (const char* refusal = TextRefusal()) {
        Refuse(refusal);
        return;
    }
    const std::string folder = outputPath.substr(0, PastLastChar(outputPath.c_str(), '\\'));
    if (!folder.empty() && !FolderExists(folder.c_str())) {
        if (!Confirm("指定されたフォルダは存在しません。\n\n作成してもよろしいですか？")) return;
        if (!CreateFolderChain(folder.c_str())) {
            Refuse("フォルダの作成に失敗しました。\n\n出力先を再入力してください。");
            return;
        }
    }
    switch (OsGetFileStatus(outputPath.c_str()).kind) {
        case FileNone:
            m_view->EndDialog(IDC_EXECUTE);
            return;
        case FileFolder:
            Refuse(kNoFileName);
            return;
        case FileSpecial:
            // A FIFO, a device or a link would take the data somewhere else, or swallow it.
            Refuse("データの出力先は通常のファイルではありません。\n\n出力先を再入力してください。");
            return;
        default:
            if (Confirm("同名のファイルが存在します。\n\n上書きしてもよろしいですか？")) m_view->EndDialog(IDC_EXECUTE);
    }
}

bool CConditionDlg::PreTranslateMessage(unsigned message, int virtualKey) {
    if (!m_view || message != KEYMSG_KEYDOWN) return false;
    if (m_view->IsKeyHeld(VKEY_SHIFT) || m_view->IsKeyHeld(VKEY_CONTROL) || m_view->IsKeyHeld(VKEY_MENU)) return false;
    if (virtualKey == VKEY_F12) {
        OnExecute();
        return true;
    }
    if (virtualKey != VKEY_RETURN) return false;
    switch (m_view->GetFocus()) {
        case IDC_PATH:
            m_view->SetFocus(m_view->IsEnabled(IDC_BROWSE) ? IDC_BROWSE : IDC_EXECUTE);
            return true;
        case IDC_BROWSE:
            OnBrowse();
            return true;
        case IDC_EXECUTE:
            OnExecute();
            return true;
        default:
            return false;
    }
}

int CConditionDlg::ReadSavedPath(char* path) {
    const StSAVEDPATHOWNER owner = {userId, static_cast<int>(selectionNo), dataSetId};
    const char* folder = ClFileMgr::Inst()->GetAppFolderPath(ClFileMgr::FolderSettings);
    // Kept for the execute rules, which refuse the settings file as an output.
    m_settingsFolder = folder ? folder : "";
    return LoadSavedPath(folder, CurrentBuild(), owner, path);
}

int CConditionDlg::SaveOutputPath(const char* path) {
    const StSAVEDPATHOWNER owner = {userId, static_cast<int>(selectionNo), dataSetId};
    return StoreSavedPath(ClFileMgr::Inst()->GetAppFolderPath(ClFileMgr::FolderSettings), CurrentBuild(), owner,
                          path);
}
