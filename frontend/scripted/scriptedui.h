// scriptedui.h - the scripted front end: the dialog driven by steps from the command line, every
// box printed to the terminal, for automation and tests.
#pragma once

#include <cstdio>
#include <deque>
#include <map>
#include <string>
#include <vector>

#include "dialogmanager.h"
#include "shellui.h"

class ClScriptedUi : public ClShellUi, public ClDialogManager {
public:
    // One thing the user does in the dialog.
    struct StSTEP {
        enum Kind { TypePath, Key, Browse, Execute, Cancel } kind;
        std::string text;  // TypePath: the text typed
        int virtualKey;    // Key
        bool shift, control, alt;
    };

    // terminalEncoding: the transcript in the terminal's encoding; false keeps it Shift-JIS.
    explicit ClScriptedUi(std::FILE* out, bool terminalEncoding = true);

    // Reads the steps and answers from the command line (arguments after the program name):
    //   --path TEXT   type TEXT into the path box      --key NAME   press a key (enter, f12, esc,
    //   --browse      press the browse button            tab, space, o, d; prefixes shift+ ctrl+ alt+)
    //   --execute     press the execute button         --cancel     press the cancel button
    //   --answer yes|no    the next question's answer  --save-as PATH / --save-cancel  the next
    //                                                   file-save dialog's answer (a folder leaves
    //                                                   it open for the next answer)
    //   --no-viewer   a log with entries is named in the transcript instead of opened in a viewer
    // Without a button or key step the script ends with --execute. False and a message on error.
    bool ParseArguments(int argc, char** argv, std::string& error);
    static const char* Usage();

    void AddStep(const StSTEP& step) { m_steps.push_back(step); }
    void AddAnswer(int answer) { m_answers.push_back(answer); }
    void AddSaveAnswer(bool confirm, const std::string& path) { m_saves.push_back({confirm, path}); }

    // ClShellUi
    int DoModal(CConditionDlg& dialog) override;
    // Both interfaces: a box owned by the dialog or by no window looks the same here.
    int MessageBox(const char* text, const char* caption, unsigned type) override;
    void BeginWaitCursor() override { ++m_waitCursor; }
    void RestoreWaitCursor() override {}
    void EndWaitCursor() override {
        if (m_waitCursor > 0) --m_waitCursor;
    }

    // ClConditionView: the controls (the focus, the key state and the end are ClDialogManager's)
    void SetItemText(int id, const char* text) override { m_texts[id] = text ? text : ""; }
    std::string GetItemText(int id) override { return m_texts[id]; }
    void LimitText(int id, int bytes) override { m_limits[id] = bytes; }
    void SetSelection(int id, int start, int end) override;
    void ScrollCaret(int) override {}
    bool GetSaveFileName(const StSAVEREQUEST& request, std::string& path) override;
    bool ReportLogWithoutViewer(const char* path) override;

    // What a run left behind, for the caller that drives it.
    int WaitCursorDepth() const { return m_waitCursor; }
    const std::string& SelectedText() const { return m_selection; }

private:
    void Print(const std::string& sjis);
    void Perform(CConditionDlg& dialog, const StSTEP& step);
    // Every press is printed, whether a step or a key made it.
    void Press(CConditionDlg& dialog, int id) override;

    std::FILE* m_out;
    bool m_terminalEncoding;
    std::vector<StSTEP> m_steps;
    std::deque<int> m_answers;
    std::deque<std::pair<bool, std::string>> m_saves;
    std::map<int, std::string> m_texts;
    std::map<int, int> m_limits;
    std::string m_selection;
    int m_waitCursor;
    bool m_noViewer;
};
