// shell_test.cpp - whole runs of the application object through the scripted front end, over a
// ledger written by the test: host calls, the dialog's rules, the saved path and the closing report.
#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <cstring>
#include <functional>
#include <string>
#include <vector>

#include "box_texts.h"
#include "platform/file_holder.h"
#include "closingreport.h"
#include "conditiondlg.h"
#include "exportapp.h"
#include "hostsim.h"
#include "osapi.h"
#include "pathrules.h"
#include "records.h"
#include "platform/mapped_temp.h"
#include "scriptedui.h"
#include "setmgr.h"
#include "shareddata.h"

namespace {

const std::string kHyo = "\x95\x5C";  // 表, trail byte 0x5C
// The printable identifier of data set 7 ("ID-SEVEN" in 16 bytes).
const std::string kSevenId = "49442D534556454E" + std::string(16, '0');

// The transcript's file, made before the front end that writes to it (a base built first).
struct StTranscriptFile {
    std::FILE* m_file = std::tmpfile();
};

// The scripted front end with its transcript kept in Shift-JIS, and every box's text.
class RecordingUi : private StTranscriptFile, public ClScriptedUi {
public:
    RecordingUi() : StTranscriptFile(), ClScriptedUi(m_file, false) {}
    ~RecordingUi() override { std::fclose(m_file); }

    void Script(const std::vector<std::string>& arguments) {
        std::vector<char*> argv;
        for (const std::string& argument : arguments) argv.push_back(const_cast<char*>(argument.c_str()));
        std::string error;
        ASSERT_TRUE(ParseArguments(static_cast<int>(argv.size()), argv.data(), error)) << error;
    }
    int MessageBox(const char* text, const char* caption, unsigned type) override {
        boxes.push_back(text);
        types.push_back(type);
        if (onBox) onBox(text);
        return ClScriptedUi::MessageBox(text, caption, type);
    }
    std::string Transcript() {
        std::fflush(m_file);
        std::rewind(m_file);
        std::string all;
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, m_file)) > 0) all.append(buffer, n);
        return all;
    }

    bool ShowTextFile(const char* path) override {
        shownFiles.push_back(path);
        return true;
    }
    // As an edit control that counts its limit in characters: what is typed is taken whole.
    void LimitText(int id, int bytes) override {
        if (!unlimited) ClScriptedUi::LimitText(id, bytes);
    }
    bool unlimited = false;

    std::vector<std::string> boxes;
    std::vector<unsigned> types;
    std::vector<std::string> shownFiles;
    std::function<void(const char*)> onBox;
};


// Two assets without a problem, and one whose code repeats the first (a log entry).
std::string AssetRow(const std::string& key, const std::string& code) {
    return key + "," + code + ",5,NAME,3台,memo,0,,20200401,20200501,1000,0,0,6,5,200,0,0,0,10000,30,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n";
}

// The journal's parts that every run past the level check shares.
const char kConnect[] = "SetAppType\t3\nSetUseDataType\t3\nInitiate\t減価償却\t0\nExpSysLink\t0\n";
// The data set read (the cursor walk stops at the selected one), then the dialog's own copy of the
// user, the selection and the identifier, asked of the same user object.
const char kDialogFilled[] =
    "GetSetObject\t5\t1\nGetSysUserObject\nGetCurUserID\ttanaka\t0\nGetSelectedNo\ttanaka\t2\t7\t0\n"
    "GetDatCursor\t1\t0\nReadyDat\t1\t0\t0\nWalkDat\t1\t7\t0\nReleaseDatCursor\t1\t0\n"
    "GetCurUserID\ttanaka\t0\nGetSelectedNo\ttanaka\t2\t7\t0\n"
    "GetSelectedInfo\t7\nMakeIDStr\t49442D534556454E0000000000000000\t0\n";
const char kDisconnect[] = "LogOut\nTerminate\nRelease\n";

class ShellRun : public ::testing::Test {
protected:
    ShellRun() {
        ledger = temp.Native("ledger");
        OsCreateDirectory(temp.Win("ledger").c_str());
        ClDataMgr::Inst()->GetSetMgr()->SetLedgerFolder(ledger);
        WriteLedger(7, AssetRow("K1", "000001") + AssetRow("K2", "000002"));
        ClHostSim::Inst()->Reset();
        ClHostSim::Inst()->KeepJournal(true);
    }
    ~ShellRun() override {
        ClHostSim::Inst()->KeepJournal(false);
        ClHostSim::Inst()->Reset();
    }

    void WriteLedger(int selected, const std::string& assets) {
        WriteBytes(ledger + "/session.csv", "tanaka,2," + std::to_string(selected) + "," + temp.Win("out") + "," +
                                                temp.Win("settings") + "\r\n");
        WriteBytes(ledger + "/datasets.csv",
                   "7,ID-SEVEN,株式会社テスト,20230401,20240331,1,0\r\n8,ID-PAST,株式会社テスト,20220401,20230331,99,0\r\n");
        WriteBytes(ledger + "/assets-7.csv", assets);
        WriteBytes(ledger + "/assets-8.csv", "");
        ClHostSim::Inst()->Reset();
    }
    void WriteFault(const std::string& operation) {
        WriteBytes(ledger + "/faults.csv", operation + ",-5,\r\n");
        ClHostSim::Inst()->Reset();
    }

