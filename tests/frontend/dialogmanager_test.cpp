// dialogmanager_test.cpp - the emulated dialog manager: focus and tab order, mnemonics, the keys of
// buttons, the key state and the file-save dialog's rules, each as Windows' own dialog has it.
#include "dialogmanager.h"

#include <gtest/gtest.h>

#include <cstdio>
#include <map>
#include <string>
#include <vector>

#include "box_texts.h"
#include "conditiondlg.h"
#include "scriptedui.h"

namespace {

// The controls of the condition dialog without a screen: texts, the boxes shown and the file-save
// dialogs opened (each cancelled).
class ClTestDialog : public ClDialogManager {
public:
    void SetItemText(int id, const char* text) override { texts[id] = text ? text : ""; }
    std::string GetItemText(int id) override { return texts[id]; }
    void LimitText(int, int) override {}
    void SetSelection(int id, int start, int end) override {
        pathSelected = id == IDC_PATH && start == 0 && end == -1;
    }
    void ScrollCaret(int) override {}
    int MessageBox(const char* text, const char*, unsigned) override {
        boxes.push_back(text);
        return ANSWER_NO;
    }
    bool GetSaveFileName(const StSAVEREQUEST&, std::string&) override {
        ++saveDialogs;
        return false;
    }

    std::map<int, std::string> texts;
    bool pathSelected = false;
    std::vector<std::string> boxes;
    int saveDialogs = 0;
};

class DialogManager : public ::testing::Test {
protected:
    DialogManager() { view.OpenDialog(dialog); }
    ~DialogManager() override { view.CloseDialog(dialog); }

    // A key pressed with the focus on id; whether the dialog or its manager took it.
    bool Key(int id, int virtualKey, bool shift = false, bool control = false, bool alt = false) {
        view.SetFocus(id);
        view.pathSelected = false;
        return view.HandleKey(dialog, StDLGKEY{virtualKey, shift, control, alt});
    }
    bool Nothing() const { return view.boxes.empty() && view.saveDialogs == 0 && !view.DialogEnded(); }

