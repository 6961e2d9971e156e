// scriptedui.cpp - steps, answers and the printed transcript of the scripted front end.
#include "scriptedui.h"

#include <cstring>

#include "conditiondlg.h"
#include "osapi.h"
#include "sjisbytes.h"

namespace {

// Tab order of template 130's tab stops.
const int kTabOrder[] = {IDC_PATH, IDC_BROWSE, IDC_EXECUTE, IDC_CANCEL};

// What the platform's file-save dialog takes at most.
const size_t kMaxSavePath = 259;

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
    } keys[] = {{"enter", VKEY_RETURN}, {"f12", VKEY_F12}, {"esc", VKEY_ESCAPE}, {"tab", 0x09},
                {"space", 0x20},        {"o", 'O'},        {"d", 'D'}};
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
    : m_out(out), m_terminalEncoding(terminalEncoding), m_focus(0), m_ended(false), m_result(0), m_waitCursor(0), m_noViewer(false), m_current(nullptr) {}

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
    m_focus = 0;
    m_ended = false;
    m_result = 0;
    dialog.AttachView(this);
    if (dialog.OnInitDialog() && !m_ended) m_focus = kTabOrder[0];
    if (!m_ended) {
        Print("== 減価償却 - 集計条件 ==\n事業所名：" + m_texts[IDC_COMPANY] + "\n会計期間：" + m_texts[IDC_PERIOD] +
              "\n出力先  ：" + m_texts[IDC_PATH] + "\n");
    }
    for (const StSTEP& step : m_steps) {
        if (m_ended) break;
        Perform(dialog, step);
    }
    if (!m_ended) {
        // The script is over while the dialog waits: the user closes it.
        Print("(操作の指定が終わりました: 閉じるボタン)\n");
        dialog.OnCancel();
    }
    dialog.AttachView(nullptr);
    return m_result;
}

void ClScriptedUi::Perform(CConditionDlg& dialog, const StSTEP& step) {
    switch (step.kind) {
        case StSTEP::TypePath: {
            m_focus = IDC_PATH;
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
                   : step.virtualKey == 0x09        ? "Tab"
                   : step.virtualKey == 0x20        ? "Space"
                                                    : std::string(1, static_cast<char>(step.virtualKey))) +
                  "\n");
            m_current = &step;
            // Alt makes a system key, which never reaches the key-down rules.
            if (step.alt || !dialog.PreTranslateMessage(KEYMSG_KEYDOWN, step.virtualKey)) DefaultKey(dialog, step);
            m_current = nullptr;
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
    m_focus = id;
    Print(std::string("ボタン: ") + (id == IDC_BROWSE ? "参照(&D)..." : id == IDC_EXECUTE ? "実行(F12)" : "キャンセル(Esc)") +
          "\n");
    if (id == IDC_BROWSE)
        dialog.OnBrowse();
    else if (id == IDC_EXECUTE)
        dialog.OnExecute();
    else
        dialog.OnCancel();
}

void ClScriptedUi::DefaultKey(CConditionDlg& dialog, const StSTEP& step) {
    const int key = step.virtualKey;
    if (step.alt) {
        if (key == 'O') m_focus = IDC_PATH;  // the group box's mnemonic reaches the path box
        if (key == 'D') Press(dialog, IDC_BROWSE);
        return;
    }
    if (key == VKEY_ESCAPE) {
        dialog.OnCancel();
    } else if (key == 0x09) {
        size_t at = 0;
        while (at < 4 && kTabOrder[at] != m_focus) ++at;
        at = at == 4 ? 0 : (step.shift ? at + 3 : at + 1) % 4;
        m_focus = kTabOrder[at];
    } else if (key == VKEY_RETURN || key == 0x20) {
        if (m_focus == IDC_BROWSE || m_focus == IDC_EXECUTE || m_focus == IDC_CANCEL)
            Press(dialog, m_focus);
        else if (key == VKEY_RETURN)
            dialog.OnOK();  // no default button: the framework's plain confirm
    }
}

bool ClScriptedUi::IsKeyHeld(int virtualKey) {
    if (!m_current) return false;
    return (virtualKey == VKEY_SHIFT && m_current->shift) || (virtualKey == VKEY_CONTROL && m_current->control) ||
           (virtualKey == VKEY_MENU && m_current->alt);
}

void ClScriptedUi::SetSelection(int id, int start, int end) {
    const std::string& text = m_texts[id];
    const size_t from = start < 0 ? text.size() : std::min(static_cast<size_t>(start), text.size());
    const size_t to = end < 0 ? text.size() : std::min(static_cast<size_t>(end), text.size());
    m_selection = from < to ? text.substr(from, to - from) : "";
}

void ClScriptedUi::EndDialog(int result) {
    m_ended = true;
    m_result = result;
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
    if (m_saves.empty() || !m_saves.front().first) {
        if (!m_saves.empty()) m_saves.pop_front();
        Print("-> キャンセル\n");
        return false;
    }
    std::string chosen = m_saves.front().second;
    m_saves.pop_front();
    // The platform adds the default extension to a name that has none.
    size_t nameStart = 0;
    for (size_t i = 0; i < chosen.size();) {
        const int width = SjisCharBytes(chosen.c_str() + i);
        if (width == 1 && (chosen[i] == '\\' || chosen[i] == ':')) nameStart = i + 1;
        i += static_cast<size_t>(width);
    }
    if (chosen.find('.', nameStart) == std::string::npos && request.defaultExtension)
        chosen += std::string(".") + request.defaultExtension;
    if (chosen.size() > kMaxSavePath) {
        Print("-> キャンセル (パスが長すぎます)\n");
        return false;
    }
    Print("-> " + chosen + "\n");
    path = chosen;
    return true;
}