    // One whole run as the framework makes it; the result of InitInstance, its outcome in outcome.
    bool Run(RecordingUi& ui) {
        CExportApp app;
        app.SetShellUi(&ui);
        const bool exported = app.InitInstance();
        app.ExitInstance();
        outcome = app.Outcome();
        return exported;
    }
    // The journal, one line an entry; a run of equal entries (the text library's last-error
    // calls, one for each attach and mode) as one line with its count, so that the order reads.
    std::string Journal() const {
        const std::vector<std::string>& entries = ClHostSim::Inst()->Journal();
        std::string all;
        for (size_t i = 0; i < entries.size();) {
            size_t n = 1;
            while (i + n < entries.size() && entries[i + n] == entries[i]) ++n;
            all += entries[i] + (n > 1 ? " x" + std::to_string(n) : "") + "\n";
            i += n;
        }
        return all;
    }
    bool Exists(const std::string& rel) { return OsGetFileStatus(temp.Win(rel).c_str()).kind != FileNone; }
    // What a run hands the closing report: one that made entries and put the log at rel in place,
    // and one without entries that found an earlier run's log at rel.
    StRUNLOG PlacedLog(const std::string& rel, long entries) {
        StRUNLOG log = {entries, StFILEID(), StFILEID()};
        EXPECT_TRUE(OsFileIdentity(temp.Win(rel).c_str(), &log.placed));
        return log;
    }
    StRUNLOG EarlierLog(const std::string& rel) {
        StRUNLOG log = {0, StFILEID(), StFILEID()};
        EXPECT_TRUE(OsFileIdentity(temp.Win(rel).c_str(), &log.previous));
        return log;
    }
    std::string Settings() { return ReadBytes(temp.Native("settings/Marlo3Export.env")); }

    MappedTemp temp;
    std::string ledger;
    _RunOutcome outcome = RunHostFailed;
};

TEST_F(ShellRun, HostCallsInOrderExportAndSuccessNotice) {
    // A plain asset, a lump-sum asset of two breakdowns, another plain asset and two categories.
    std::string lump = AssetRow("K2", "000002");
    lump.replace(lump.find(",6,5,200,"), 9, ",4,5,200,");
    WriteLedger(7, AssetRow("K1", "000001") + lump + AssetRow("K3", "000003"));
    WriteBytes(ledger + "/breakdowns-7.csv", "K2,1,机,20200401,100,1\r\nK2,2,椅子,20200401,200,2\r\n");
    WriteBytes(ledger + "/categories-7.csv", "1,建物,1,0\r\n5,器具,2,0\r\n");
    ClHostSim::Inst()->Reset();
    RecordingUi ui;
    ui.Script({"--path", temp.Win("out\\assets.csv"), "--answer", "yes"});
    EXPECT_TRUE(Run(ui));
    EXPECT_EQ(Journal(), std::string(kConnect) + kDialogFilled +
                             "GetAppFolderPath\t1\n"  // no saved path: the host's output folder
                             "GetAppFolderPath\t0\n"
                             "SetLastError\t0\t\t0 x12\n"  // log and data file opened, data-file header
                             "new ClRuleGenkashokyaku\n"
                             "GetSetMgr\nAttachSetMgr\t0\n"
                             "GetSetObject\t5\t1\nGetSelectedInfo\t7\nSetCurDataID\tID-SEVEN\t0\n"
                             "GetOptLink\nAttachOptLink\t0\n"
                             "MoveReady\tnull\t0\t0\t0\nGetCount\t3\t0\n"
                             "Move\t0\t0\nSetLastError\t0\t\t0 x2\n"  // one row
                             "Move\t1\t0\n"
                             "MoveReadyIkkatsu\tK2\t0\nGetIkkatsuCount\t2\t0\n"
                             "MoveIkkatsu\t0\t0\nSetLastError\t0\t\t0 x2\n"
                             "MoveIkkatsu\t1\t0\nSetLastError\t0\t\t0 x2\n"
                             "MoveFinishIkkatsu\t0\n"
                             "Move\t2\t0\n"
                             "SetLastError\t0\t\t0 x21\n"  // row; data file closed; type file opened, 17 lines
                             "LoadShisanKubunInfo\t2\t0\n"
                             "SetLastError\t0\t\t0 x6\n"  // two rows, then the type file and the log closed
                             "CoTaskMemFree\tcategories\n"
                             "GetAppFolderPath\t1\n"  // the path saved, before the report
                             "MoveFinish\t0\ndelete ClRuleGenkashokyaku\n"
                             "ClFileMgr::Release\n" +
                             kDisconnect);

    const std::string shown = ui.Transcript();
    EXPECT_NE(shown.find("事業所名： 株式会社テスト\n会計期間： 2023/04/01\x81\x60" "2024/03/31\n"), std::string::npos) << shown;
    EXPECT_NE(shown.find("出力先  ：" + temp.Win("out\\") + "*.csv\n"), std::string::npos) << shown;

    EXPECT_TRUE(Exists("out\\assets.csv"));
    EXPECT_TRUE(Exists("out\\syurui.SSC"));
    EXPECT_FALSE(Exists("out\\Marlo3SysErr.txt"));  // empty, so removed
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ(ui.boxes.back(), "減価償却情報の出力が正常に終了しました。\n\n償却資産データ \x81\xCB " + temp.Win("out\\assets.csv") +
                                   "    \n資産種類データ \x81\xCB " + temp.Win("out\\syurui.SSC") +
                                   "    \n\nアプリケーションを終了します。");
    EXPECT_EQ(ui.types.back(), 0x40u);
    EXPECT_EQ(ui.WaitCursorDepth(), 0);
    // Saved with the selection number in this build's key, before the report.
    EXPECT_EQ(Settings(), "tanaka/2/" + kSevenId + ":" +
                              temp.Win("out\\assets.csv") + "\n");
}

