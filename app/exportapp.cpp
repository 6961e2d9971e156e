// exportapp.cpp - the run sequence: host connection, level check, dialog, export, report, shutdown.
#include "exportapp.h"

#include <cstdio>
#include <cstring>

#include "assetexporter.h"
#include "buildtable.h"
#include "caption.h"
#include "closingreport.h"
#include "conditiondlg.h"
#include "hostconnect.h"
#include "hostfields.h"
#include "ledgercore.h"
#include "levelcheck.h"
#include "osapi.h"
#include "pathrules.h"
#include "shareddata.h"
#include "shellui.h"
#include "sjisbytes.h"

namespace {

// Ends the wait cursor on every way out of the export step, one that unwinds included.
class ClWaitCursor {
public:
    explicit ClWaitCursor(ClShellUi& ui) : m_ui(ui) { m_ui.BeginWaitCursor(); }
    ~ClWaitCursor() { m_ui.EndWaitCursor(); }
    ClWaitCursor(const ClWaitCursor&) = delete;
    ClWaitCursor& operator=(const ClWaitCursor&) = delete;

private:
    ClShellUi& m_ui;
};

}  // namespace

CExportApp::CExportApp() : dataSetList(nullptr), m_user(nullptr), m_ui(nullptr), m_outcome(RunHostFailed) {}

int CExportApp::Run() {
    InitInstance();
    return ExitInstance();
}

int CExportApp::ExitInstance() {
    ClAccConnect* connection = ClAccConnect::Inst();
    connection->LogOut();
    connection->Terminate();
    connection->Release();
    return 0;
}

bool CExportApp::InitInstance() {
    m_outcome = RunSteps();
    return m_outcome == RunExported || m_outcome == RunExportedLogged || m_outcome == RunWriteFailed;
}

_RunOutcome CExportApp::RunSteps() {
    ClAccConnect* connection = ClAccConnect::Inst();
    connection->m_title = kCaption;
    connection->SetAppType(static_cast<ClSysEnvMgr::_AppType>(CurrentBuild().edition));
    connection->SetUseDataType(3);
    if (connection->Initiate() != 0) return RunHostFailed;

    // The level file lies beside the program; if the change fails the check looks where we are.
    char programFolder[kPathRoom];
    std::memset(programFolder, 0, sizeof programFolder);
    if (OsGetProgramFolder(programFolder, sizeof programFolder)) OsSetCurrentFolder(programFolder);

    if (!CheckEnvironmentLevel(1)) return RunStopped;
    if (connection->ExpSysLink() != 0) return RunHostFailed;
    if (!m_ui) return RunStopped;

    CConditionDlg dialog(nullptr);
    StDATAINFO record;
    std::memset(&record, 0, sizeof record);
    ReadSelectedDataSet(&record);

    // The user object that the data set was read with: the host hands out one per process.
    if (m_user) {
        m_user->GetCurUserID(dialog.userId);
        m_user->GetSelectedNo(dialog.userId, &dialog.selectionNo, &dialog.dataSetNo);
    }
    if (dataSetList) {
        const StDATAINFO* selected = dataSetList->GetSelectedInfo();
        if (selected) ClUtyDBHpr::Inst()->MakeIDStr(reinterpret_cast<const char*>(selected), dialog.dataSetId);
    }
    dialog.pastDataFlag = record.dataKind == 99 ? 1 : 0;
    dialog.companyText = MakeHeaderText(0, &record);
    dialog.periodText = MakeHeaderText(1, &record);

    // Only the execute result has been through the path rules; any other end exports nothing.
    if (m_ui->DoModal(dialog) != IDC_EXECUTE) return RunStopped;

    char outputPath[kPathRoom];
    std::memset(outputPath, 0, sizeof outputPath);
    if (dialog.outputPath.size() >= sizeof outputPath) return RunStopped;  // refused by OnExecute already
    std::memcpy(outputPath, dialog.outputPath.data(), dialog.outputPath.size());

    const ClWaitCursor wait(*m_ui);  // ended after the exporter is gone, before the dialog
    {
        ClAssetExporter exporter;
        exporter.SetOutputPath(outputPath);
        exporter.SetLogName(CurrentBuild().logName);
        exporter.StartOutput(&record);
        exporter.ExportAssets();
        exporter.ExportAssetTypes(&record);
        m_ui->RestoreWaitCursor();

        dialog.SaveOutputPath(outputPath);
        const int logged = ShowClosingReport(*m_ui, outputPath, exporter.FailedFiles(),
                                             StRUNLOG{exporter.LogEntries(), exporter.PlacedLog(), exporter.PreviousLog()});
        return exporter.FailedFiles() ? RunWriteFailed : logged ? RunExportedLogged : RunExported;
    }
}

int CExportApp::ReadSelectedDataSet(StDATAINFO* record) {
    if (!record) return 0;
    if (!dataSetList) dataSetList = ClDataMgr::Inst()->GetSetObject(5, 1);
    std::memset(record, 0, sizeof *record);

    char user[65];
    std::memset(user, 0, sizeof user);
    long selectionNo = 0;
    long dataSetNo = 0;
    if (!m_user) m_user = ClDataMgr::Inst()->GetSysUserObject();
    if (m_user) {
        m_user->GetCurUserID(user);
        m_user->GetSelectedNo(user, &selectionNo, &dataSetNo);
    }
    if (!dataSetList) return 1;

    long cursor = 0;
    dataSetList->GetDatCursor(&cursor);
    dataSetList->ReadyDat(cursor, 0);
    StDATAINFO work;
    for (;;) {
        std::memset(&work, 0, sizeof work);
        if (dataSetList->WalkDat(&work, cursor) != 0) break;
        if (work.dataNo == dataSetNo) {
            std::memcpy(record, &work, sizeof work);
            break;
        }
    }
    dataSetList->ReleaseDatCursor(cursor);
    return 1;
}

const char* CExportApp::MakeHeaderText(short selector, const StDATAINFO* record) {
    static char text[256];
    std::memset(text, 0, sizeof text);
    if (!record) return text;
    if (selector == 0) {
        // A company name of up to 260 bytes is cut to whole characters, never half of one.
        const StField name(record->companyName);
        text[0] = ' ';
        std::memcpy(text + 1, name.text, SjisFitBytes(name.text, sizeof text - 2));
    } else if (selector == 1) {
        const long start = record->periodStart;
        const long end = record->periodEnd;
        std::snprintf(text, sizeof text, " %04ld/%02ld/%02ld～%04ld/%02ld/%02ld", start / 10000, start % 10000 / 100,
                      start % 100, end / 10000, end % 10000 / 100, end % 100);
    }
    return text;
}