    CConditionDlg dialog;
    ClTestDialog view;
};

TEST_F(DialogManager, OpensOnThePathBoxWithItsTextSelected) {
    EXPECT_EQ(view.GetFocus(), IDC_PATH);
    EXPECT_TRUE(view.pathSelected);
    EXPECT_FALSE(view.DialogEnded());
}

// Ctrl+Tab walks as Tab does: the dialog manager looks at Shift only.
TEST_F(DialogManager, TabWalksTheTabStopsInTemplateOrderWithCtrlOrWithout) {
    const int order[] = {IDC_PATH, IDC_BROWSE, IDC_EXECUTE, IDC_CANCEL, IDC_PATH};
    for (int i = 0; i < 4; ++i) {
        EXPECT_TRUE(Key(order[i], VKEY_TAB, false, i % 2 == 1));
        EXPECT_EQ(view.GetFocus(), order[i + 1]);
        EXPECT_TRUE(Key(order[i + 1], VKEY_TAB, true, i % 2 == 0));
        EXPECT_EQ(view.GetFocus(), order[i]);
    }
    Key(IDC_CANCEL, VKEY_TAB);
    EXPECT_TRUE(view.pathSelected);  // reached by the keyboard, the path box selects its text
    EXPECT_TRUE(Key(IDC_BROWSE, VKEY_RIGHT));
    EXPECT_EQ(view.GetFocus(), IDC_EXECUTE);
    EXPECT_TRUE(Key(IDC_BROWSE, VKEY_UP));
    EXPECT_EQ(view.GetFocus(), IDC_PATH);
    EXPECT_FALSE(Key(IDC_PATH, VKEY_LEFT));  // the path box's own caret key
    EXPECT_TRUE(Nothing());
}

TEST_F(DialogManager, MnemonicsWithAltOrTypedOnAButtonNotWithCtrl) {
    EXPECT_TRUE(Key(IDC_CANCEL, 'O', false, false, true));
    EXPECT_EQ(view.GetFocus(), IDC_PATH);
    EXPECT_TRUE(view.pathSelected);
    EXPECT_TRUE(Key(IDC_EXECUTE, 'O', true));
    EXPECT_EQ(view.GetFocus(), IDC_PATH);
    EXPECT_FALSE(Key(IDC_PATH, 'O'));  // typed into the path box
    EXPECT_TRUE(Key(IDC_CANCEL, 'O', false, true, true));
    EXPECT_FALSE(Key(IDC_CANCEL, 'D', false, true, false));
    EXPECT_EQ(view.GetFocus(), IDC_CANCEL);
    EXPECT_TRUE(Nothing());

    EXPECT_TRUE(Key(IDC_PATH, 'D', false, false, true));
    EXPECT_TRUE(Key(IDC_CANCEL, 'D'));
    EXPECT_EQ(view.saveDialogs, 2);
    EXPECT_EQ(view.GetFocus(), IDC_EXECUTE);  // where the browse leaves it
}

TEST_F(DialogManager, EnterAndSpacePressTheFocusedButtonWithAnyModifierButAlt) {
    EXPECT_TRUE(Key(IDC_BROWSE, VKEY_RETURN, false, true));
    EXPECT_TRUE(Key(IDC_BROWSE, VKEY_SPACE, false, true));
    EXPECT_EQ(view.saveDialogs, 2);
    view.SetItemText(IDC_PATH, "");
    EXPECT_TRUE(Key(IDC_EXECUTE, VKEY_SPACE, true));
    EXPECT_EQ(view.boxes, std::vector<std::string>{kNoPath});
    EXPECT_TRUE(Key(IDC_EXECUTE, VKEY_RETURN, false, false, true));  // Alt+Enter: a system key
    EXPECT_EQ(view.boxes.size(), 1u);
    EXPECT_FALSE(Key(IDC_PATH, VKEY_SPACE));  // typed into the path box
    EXPECT_TRUE(Key(IDC_CANCEL, VKEY_RETURN));
    EXPECT_EQ(view.DialogResult(), IDC_CANCEL);
}

TEST_F(DialogManager, EnterInThePathBoxGoesToTheRulesFirstWithAModifierItIsThePlainConfirm) {
    EXPECT_TRUE(Key(IDC_PATH, VKEY_RETURN));
    EXPECT_EQ(view.GetFocus(), IDC_BROWSE);
    EXPECT_TRUE(Key(IDC_PATH, VKEY_RETURN, false, true));
    EXPECT_EQ(view.GetFocus(), IDC_PATH);
    EXPECT_TRUE(Nothing());  // OnOK takes nothing
}

// The keyboard rules see the modifiers of the key through IsKeyHeld.
TEST_F(DialogManager, KeyStateHeldWhileItsKeyIsHandled) {
    view.SetItemText(IDC_PATH, "");
    EXPECT_FALSE(Key(IDC_PATH, VKEY_F12, true));
    EXPECT_TRUE(Nothing());
    EXPECT_FALSE(view.IsKeyHeld(VKEY_SHIFT));
    EXPECT_TRUE(Key(IDC_PATH, VKEY_F12));
    EXPECT_EQ(view.boxes, std::vector<std::string>{kNoPath});
}

TEST_F(DialogManager, EscCancelsAltEscDoesNot) {
    EXPECT_TRUE(Key(IDC_PATH, VKEY_ESCAPE, false, false, true));
    EXPECT_TRUE(Nothing());
    EXPECT_TRUE(Key(IDC_BROWSE, VKEY_ESCAPE, false, true));
    EXPECT_EQ(view.boxes, std::vector<std::string>{kCancelled});
    EXPECT_EQ(view.DialogResult(), IDC_CANCEL);
}

const StSAVEREQUEST kRequest = {"CSV", "", "", "", "", 0};

ClDialogManager::_SaveVerdict Check(std::string& path) {
    return ClDialogManager::CheckSavePath(kRequest, path);
}

TEST(FileSaveRules, DefaultExtensionOnlyForANameWithout) {
    std::string bare = "C:\\dir.x\\name", dotted = "C:\\dir\\name.", named = "C:name";
    EXPECT_EQ(Check(bare), ClDialogManager::SaveTaken);
    EXPECT_EQ(bare, "C:\\dir.x\\name.CSV");
    EXPECT_EQ(Check(dotted), ClDialogManager::SaveTaken);
    EXPECT_EQ(dotted, "C:\\dir\\name.");
    EXPECT_EQ(Check(named), ClDialogManager::SaveTaken);
    EXPECT_EQ(named, "C:name.CSV");
}

// A folder is no file: the dialog stays open; 表's trail byte 0x5C is no separator.
TEST(FileSaveRules, FolderHasNoName) {
    std::string folder = "C:\\dir\\", drive = "C:", hyo = "C:\\\x95\x5C";
    EXPECT_EQ(Check(folder), ClDialogManager::SaveNoName);
    EXPECT_EQ(Check(drive), ClDialogManager::SaveNoName);
    EXPECT_EQ(Check(hyo), ClDialogManager::SaveTaken);
    EXPECT_EQ(hyo, "C:\\\x95\x5C.CSV");
}

// 259 bytes and the terminator fill the dialog's buffer; the extension counts.
TEST(FileSaveRules, LengthLimitAfterTheExtension) {
    std::string fits = "C:\\" + std::string(252, 'a'), over = "C:\\" + std::string(253, 'a');
    EXPECT_EQ(Check(fits), ClDialogManager::SaveTaken);
    EXPECT_EQ(fits.size(), ClDialogManager::kMaxSavePath);
    EXPECT_EQ(Check(over), ClDialogManager::SaveTooLong);
}

// A scripted path is typed whole or refused before the run: the box would cut it to another file.
TEST(ScriptedArguments, PathTheBoxCannotTakeWholeIsRefused) {
    const std::string fits = "C:\\" + std::string(250, 'a') + "\x95\x5C";  // 255 bytes, 表 counting two
    const std::string over = "C:\\" + std::string(251, 'a') + "\x95\x5C";  // 256: the box would drop 表
    for (const std::string& path : {fits, over}) {
        ClScriptedUi ui(stdout, false);
        std::vector<char*> argv = {const_cast<char*>("--path"), const_cast<char*>(path.c_str())};
        std::string error;
        EXPECT_EQ(ui.ParseArguments(2, argv.data(), error), path == fits) << path.size();
        EXPECT_EQ(error, path == fits ? "" : "--path: 256 bytes, the path box takes at most 255");
    }
}

// The scripted file-save dialog, given a folder, takes the next answer as the user's next try.
TEST(ScriptedFileSave, FolderAnswerKeepsTheDialogOpenForTheNext) {
    std::FILE* out = std::tmpfile();
    ASSERT_TRUE(out);
    {
        ClScriptedUi ui(out, false);
        ui.AddSaveAnswer(true, "C:\\dir\\");
        ui.AddSaveAnswer(true, "C:\\dir\\x");
        std::string path;
        EXPECT_TRUE(ui.GetSaveFileName(kRequest, path));
        EXPECT_EQ(path, "C:\\dir\\x.CSV");
        ui.AddSaveAnswer(true, "C:\\dir\\");
        EXPECT_FALSE(ui.GetSaveFileName(kRequest, path));  // no answer left: cancelled
    }
    std::fclose(out);
}

}  // namespace