TEST_F(ShellRun, RefusedHostConnectionEndsBeforeTheDialog) {
    for (const char* operation : {"Initiate", "ExpSysLink"}) {
        SCOPED_TRACE(operation);
        WriteFault(operation);
        RecordingUi ui;
        ui.Script({"--path", temp.Win("out\\assets.csv"), "--answer", "yes"});
        EXPECT_FALSE(Run(ui));
        // Nothing of the data set is asked for; the connection is still closed in order.
        const bool initiate = std::string(operation) == "Initiate";
        EXPECT_EQ(Journal(), std::string("SetAppType\t3\nSetUseDataType\t3\nInitiate\t減価償却\t") +
                                 (initiate ? "-5\n" : "0\nExpSysLink\t-5\n") + kDisconnect);
        EXPECT_EQ(ui.Transcript(), "");
        EXPECT_FALSE(Exists("out"));
    }
}

TEST_F(ShellRun, PastActualDataIsRefusedBeforeTheDialogIsShown) {
    WriteLedger(8, "");
    RecordingUi ui;
    ui.Script({"--path", temp.Win("out\\assets.csv"), "--answer", "yes"});
    EXPECT_FALSE(Run(ui));
    // The walk passes data set 7 to reach 8; the dialog still makes its proposal, never shown,
    // and releases the folder service; no rule object is made.
    EXPECT_EQ(Journal(), std::string(kConnect) +
                             "GetSetObject\t5\t1\nGetSysUserObject\nGetCurUserID\ttanaka\t0\n"
                             "GetSelectedNo\ttanaka\t2\t8\t0\nGetDatCursor\t1\t0\nReadyDat\t1\t0\t0\n"
                             "WalkDat\t1\t7\t0\nWalkDat\t1\t8\t0\nReleaseDatCursor\t1\t0\n"
                             "GetCurUserID\ttanaka\t0\nGetSelectedNo\ttanaka\t2\t8\t0\n"
                             "GetSelectedInfo\t8\nMakeIDStr\t49442D50415354000000000000000000\t0\n"
                             "GetAppFolderPath\t1\nGetAppFolderPath\t0\nClFileMgr::Release\n" +
                             kDisconnect);
    ASSERT_EQ(ui.boxes.size(), 1u);
    EXPECT_EQ(ui.boxes[0], kPastData);
    EXPECT_EQ(ui.types[0], 0x30u);
    EXPECT_EQ(ui.Transcript().find("集計条件 =="), std::string::npos);
    EXPECT_FALSE(Exists("out"));
    EXPECT_FALSE(Exists("settings"));
}

TEST_F(ShellRun, CancelKeepsSettingsAndWritesNothing) {
    OsCreateDirectory(temp.Win("settings").c_str());
    const std::string before = "other/1/X:C:\\a.csv\n";
    WriteBytes(temp.Native("settings/Marlo3Export.env"), before);
    for (const char* how : {"--cancel", "--key"}) {
        RecordingUi ui;
        if (std::string(how) == "--key")
            ui.Script({"--path", temp.Win("out\\assets.csv"), "--key", "esc"});
        else
            ui.Script({"--path", temp.Win("out\\assets.csv"), "--cancel"});
        EXPECT_FALSE(Run(ui));
        EXPECT_EQ(Journal(), std::string(kConnect) + kDialogFilled +
                                 "GetAppFolderPath\t1\nGetAppFolderPath\t0\nClFileMgr::Release\n" + kDisconnect);
        ClHostSim::Inst()->Reset();
        ASSERT_EQ(ui.boxes.size(), 1u);
        EXPECT_EQ(ui.boxes[0], kCancelled);
        EXPECT_EQ(ui.boxes[0].substr(0, 1), "\xA2");
        EXPECT_EQ(ui.types[0], 0x40u);
    }
    EXPECT_EQ(Settings(), before);
    EXPECT_FALSE(Exists("out"));
}

TEST_F(ShellRun, EveryRefusalLeavesTheDialogOpenWithThePathSelected) {
    OsCreateDirectory(temp.Win("out").c_str());
    OsCreateDirectory(temp.Win("out\\sub").c_str());
    RecordingUi ui;
    ui.Script({"--execute",  // the proposal ends in *.csv
               "--path", "", "--execute",                         //
               "--path", "1:\\x.csv", "--execute",                //
               "--path", temp.Win("out\\"), "--execute",          //
               "--path", temp.Win("out\\sub"), "--execute",       //
               "--path", temp.Win("out\\a,b.csv"), "--execute",   //
               "--path", temp.Win("out\\new\\x.csv"), "--key", "f12", "--answer", "no",  //
               "--cancel"});
    EXPECT_FALSE(Run(ui));
    const std::vector<std::string> expected = {kBadChars, kNoPath, kBadDrive, kNoFileName, kNoFileName,
                                               kBadChars, kNoFolder, kCancelled};
    EXPECT_EQ(ui.boxes, expected);
    EXPECT_FALSE(Exists("out\\new"));
    EXPECT_FALSE(Exists("settings"));
}

