// exportapp.h - the application object: the whole run from binding the host to the closing report.
#pragma once

#include "records.h"

class ClSetData;
class ClShellUi;
class ClSysUser;

// How a run ended, for the front ends that tell a calling script; the values are their exit statuses.
enum _RunOutcome {
    RunExported = 0,        // exported, the link error log empty
    RunExportedLogged = 1,  // exported, with entries in the link error log
    RunStopped = 3,         // cancelled or refused before the export: level, past data, cancel
    RunWriteFailed = 4,     // a file of the export could not be written
    RunHostFailed = 5       // the host connection or its ledger failed
};

class CExportApp {
public:
    CExportApp();
    virtual ~CExportApp() {}
    CExportApp(const CExportApp&) = delete;
    CExportApp& operator=(const CExportApp&) = delete;

    // The front end that shows the dialog and the boxes; set before the framework starts the run.
    void SetShellUi(ClShellUi* ui) { m_ui = ui; }

    // The whole run. False when it ends before the dialog or by cancel, true after an export; the
    // program ends in both cases.
    virtual bool InitInstance();
    // Logs out, terminates and releases the host connection; the program's exit code.
    virtual int ExitInstance();
    // What the framework does with the application object: the run, then the shutdown.
    int Run();
    // How the last run ended; set by InitInstance without any host call of its own.
    _RunOutcome Outcome() const { return m_outcome; }

    // 0 for a null record; otherwise 1, with the selected data set copied into it, or all zero
    // when the list does not hold it.
    int ReadSelectedDataSet(StDATAINFO* record);
    // Selector 0: " company"; 1: " yyyy/mm/dd～yyyy/mm/dd"; else empty. One static buffer that
    // the next call overwrites.
    static const char* MakeHeaderText(short selector, const StDATAINFO* record);

private:
    // The steps of InitInstance; how they ended.
    _RunOutcome RunSteps();

    ClSetData* dataSetList;  // the host's; fetched once, never freed here
    ClSysUser* m_user;       // the host's current user; fetched once, never freed here
    ClShellUi* m_ui;
    _RunOutcome m_outcome;
};
