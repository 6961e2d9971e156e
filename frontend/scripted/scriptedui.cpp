// scriptedui.cpp - steps, answers and the printed transcript of the scripted front end.
#include "scriptedui.h"

#include <cstring>

#include "conditiondlg.h"
#include "osapi.h"
#include "sjisbytes.h"

namespace {

std::string CutToWholeChars(const std::string& text, size_t limit) {
    return text.substr(0, SjisFitBytes(text.c_str(), limit));
}

bool ParseKey(const std::string& name, ClScriptedUi::StSTEP& step) {
    step = ClScriptedUi::StSTEP{ClScriptedUi::StSTEP::Key, "", 0, false, false, false};
    std::string rest = name;
    for (;;) {
        if (rest.compare(0, 6, "shift+") == 0) {
            step.shift = true;
            rest.erase(0, 6);
        } else if (rest.compare(0, 5, "ctrl+") == 0) {
            step.control = true;
            rest.erase(0, 5);
        } else if (rest.compare(0, 4, "alt+") == 0) {
            step.alt = true;
            rest.erase(0, 4);
        } else {
            break;
        }
    }
    const struct {
        const char* name;
        int key;
    } keys[] = {{"enter", VKEY_RETURN}, {"f12", VKEY_F12}, {"esc", VKEY_ESCAPE}, {"tab", VKEY_TAB},
                {"space", VKEY_SPACE},  {"o", 'O'},        {"d", 'D'}};
    for (const auto& key : keys) {
        if (rest == key.name) {
            step.virtualKey = key.key;
            return true;
        }
    }
    return false;
}

}  // namespace

ClScriptedUi::ClScriptedUi(std::FILE* out, bool terminalEncoding)
    : m_out(out), m_terminalEncoding(terminalEncoding), m_waitCursor(0), m_noViewer(false) {}

const char* ClScriptedUi::Usage() {
    return "options: --path TEXT | --key [shift+|ctrl+|alt+]enter|f12|esc|tab|space|o|d | --browse | --execute |\n"
           "         --cancel | --answer yes|no | --save-as PATH | --save-cancel | --no-viewer\n"
           "Steps run in order; without a button or key step the script ends with --execute.\n"
           "--no-viewer: a link error log with entries is named here instead of opened in the text viewer,\n"
           "so that an unattended run ends by itself; the exit status still tells whether it has entries.\n";
}

bool ClScriptedUi::ParseArguments(int argc, char** argv, std::string& error) {
    bool pressed = false;
    for (int i = 0; i < argc; ++i) {
        const std::string option = argv[i];
        const bool hasValue = i + 1 < argc;
        if (option == "--path" || option == "--save-as" || option == "--key" || option == "--answer") {
            if (!hasValue) {
                error = option + " needs a value";
                return false;
            }
            std::string value;
            value = argv[++i];
            if (m_terminalEncoding && !OsTextFromTerminal(argv[i], value)) {
                error = option + ": the text has no Shift-JIS form";
                return false;
            }
            if (option == "--path") {
                // The box would cut a longer text, and the cut path names another file.
                if (value.size() > CConditionDlg::kPathBoxLimit) {
                    error = "--path: " + std::to_string(value.size()) + " bytes, the path box takes at most " +
                            std::to_string(CConditionDlg::kPathBoxLimit);
                    return false;
                }
                AddStep({StSTEP::TypePath, value, 0, false, false, false});
            } else if (option == "--save-as") {
                AddSaveAnswer(true, value);
            } else if (option == "--answer") {
                if (value != "yes" && value != "no") {
                    error = "--answer takes yes or no";
                    return false;
                }
                AddAnswer(value == "yes" ? ANSWER_YES : ANSWER_NO);
            } else {
                StSTEP step;
                if (!ParseKey(value, step)) {
                    error = "unknown key: " + value;
                    return false;
                }
                AddStep(step);
                pressed = true;
            }
        } else if (option == "--no-viewer") {
            m_noViewer = true;
        } else if (option == "--save-cancel") {
            AddSaveAnswer(false, "");
        } else if (option == "--browse" || option == "--execute" || option == "--cancel") {
            const StSTEP::Kind kind = option == "--browse"    ? StSTEP::Browse
                                      : option == "--execute" ? StSTEP::Execute
                                                              : StSTEP::Cancel;
            AddStep({kind, "", 0, false, false, false});
            pressed = true;
        } else {
            error = "unknown option: " + option;
            return false;
        }
    }
    if (!pressed) AddStep({StSTEP::Execute, "", 0, false, false, false});
    return true;
}

void ClScriptedUi::Print(const std::string& sjis) {
    const std::string shown = m_terminalEncoding ? OsTerminalText(sjis.c_str()) : sjis;
    std::fwrite(shown.data(), 1, shown.size(), m_out);
    std::fflush(m_out);  // before a viewer or anything else writes to the same terminal
}