// The program's own files are no output, however the path is spelt: the type file's and the log's
// names beside the data (in any case, with trailing dots or blanks), the settings file and its lock,
// the level file, and a name of our temporaries. Nothing is written, the settings stay as they were.
TEST_F(ShellRun, TheProgramsOwnFilesAreRefusedAsOutputHoweverSpelt) {
    char program[kPathRoom];
    ASSERT_TRUE(OsGetProgramFolder(program, sizeof program));
    const std::string level = program;
    ASSERT_TRUE(OsCreateDirectory(temp.Win("settings").c_str()));
    const std::string settings = "tanaka/2/" + kSevenId + ":" + temp.Win("kept.csv") + "\n";
    ASSERT_TRUE(WriteWin(temp.Win("settings\\Marlo3Export.env"), settings));
    ASSERT_TRUE(WriteWin(temp.Win("settings\\Marlo3Export.lck"), ""));
    std::vector<std::string> own = {temp.Win("out\\SYURUI.ssc"), temp.Win("out\\syurui.SSC."),
                                    temp.Win("out\\syurui.SSC "), temp.Win("out\\marlo3syserr.TXT"),
                                    temp.Win("out\\Marlo3SysErr.txt. ."), temp.Win("settings\\.\\Marlo3Export.env"),
                                    temp.Win("settings\\sub\\..\\marlo3export.ENV."),
                                    temp.Win("settings\\Marlo3Export.lck"), level + ".\\ZorvanDef.ini",
                                    level + "x\\..\\zorvandef.ini", level + "ZorvanDef.ini.",
                                    temp.Win("out\\~aex0123abcd.tmp")};
    // Another drive letter onto the same folder, where the drive map can show it; 8.3 names, where
    // the system gives them.
    if (temp.Mapped() && OsMapDrive('N', temp.Native("").c_str(), DriveFixed))
        own.push_back("N:\\settings\\Marlo3Export.env");
#ifdef _WIN32
    ASSERT_TRUE(OsCreateDirectory(temp.Win("logs").c_str()));
    ASSERT_TRUE(WriteWin(temp.Win("logs\\Marlo3SysErr.txt"), "an earlier run's"));
    for (const std::string& file :
         {temp.Win("settings\\Marlo3Export.env"), level + "ZorvanDef.ini", temp.Win("logs\\Marlo3SysErr.txt")}) {
        const std::string shortPath = ShortPathOf(file);
        if (shortPath != file) own.push_back(shortPath);
    }
#endif
    std::vector<std::string> steps;
    for (const std::string& path : own) steps.insert(steps.end(), {"--path", path, "--execute"});
    steps.push_back("--cancel");
    RecordingUi ui;
    ui.Script(steps);
    EXPECT_FALSE(Run(ui));
    std::vector<std::string> expected(own.size(), kOwnFile);
    expected.push_back(kCancelled);
    EXPECT_EQ(ui.boxes, expected);
    EXPECT_FALSE(Exists("out"));
    EXPECT_EQ(ReadBytes(temp.Native("settings/Marlo3Export.env")), settings);
}

// A path in a current folder names no file the user can see: "C:name" lies in drive C's current
// folder, which the run made the program's own, and "." or ".." name a folder.
TEST_F(ShellRun, DriveRelativePathsAndDotNamesAreRefused) {
    RecordingUi ui;
    const std::string drive = temp.Win("").substr(0, 2);
    ui.Script({"--path", drive + "rel.csv", "--execute", "--path", drive + "ZorvanDef.ini", "--execute", "--path",
               temp.Win("out\\."), "--execute", "--path", temp.Win("out\\. ."), "--execute", "--cancel"});
    EXPECT_FALSE(Run(ui));
    EXPECT_EQ(ui.boxes, (std::vector<std::string>{kBadDrive, kBadDrive, kNoFileName, kNoFileName, kCancelled}));
    EXPECT_FALSE(Exists("out"));
}

// A path the run's 260-byte buffer cannot hold is refused as too long, not exported cut.
TEST_F(ShellRun, PathOfMoreThan260BytesIsRefusedAsTooLong) {
    const std::string folder = temp.Win("");
    ASSERT_LT(folder.size(), 250u);
    const std::string path = folder + std::string(261 - folder.size() - 4, 'a') + ".csv";
    RecordingUi ui;
    ui.unlimited = true;
    // Typed straight into the box: the command line refuses a path the box would cut.
    ui.AddStep({ClScriptedUi::StSTEP::TypePath, path, 0, false, false, false});
    ui.Script({"--execute", "--cancel"});
    EXPECT_FALSE(Run(ui));
    EXPECT_EQ(ui.boxes, (std::vector<std::string>{kTooLong, kCancelled}));
    EXPECT_EQ(ui.SelectedText(), path);
}

// The path fits, but the log beside it would not: refused before anything is written.
TEST_F(ShellRun, FolderWithoutRoomForTheLogIsRefusedAsTooLong) {
    const std::string folder = temp.Win(std::string(248 - temp.Win("").size() - 1, 'f') + "\\");
    ASSERT_EQ(folder.size(), 248u);
    RecordingUi ui;
    ui.unlimited = true;
    ui.Script({"--path", folder + "a.csv", "--execute", "--cancel"});
    EXPECT_FALSE(Run(ui));
    EXPECT_EQ(ui.boxes, (std::vector<std::string>{kTooLong, kCancelled}));
    // Where the report is reached all the same, the box names the file in full.
    RecordingUi report;
    ShowClosingReport(report, (folder + "a.csv").c_str(), FailedErrorLog, StRUNLOG{0, StFILEID(), StFILEID()});
    ASSERT_EQ(report.boxes.size(), 1u);
    EXPECT_NE(report.boxes[0].find("連動エラーログ \x81\xCB " + folder + "Marlo3SysErr.txt    \n"), std::string::npos);
}

#ifndef _WIN32
TEST_F(ShellRun, FifoOrLinkIsNeverWrittenThrough) {
    OsCreateDirectory(temp.Win("out").c_str());
    ASSERT_EQ(mkfifo(temp.Native("out/pipe.csv").c_str(), 0600), 0);
    RecordingUi ui;
    ui.Script({"--path", temp.Win("out\\pipe.csv"), "--execute", "--cancel"});
    EXPECT_FALSE(Run(ui));
    EXPECT_EQ(ui.boxes, (std::vector<std::string>{kNotAFile, kCancelled}));
    // A link planted as the type file: the run names it, its target keeps its bytes.
    WriteBytes(temp.Native("victim"), "victim");
    std::filesystem::create_symlink(temp.Native("victim"), temp.Native("out/syurui.SSC"));
    RecordingUi second;
    second.Script({"--path", temp.Win("out\\assets.csv")});
    EXPECT_TRUE(Run(second));
    EXPECT_NE(second.boxes.back().find("資産種類データ \x81\xCB " + temp.Win("out\\syurui.SSC")), std::string::npos);
    EXPECT_EQ(ReadBytes(temp.Native("victim")), "victim");
    EXPECT_TRUE(std::filesystem::is_symlink(temp.Native("out/syurui.SSC")));
}
#endif

