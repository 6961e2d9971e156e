// conditiondlg.h - the condition dialog: company, period and the output path of the export.
#pragma once

#include <string>

#include "conditionview.h"

// Key-down message of the keyboard rules, as the framework hands it over.
enum { KEYMSG_KEYDOWN = 0x0100 };

class CConditionDlg {
public:
    enum { IDD = 130 };
    // The bytes the path box takes from typing (a double-byte character counts two).
    enum { kPathBoxLimit = 255 };

    // The run sequence passes no parent; the members start empty.
    explicit CConditionDlg(void* parent = nullptr);
    // Gives the host's folder service back first: the dialog's operations obtained it.
    virtual ~CConditionDlg();
    CConditionDlg(const CConditionDlg&) = delete;
    CConditionDlg& operator=(const CConditionDlg&) = delete;

    // The front end binds the window's view before OnInitDialog and unbinds it when the window
    // is gone; the operations below need it, ReadSavedPath and SaveOutputPath do not.
    void AttachView(ClConditionView* view) { m_view = view; }

    // Puts the texts into their controls and proposes the output path; may end the dialog at
    // once for past actual data. True: the framework focuses the first tab stop.
    virtual bool OnInitDialog();
    void OnBrowse();
    void OnExecute();
    void OnCancel();
    // The framework's plain confirm (Enter with a modifier held): the path has not been through
    // OnExecute, so it is not taken; the dialog stays as it is.
    void OnOK() {}
    // The keyboard rules; true when the message was consumed, false for the framework's own handling.
    virtual bool PreTranslateMessage(unsigned message, int virtualKey);

    // 1 and the remembered path in path (room 261, cleared first) when the settings file has a
    // line for this user and data set; 0 and path untouched otherwise.
    int ReadSavedPath(char* path);
    // Remembers path for this user and data set; 1 when saved.
    int SaveOutputPath(const char* path);

    // Members exchanged with the controls or set by the run sequence.
    std::string companyText;
    std::string periodText;
    std::string outputPath;
    long selectionNo;
    long dataSetNo;
    char dataSetId[35];
    int pastDataFlag;
    char userId[65];

protected:
    // Members to controls (false) or controls to members (true).
    void UpdateData(bool fromControls);
    void RefocusPathBox();
    // A box owned by the dialog with the caption of the program.
    int Ask(const char* text, unsigned type);
    // A refusal, then the path box again; a question, and the path box again unless it is Yes.
    void Refuse(const char* text);
    bool Confirm(const char* text);

private:
    // The rules that look at the path's text and what it names; the first refusal, or null.
    const char* TextRefusal() const;

    ClConditionView* m_view;
    std::string m_settingsFolder;  // the settings folder, as ReadSavedPath found it
};