int ClScriptedUi::DoModal(CConditionDlg& dialog) {
    m_texts.clear();
    m_limits.clear();
    m_texts[IDC_COMPANY] = "Static";
    m_texts[IDC_PERIOD] = "Static";
    OpenDialog(dialog);
    if (!DialogEnded()) {
        Print("== 減価償却 - 集計条件 ==\n事業所名：" + m_texts[IDC_COMPANY] + "\n会計期間：" + m_texts[IDC_PERIOD] +
              "\n出力先  ：" + m_texts[IDC_PATH] + "\n");
    }
    for (const StSTEP& step : m_steps) {
        if (DialogEnded()) break;
        Perform(dialog, step);
    }
    if (!DialogEnded()) {
        // The script is over while the dialog waits: the user closes it.
        Print("(操作の指定が終わりました: 閉じるボタン)\n");
        dialog.OnCancel();
    }
    CloseDialog(dialog);
    return DialogResult();
}

void ClScriptedUi::Perform(CConditionDlg& dialog, const StSTEP& step) {
    switch (step.kind) {
        case StSTEP::TypePath: {
            SetFocus(IDC_PATH);
            const auto limit = m_limits.find(IDC_PATH);
            const std::string typed =
                limit == m_limits.end() ? step.text : CutToWholeChars(step.text, static_cast<size_t>(limit->second));
            m_texts[IDC_PATH] = typed;
            Print("出力先 <- " + typed + "\n");
            break;
        }
        case StSTEP::Key: {
            Print(std::string("キー: ") + (step.shift ? "Shift+" : "") + (step.control ? "Ctrl+" : "") +
                  (step.alt ? "Alt+" : "") +
                  (step.virtualKey == VKEY_RETURN   ? "Enter"
                   : step.virtualKey == VKEY_F12    ? "F12"
                   : step.virtualKey == VKEY_ESCAPE ? "Esc"
                   : step.virtualKey == VKEY_TAB    ? "Tab"
                   : step.virtualKey == VKEY_SPACE  ? "Space"
                                                    : std::string(1, static_cast<char>(step.virtualKey))) +
                  "\n");
            // A key for the path box types nothing here: --path types.
            HandleKey(dialog, StDLGKEY{step.virtualKey, step.shift, step.control, step.alt});
            break;
        }
        case StSTEP::Browse:
            Press(dialog, IDC_BROWSE);
            break;
        case StSTEP::Execute:
            Press(dialog, IDC_EXECUTE);
            break;
        case StSTEP::Cancel:
            Press(dialog, IDC_CANCEL);
            break;
    }
}

void ClScriptedUi::Press(CConditionDlg& dialog, int id) {
    Print(std::string("ボタン: ") + (id == IDC_BROWSE ? "参照(&D)..." : id == IDC_EXECUTE ? "実行(F12)" : "キャンセル(Esc)") +
          "\n");
    ClDialogManager::Press(dialog, id);
}

void ClScriptedUi::SetSelection(int id, int start, int end) {
    const std::string& text = m_texts[id];
    const size_t from = start < 0 ? text.size() : std::min(static_cast<size_t>(start), text.size());
    const size_t to = end < 0 ? text.size() : std::min(static_cast<size_t>(end), text.size());
    m_selection = from < to ? text.substr(from, to - from) : "";
}

int ClScriptedUi::MessageBox(const char* text, const char* caption, unsigned type) {
    const char* icon = type == MB_TYPE_QUESTION ? "?" : type == MB_TYPE_REFUSAL ? "!" : "i";
    Print(std::string("-- ") + (caption ? caption : "") + " [" + icon + "] --\n" + (text ? text : "") + "\n");
    if (type != MB_TYPE_QUESTION) {
        Print("-> OK\n");
        return ANSWER_OK;
    }
    if (m_answers.empty()) {
        Print("-> いいえ (回答の指定なし)\n");
        return ANSWER_NO;
    }
    const int answer = m_answers.front();
    m_answers.pop_front();
    Print(answer == ANSWER_YES ? "-> はい\n" : "-> いいえ\n");
    return answer;
}

bool ClScriptedUi::ReportLogWithoutViewer(const char* path) {
    if (!m_noViewer) return false;
    Print(std::string("連動エラーログ: ") + path + "\n");
    return true;
}

bool ClScriptedUi::GetSaveFileName(const StSAVEREQUEST& request, std::string& path) {
    Print(std::string("-- ") + request.title + " --\nフォルダ: " + request.initialFolder + "\nファイル名: " +
          request.fileName + "\n");
    // The dialog stays open until it takes a file: each answer is typed into it in turn.
    for (;;) {
        if (m_saves.empty() || !m_saves.front().first) {
            if (!m_saves.empty()) m_saves.pop_front();
            Print("-> キャンセル\n");
            return false;
        }
        std::string chosen = m_saves.front().second;
        m_saves.pop_front();
        switch (CheckSavePath(request, chosen)) {
            case SaveNoName:
                Print("-> " + chosen + " (" + kNoNameNote + ")\n");
                break;
            case SaveTooLong:
                Print("-> キャンセル (パスが長すぎます)\n");
                return false;
            case SaveTaken:
                Print("-> " + chosen + "\n");
                path = chosen;
                return true;
        }
    }
}