TEST_F(ShellRun, WaitCursorEndsWhenTheRunUnwinds) {
    RecordingUi ui;
    ui.onBox = [](const char*) { throw 1; };  // the closing notice is the run's first box
    ui.Script({"--path", temp.Win("assets.csv")});
    EXPECT_THROW(Run(ui), int);
    EXPECT_EQ(ui.WaitCursorDepth(), 0);
}

// The data file failed and the run made no log entries: an earlier run's log is removed, and only
// the data file is named.
TEST_F(ShellRun, FailureBoxNamesTheDataFile) {
    WriteWin(temp.Win("Marlo3SysErr.txt"), "");
    RecordingUi ui;
    ShowClosingReport(ui, temp.Win("assets.csv").c_str(), FailedDataFile, EarlierLog("Marlo3SysErr.txt"));
    EXPECT_FALSE(Exists("Marlo3SysErr.txt"));
    EXPECT_EQ(ui.boxes, std::vector<std::string>{"減価償却情報の出力に失敗しました。\n\n次のファイルを書き込めませんでした。\n"
                                                 "償却資産データ \x81\xCB " + temp.Win("assets.csv") +
                                                 "    \n\nアプリケーションを終了します。"});
    EXPECT_EQ(ui.types, std::vector<unsigned>{0x30u});
}

// A host folder that leaves no room for "*.csv" is proposed as it is, not with a cut pattern.
TEST_F(ShellRun, NoPatternWhereTheFolderLeavesNoRoom) {
    const std::string folder = "C:\\" + std::string(252, 'a') + "\\";  // 256 bytes
    WriteBytes(ledger + "/session.csv", "tanaka,2,7," + folder + "," + temp.Win("settings") + "\r\n");
    ClHostSim::Inst()->Reset();
    RecordingUi ui;
    ui.Script({"--cancel"});
    EXPECT_FALSE(Run(ui));
    EXPECT_NE(ui.Transcript().find("出力先  ：" + folder + "\n"), std::string::npos) << ui.Transcript();
}

TEST_F(ShellRun, RefocusSelectsTheWholePath) {
    RecordingUi ui;
    ui.Script({"--path", "a|b.csv", "--key", "f12", "--cancel"});
    Run(ui);
    EXPECT_EQ(ui.SelectedText(), "a|b.csv");
    EXPECT_EQ(ui.GetFocus(), IDC_CANCEL);  // the last step pressed cancel
}

TEST_F(ShellRun, MissingFoldersAreCreatedOnYes) {
    RecordingUi ui;
    ui.Script({"--path", temp.Win("out\\" + kHyo + "\\deep\\assets.csv"), "--answer", "yes"});
    EXPECT_TRUE(Run(ui));
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ(ui.boxes[0], kNoFolder);
    EXPECT_EQ(ui.types[0], 0x24u);
    EXPECT_TRUE(Exists("out\\" + kHyo + "\\deep\\assets.csv"));
    EXPECT_TRUE(Exists("out\\" + kHyo + "\\deep\\syurui.SSC"));
}

TEST_F(ShellRun, FailedCreationRemovesTheFoldersItMade) {
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);
    OsCreateDirectory(temp.Win("out").c_str());
    std::string tooLong;  // 270 bytes in UTF-8: beyond what the file system takes for a name
    for (int i = 0; i < 90; ++i) tooLong += kHyo;
    RecordingUi ui;
    ui.Script({"--path", temp.Win("out\\a\\b\\" + tooLong + "\\x.csv"), "--execute", "--answer", "yes", "--cancel"});
    EXPECT_FALSE(Run(ui));
    ASSERT_GE(ui.boxes.size(), 2u);
    EXPECT_EQ(ui.boxes[1], kCreateFailed);
    EXPECT_FALSE(Exists("out\\a"));
    EXPECT_TRUE(Exists("out"));
}

TEST_F(ShellRun, OverwriteQuestion) {
    OsCreateDirectory(temp.Win("out").c_str());
    WriteWin(temp.Win("out\\assets.csv"), "old");
    {
        RecordingUi ui;
        ui.Script({"--path", temp.Win("out\\assets.csv"), "--execute", "--answer", "no", "--cancel"});
        EXPECT_FALSE(Run(ui));
        EXPECT_EQ(ui.boxes[0], kOverwrite);
        EXPECT_EQ(ReadBytes(temp.Native("out/assets.csv")), "old");
    }
    ClHostSim::Inst()->Reset();
    RecordingUi ui;
    ui.Script({"--path", temp.Win("out\\assets.csv"), "--answer", "yes"});
    EXPECT_TRUE(Run(ui));
    EXPECT_EQ(ui.boxes[0], kOverwrite);
    EXPECT_EQ(ReadBytes(temp.Native("out/assets.csv")).substr(0, 10), "バージョン");
}

TEST_F(ShellRun, PlainConfirmNeverExports) {
    RecordingUi ui;
    ui.Script({"--path", temp.Win("assets.csv"), "--key", "ctrl+enter", "--key", "shift+enter"});
    EXPECT_FALSE(Run(ui));
    EXPECT_FALSE(Exists("assets.csv"));
    EXPECT_EQ(ui.boxes, std::vector<std::string>{kCancelled});  // closed at the end of the script
}

TEST_F(ShellRun, KeyboardRules) {
    RecordingUi ui;
    // Enter in the path box moves to browse; Enter there browses; F12 executes from anywhere.
    ui.Script({"--path", "C:name.csv", "--key", "enter", "--key", "enter", "--save-cancel", "--key", "tab",
               "--key", "tab", "--path", temp.Win("k.csv"), "--key", "tab", "--key", "f12"});
    EXPECT_TRUE(Run(ui));
    const std::string shown = ui.Transcript();
    EXPECT_NE(shown.find("-- 保存ファイルを指定 --\nフォルダ: C:\nファイル名: name.csv\n"), std::string::npos) << shown;
    EXPECT_TRUE(Exists("k.csv"));
}

TEST_F(ShellRun, BrowsedPathIsTakenWithTheDefaultExtension) {
    OsCreateDirectory(temp.Win("out").c_str());
    RecordingUi ui;
    ui.Script({"--path", temp.Win("out\\first.csv"), "--browse", "--save-as", temp.Win("out\\chosen"), "--execute"});
    EXPECT_TRUE(Run(ui));
    EXPECT_NE(ui.Transcript().find("フォルダ: " + temp.Win("out\\") + "\nファイル名: first.csv\n"), std::string::npos);
    EXPECT_TRUE(Exists("out\\chosen.CSV"));
}

TEST_F(ShellRun, SavedPathIsProposedNextTimeAndReplacedInPlace) {
    OsCreateDirectory(temp.Win("settings").c_str());
    WriteBytes(temp.Native("settings/Marlo3Export.env"), "xtanaka/2/" + kSevenId + ":keep\n");
    for (const char* name : {"one.csv", "two.csv"}) {
        RecordingUi ui;
        ui.Script({"--path", temp.Win(name)});
        EXPECT_TRUE(Run(ui));
        ClHostSim::Inst()->Reset();
    }
    RecordingUi ui;
    ui.Script({"--cancel"});
    Run(ui);
    EXPECT_NE(ui.Transcript().find("出力先  ：" + temp.Win("two.csv") + "\n"), std::string::npos);
    EXPECT_EQ(Settings(), "xtanaka/2/" + kSevenId + ":keep\ntanaka/2/" + kSevenId + ":" +
                              temp.Win("two.csv") + "\n");
}

#ifndef _WIN32
// The viewer is a shell script on a mapped drive; Windows has its own viewer and drives.
TEST_F(ShellRun, LogIsShownInTheViewerBeforeTheNotice) {
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);
    WriteLedger(7, AssetRow("K1", "000001") + AssetRow("K2", "000001"));  // a repeated code
    const std::string accessories = temp.Native("Program Files/Windows NT/Accessories");
    ASSERT_TRUE(OsCreateDirectory(temp.Win("Program Files").c_str()));
    ASSERT_TRUE(OsCreateDirectory(temp.Win("Program Files\\Windows NT").c_str()));
    ASSERT_TRUE(OsCreateDirectory(temp.Win("Program Files\\Windows NT\\Accessories").c_str()));
    WriteBytes(accessories + "/Wordpad.exe",
               "#!/bin/sh\nsleep 0.2\nprintf '%s' \"$1\" > \"" + temp.Native("viewer-args") + "\"\n");
    ASSERT_EQ(std::system(("chmod +x '" + accessories + "/Wordpad.exe'").c_str()), 0);
    setenv("ASSETEXPORT_WINDIR", "M:\\windows", 1);

    RecordingUi ui;
    std::string argsWhenNoticeShown;
    ui.onBox = [&](const char* text) {
        if (std::string(text) == kFinishedWithLog) argsWhenNoticeShown = ReadBytes(temp.Native("viewer-args"));
    };
    ui.Script({"--path", temp.Win("out.csv")});
    EXPECT_TRUE(Run(ui));
    unsetenv("ASSETEXPORT_WINDIR");
    EXPECT_EQ(ui.boxes.back(), kFinishedWithLog);
    EXPECT_EQ(argsWhenNoticeShown, temp.Native("Marlo3SysErr.txt"));
    EXPECT_TRUE(Exists("Marlo3SysErr.txt"));
    EXPECT_TRUE(Exists("settings\\Marlo3Export.env"));
}

// The path is saved before the closing report: the viewer, its first step, finds the saved line.
TEST_F(ShellRun, PathIsSavedBeforeTheViewerOpens) {
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);
    WriteLedger(7, AssetRow("K1", "000001") + AssetRow("K2", "000001"));  // a log entry
    const std::string accessories = temp.Native("Program Files/Windows NT/Accessories");
    std::filesystem::create_directories(accessories);
    WriteBytes(accessories + "/Wordpad.exe", "#!/bin/sh\ncat '" + temp.Native("settings/Marlo3Export.env") +
                                                 "' > '" + temp.Native("seen-by-viewer") + "'\n");
    ASSERT_EQ(std::system(("chmod +x '" + accessories + "/Wordpad.exe'").c_str()), 0);
    setenv("ASSETEXPORT_WINDIR", "M:\\windows", 1);
    RecordingUi ui;
    ui.Script({"--path", temp.Win("out.csv")});
    EXPECT_TRUE(Run(ui));
    unsetenv("ASSETEXPORT_WINDIR");
    EXPECT_EQ(ReadBytes(temp.Native("seen-by-viewer")), "tanaka/2/" + kSevenId + ":" + temp.Win("out.csv") + "\n");
}

// Without Wordpad (current systems) the Windows folder's Notepad shows the log; without either,
// the front end's own display, and the notice follows in both cases.
// A log that holds entries is shown first; the failure box, naming each failed file, follows. A
// log that could not be written is an earlier run's: never shown, never removed, only named.
TEST_F(ShellRun, FailureBoxFollowsTheViewerOfANonEmptyLog) {
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);
    WriteWin(temp.Win("Marlo3SysErr.txt"), "\r\nentry\r\n");
    setenv("ASSETEXPORT_WINDIR", "M:\\windows", 1);  // neither viewer: the front end shows it
    const std::string failed = "減価償却情報の出力に失敗しました。\n\n次のファイルを書き込めませんでした。\n償却資産データ \x81\xCB " +
                               temp.Win("assets.csv") + "    \n";
    const std::string end = "\nアプリケーションを終了します。";
    RecordingUi ui;
    size_t shownAtBox = 0;
    ui.onBox = [&](const char*) { shownAtBox = ui.shownFiles.size(); };
    ShowClosingReport(ui, temp.Win("assets.csv").c_str(), FailedDataFile, PlacedLog("Marlo3SysErr.txt", 1));
    EXPECT_EQ(ui.shownFiles, std::vector<std::string>{temp.Win("Marlo3SysErr.txt")});
    EXPECT_EQ(shownAtBox, 1u);
    EXPECT_EQ(ui.boxes, std::vector<std::string>{failed + end});

    RecordingUi unwritten;
    ShowClosingReport(unwritten, temp.Win("assets.csv").c_str(), FailedDataFile | FailedErrorLog,
                      StRUNLOG{1, StFILEID(), StFILEID()});
    unsetenv("ASSETEXPORT_WINDIR");
    EXPECT_TRUE(unwritten.shownFiles.empty());
    EXPECT_EQ(unwritten.boxes, std::vector<std::string>{failed + "連動エラーログ \x81\xCB " +
                                                        temp.Win("Marlo3SysErr.txt") + "    \n" + end});
    EXPECT_EQ(ReadBytes(temp.Native("Marlo3SysErr.txt")), "\r\nentry\r\n");
}

TEST_F(ShellRun, NotepadWhenWordpadIsAbsentElseTheFrontEnd) {
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);
    WriteLedger(7, AssetRow("K1", "000001") + AssetRow("K2", "000001"));
    ASSERT_TRUE(OsCreateDirectory(temp.Win("windows").c_str()));
    const std::string notepad = temp.Native("windows/notepad.exe");
    WriteBytes(notepad, "#!/bin/sh\nprintf '%s|%s' \"$1\" \"$(pwd)\" > \"" + temp.Native("viewer-args") + "\"\n");
    ASSERT_EQ(std::system(("chmod +x '" + notepad + "'").c_str()), 0);
    setenv("ASSETEXPORT_WINDIR", "M:\\windows", 1);
    RecordingUi ui;
    ui.Script({"--path", temp.Win("out.csv")});
    EXPECT_TRUE(Run(ui));
    EXPECT_EQ(ReadBytes(temp.Native("viewer-args")), temp.Native("Marlo3SysErr.txt") + "|" + temp.Native("windows"));
    EXPECT_TRUE(ui.shownFiles.empty());
    EXPECT_EQ(ui.boxes.back(), kFinishedWithLog);

    std::remove(notepad.c_str());
    ClHostSim::Inst()->Reset();
    RecordingUi bare;
    bare.Script({"--path", temp.Win("out.csv"), "--answer", "yes"});
    EXPECT_TRUE(Run(bare));
    unsetenv("ASSETEXPORT_WINDIR");
    EXPECT_EQ(bare.shownFiles, std::vector<std::string>{temp.Win("Marlo3SysErr.txt")});
    EXPECT_EQ(bare.boxes.back(), kFinishedWithLog);
}

// The viewer is named in quotes: a program planted at the first word of its path ("M:\Program" for
// "M:\Program Files\...", "M:\Win" for the Windows folder "M:\Win Dir") is never started.
TEST_F(ShellRun, ViewerIsStartedByItsQuotedPathNeverByAPlantedProgram) {
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);
    WriteLedger(7, AssetRow("K1", "000001") + AssetRow("K2", "000001"));  // a log entry
    const std::string wordpad = temp.Native("Program Files/Windows NT/Accessories/Wordpad.exe");
    const std::string notepad = temp.Native("Win Dir/notepad.exe");
    std::filesystem::create_directories(temp.Native("Program Files/Windows NT/Accessories"));
    std::filesystem::create_directories(temp.Native("Win Dir"));
    for (const std::string& program : {temp.Native("Program"), temp.Native("Win"), wordpad, notepad}) {
        WriteBytes(program, "#!/bin/sh\necho \"$0\" >> '" + temp.Native("started") + "'\n");
        std::filesystem::permissions(program, std::filesystem::perms::owner_all);
    }
    setenv("ASSETEXPORT_WINDIR", "M:\\Win Dir", 1);
    for (int run = 0; run < 2; ++run) {  // Wordpad, then Notepad where Wordpad is missing
        RecordingUi ui;
        ui.Script({"--path", temp.Win("out.csv"), "--answer", "yes"});
        EXPECT_TRUE(Run(ui));
        std::remove(wordpad.c_str());
    }
    unsetenv("ASSETEXPORT_WINDIR");
    EXPECT_EQ(ReadBytes(temp.Native("started")), wordpad + "\n" + notepad + "\n");
}
#endif

// An unattended run names the log in its transcript and opens no viewer; the notice follows, and
// the outcome still tells that the log has entries.
TEST_F(ShellRun, NoViewerNamesTheLogInsteadOfOpeningIt) {
    WriteLedger(7, AssetRow("K1", "000001") + AssetRow("K2", "000001"));  // a repeated code
    RecordingUi ui;
    ui.Script({"--path", temp.Win("out.csv"), "--no-viewer"});
    EXPECT_TRUE(Run(ui));
    EXPECT_EQ(outcome, RunExportedLogged);
    EXPECT_TRUE(ui.shownFiles.empty());
    EXPECT_NE(ui.Transcript().find("連動エラーログ: " + temp.Win("Marlo3SysErr.txt") + "\n"), std::string::npos);
    EXPECT_EQ(ui.boxes.back(), kFinishedWithLog);
}

// An asset the host could not hand over ends the run as one with log entries, never as a success.
TEST_F(ShellRun, FailedFetchEndsWithTheLogNotWithSuccess) {
    WriteFault("Move");
    RecordingUi ui;
    ui.Script({"--path", temp.Win("out.csv"), "--no-viewer"});
    EXPECT_TRUE(Run(ui));
    EXPECT_EQ(outcome, RunExportedLogged);
    EXPECT_EQ(ui.boxes.back(), kFinishedWithLog);
}

#ifndef _WIN32
// The log takes its place whole, as the data file does: a hard link planted at its name keeps what
// it held, and a read-only log of an earlier run stays as it is and is named in the failure box.
TEST_F(ShellRun, LogIsReplacedWholeNeverWrittenThroughOrOverAReadOnlyOne) {
    WriteLedger(7, AssetRow("K1", "000001") + AssetRow("K2", "000001"));  // a log entry
    WriteBytes(temp.Native("other.txt"), "kept");
    ASSERT_EQ(link(temp.Native("other.txt").c_str(), temp.Native("Marlo3SysErr.txt").c_str()), 0);
    RecordingUi linked;
    linked.Script({"--path", temp.Win("out.csv"), "--no-viewer"});
    EXPECT_TRUE(Run(linked));
    EXPECT_EQ(ReadBytes(temp.Native("other.txt")), "kept");
    EXPECT_NE(ReadBytes(temp.Native("Marlo3SysErr.txt")).find("＜ERROR＞"), std::string::npos);

    WriteBytes(temp.Native("Marlo3SysErr.txt"), "earlier");
    ASSERT_EQ(chmod(temp.Native("Marlo3SysErr.txt").c_str(), 0444), 0);
    RecordingUi readOnly;
    readOnly.Script({"--path", temp.Win("out.csv"), "--answer", "yes", "--no-viewer"});
    EXPECT_TRUE(Run(readOnly));
    EXPECT_EQ(ReadBytes(temp.Native("Marlo3SysErr.txt")), "earlier");
    EXPECT_NE(readOnly.boxes.back().find("連動エラーログ \x81\xCB " + temp.Win("Marlo3SysErr.txt")), std::string::npos)
        << readOnly.boxes.back();
    EXPECT_EQ(readOnly.Transcript().find("連動エラーログ: "), std::string::npos);  // nothing shown of it
}
#endif

#ifdef _WIN32
// A scanner that holds the old data file for a moment does not fail the export; one that holds it
// longer than the retries last fails it, with the old file kept and no temporary file left behind.
TEST_F(ShellRun, DataFileHeldForAMomentIsReplacedHeldLongerIsKept) {
    for (const unsigned long holdMs : {1000ul, 5000ul}) {
        SCOPED_TRACE(holdMs);
        ASSERT_TRUE(WriteWin(temp.Win("held.csv"), "old"));
        RecordingUi ui;
        ui.Script({"--path", temp.Win("held.csv"), "--answer", "yes"});
        {
            ClFileHolder holder(temp.Native("held.csv"), holdMs);
            ASSERT_TRUE(holder.Holds());
            EXPECT_TRUE(Run(ui));
        }
        const bool kept = ReadBytes(temp.Native("held.csv")) == "old";
        EXPECT_EQ(kept, holdMs > 2000);
        ASSERT_FALSE(ui.boxes.empty());
        EXPECT_EQ(ui.boxes.back().find("失敗しました") != std::string::npos, kept) << ui.boxes.back();
        for (const auto& entry : std::filesystem::directory_iterator(temp.Native("")))
            EXPECT_NE(entry.path().filename().string()[0], '~') << entry.path().string();
    }
}
#endif

TEST_F(ShellRun, AFileThatCannotBeWrittenIsNamedInsteadOfSuccess) {
    OsCreateDirectory(temp.Win("out").c_str());
    OsCreateDirectory(temp.Win("out\\syurui.SSC").c_str());  // a folder where the type file goes
    RecordingUi ui;
    ui.Script({"--path", temp.Win("out\\assets.csv")});
    EXPECT_TRUE(Run(ui));
    ASSERT_FALSE(ui.boxes.empty());
    EXPECT_EQ(ui.boxes.back(), "減価償却情報の出力に失敗しました。\n\n次のファイルを書き込めませんでした。\n資産種類データ \x81\xCB " +
                                   temp.Win("out\\syurui.SSC") + "    \n\nアプリケーションを終了します。");
    EXPECT_EQ(ui.types.back(), 0x30u);
    EXPECT_TRUE(Exists("out\\assets.csv"));
}

}  // namespace

TEST(MakeHeaderText, CompanyAndPeriod) {
    StDATAINFO record = {};
    std::strcpy(record.companyName, "株式会社");
    record.periodStart = 20230401;
    record.periodEnd = 20240331;
    EXPECT_STREQ(CExportApp::MakeHeaderText(0, &record), " 株式会社");
    EXPECT_STREQ(CExportApp::MakeHeaderText(1, &record), " 2023/04/01\x81\x60" "2024/03/31");
    EXPECT_STREQ(CExportApp::MakeHeaderText(2, &record), "");
    EXPECT_STREQ(CExportApp::MakeHeaderText(0, nullptr), "");
    const StDATAINFO zero = {};
    EXPECT_STREQ(CExportApp::MakeHeaderText(1, &zero), " 0000/00/00\x81\x60" "0000/00/00");
    // 129 double-byte characters: the name is cut to whole characters within 255 bytes.
    StDATAINFO longName = {};
    for (int i = 0; i < 129; ++i) std::strcat(longName.companyName, "表");
    const std::string text = CExportApp::MakeHeaderText(0, &longName);
    EXPECT_EQ(text.size(), 255u);
    EXPECT_EQ(text.substr(text.size() - 2), "表");
}
