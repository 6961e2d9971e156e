// program_test.cpp - the deliverables as a user starts them: the level file beside the program, the
// settings key of each build, the terminal's encoding and the command line's errors.
#include <gtest/gtest.h>

#include <signal.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <unistd.h>

#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <random>
#include <thread>
#include <filesystem>
#include <functional>
#include <string>

#include "testutil.h"
#include "version.h"

namespace {

const std::string kNoEnvironment =
    "動作環境が不正です。\\nES_APRPACKAGENAMEが正しくインストールされているか確認してください。";
const std::string kOlderPackage =
    "ご利用の連動コンポーネントは、インストールされているES_APRPACKAGENAMEでは使用できません。\\n"
    "ES_APRPACKAGENAMEの最新版を入手してインストールしてからご利用ください。";
const std::string kOlderComponent =
    "ご利用の連動コンポーネントは、インストールされているES_APRPACKAGENAMEでは使用できません。\\n"
    "連動コンポーネントの最新版を入手してインストールしてからご利用ください。";

// A ledger, a drive C: for the output and the settings, and a place for the program.
class ProgramRun : public ::testing::Test {
protected:
    ProgramRun() {
        std::filesystem::create_directories(dir.File("c"));
        std::filesystem::create_directories(dir.File("ledger"));
        WriteSession(2);
        WriteBytes(dir.File("ledger/datasets.csv"), "7,ID-SEVEN,Company,20230401,20240331,1,0\r\n");
        WriteBytes(dir.File("ledger/assets-7.csv"),
                   "K1,000001,5,NAME,3台,memo,0,,20200401,20200501,1000,0,0,6,5,200,0,0,0,10000,30,0,0,0,0,0,0,0,0,"
                   "0,0,0,0,0,0,0,0\r\n");
    }
    void WriteSession(int selectionNo) {
        WriteBytes(dir.File("ledger/session.csv"),
                   "tanaka," + std::to_string(selectionNo) + ",7,C:\\out,C:\\settings\\\r\n");
    }

    // Runs the program with the steps (Shift-JIS, single-quoted for the shell) under the C locale;
    // its exit code. The transcript is in out, the host's journal in journal.
    int Run(const std::string& program, const std::string& steps) {
        std::remove(dir.File("journal").c_str());
        const std::string command = "cd '" + dir.Path() + "' && LC_ALL=C HOSTSIM_LEDGER='" + dir.File("ledger") +
                                    "' HOSTSIM_JOURNAL='" + dir.File("journal") + "' ASSETEXPORT_DRIVES='C=" +
                                    dir.File("c") + ":fixed' '" + program + "' " + steps + " >out 2>err";
        const int status = std::system(command.c_str());
        out = ReadBytes(dir.File("out"));
        journal = ReadBytes(dir.File("journal"));
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    }
    // Another ledger, "ledger" + suffix, with the first's session and data sets and count assets
    // whose codes code gives.
    void WriteLedgerBeside(const std::string& suffix, int count, const std::function<std::string(int)>& code) {
        const std::string ledger = dir.File("ledger" + suffix);
        std::filesystem::create_directories(ledger);
        for (const char* file : {"session.csv", "datasets.csv"})
            std::filesystem::copy_file(dir.File(std::string("ledger/") + file), ledger + "/" + file);
        std::string rows;
        for (int i = 0; i < count; ++i)
            rows += "K" + std::to_string(i) + "," + code(i) +
                    ",5,NAME,3台,memo,0,,20200401,20200501,1000,0,0,6,5,200,0,0,0,10000,30,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n";
        WriteBytes(ledger + "/assets-7.csv", rows);
    }
    // A copy of the edition-3 program in folder, with the level file content beside it (none: no file).
    std::string PlaceProgram(const std::string& folder, const char* levelFile) {
        const std::string target = dir.File(folder);
        std::filesystem::create_directories(target);
        std::filesystem::copy_file(MARLO3_PROGRAM, target + "/Marlo3Export",
                                   std::filesystem::copy_options::overwrite_existing);
        std::remove((target + "/ZorvanDef.ini").c_str());
        if (levelFile) WriteBytes(target + "/ZorvanDef.ini", levelFile);
        return target + "/Marlo3Export";
    }

    TempDir dir;
    std::string out, journal;
};

TEST_F(ProgramRun, LevelFileDecidesBeforeTheLink) {
    const struct {
        const char* file;  // null: no level file
        const std::string* message;  // null: the check passes
    } cases[] = {
        {nullptr, &kNoEnvironment},
        {"[ProgramLevel]\r\nOTHER=2\r\n", &kOlderPackage},  // missing key: the default 1
        {"[ProgramLevel]\r\nRX52=\r\n", &kNoEnvironment},   // empty value, unlike a missing key
        {"[ProgramLevel]\r\nRX52=2\r\n", nullptr},
        {"[ProgramLevel]\r\nRX52= 2\r\n", nullptr},
        {"[programlevel]\r\nrx52=02\r\n", nullptr},
        {"[ProgramLevel]\r\nRX52=3\r\n", &kOlderComponent},
        {"[ProgramLevel]\r\nRX52=abc\r\n", &kOlderPackage},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file ? c.file : "(no file)");
        const std::string program = PlaceProgram("prog", c.file);
        EXPECT_EQ(Run(program, "--cancel"), 3);  // refused, or cancelled in the dialog
        const std::string start = "SetAppType\t3\nSetUseDataType\t3\nInitiate\t減価償却\t0\n";
        if (c.message) {
            EXPECT_EQ(journal, start + "DispMsg\t48\t減価償却\t" + *c.message + "\nLogOut\nTerminate\nRelease\n");
            EXPECT_EQ(out, "");
        } else {
            // Past the link: the data set read, the dialog filled and cancelled (shell_test has the parts).
            EXPECT_EQ(journal, start + "ExpSysLink\t0\nGetSetObject\t5\t1\nGetSysUserObject\nGetCurUserID\ttanaka\t0\n"
                                       "GetSelectedNo\ttanaka\t2\t7\t0\nGetDatCursor\t1\t0\nReadyDat\t1\t0\t0\n"
                                       "WalkDat\t1\t7\t0\nReleaseDatCursor\t1\t0\n"
                                       "GetCurUserID\ttanaka\t0\nGetSelectedNo\ttanaka\t2\t7\t0\nGetSelectedInfo\t7\n"
                                       "MakeIDStr\t49442D534556454E0000000000000000\t0\nGetAppFolderPath\t1\n"
                                       "GetAppFolderPath\t0\nClFileMgr::Release\nLogOut\nTerminate\nRelease\n");
            EXPECT_NE(out.find("｢減価償却｣の集計を中止します。"), std::string::npos);
        }
    }
}

TEST_F(ProgramRun, ProgramFolderEndingInATrailByteBackslash) {
    // 表 is 0x95 0x5C in Shift-JIS: the folder still gets its separating backslash.
    const std::string program = PlaceProgram(u8"prog表", "[ProgramLevel]\r\nRX52=2\r\n");
    EXPECT_EQ(Run(program, "--cancel"), 3);
    EXPECT_NE(journal.find("ExpSysLink\t0\n"), std::string::npos) << journal;
}

TEST_F(ProgramRun, SettingsKeyPerBuild) {
    EXPECT_EQ(Run(MARLO3_PROGRAM, "--path 'C:\\out\\a.csv' --answer yes"), 0);
    EXPECT_EQ(Run(MARLO5_PROGRAM, "--path 'C:\\out\\b.csv'"), 0);
    WriteSession(3);  // another selection of the same user and data set
    EXPECT_EQ(Run(MARLO3_PROGRAM, "--cancel"), 3);
    EXPECT_NE(out.find("出力先  ：C:\\out\\*.csv\n"), std::string::npos) << out;  // nothing for selection 3
    EXPECT_EQ(Run(MARLO5_PROGRAM, "--cancel"), 3);
    EXPECT_NE(out.find("出力先  ：C:\\out\\b.csv\n"), std::string::npos) << out;  // shared by selections

    const std::string id = "49442D534556454E" + std::string(16, '0');
    EXPECT_EQ(ReadBytes(dir.File("c/settings/Marlo3Export.env")), "tanaka/2/" + id + ":C:\\out\\a.csv\n");
    EXPECT_EQ(ReadBytes(dir.File("c/settings/Marlo5Export.env")), "tanaka/" + id + ":C:\\out\\b.csv\n");
    EXPECT_NE(journal.find("SetAppType\t5\n"), std::string::npos);
}

TEST_F(ProgramRun, EveryBuildNamesItsOwnLog) {
    const struct {
        const char* program;
        const char* edition;
        const char* log;
    } builds[] = {{MARLO3_PROGRAM, "3", "Marlo3SysErr.txt"},
                  {MARLO5_PROGRAM, "5", "Marlo5SysErr.txt"},
                  {MARLO4_PROGRAM, "4", "Marlo4SysErr.txt"},
                  {MARLO0_PROGRAM, "0", "Marlo0SysErr.txt"}};
    // A repeated code: the log is not empty and stays beside the data file.
    WriteBytes(dir.File("ledger/assets-7.csv"),
               "K1,000001,5,NAME,1台,memo,0,,20200401,20200501,1000,0,0,6,5,200,0,0,0,10000,30,0,0,0,0,0,0,0,0,"
               "0,0,0,0,0,0,0,0\r\n"
               "K2,000001,5,NAME,1台,memo,0,,20200401,20200501,1000,0,0,6,5,200,0,0,0,10000,30,0,0,0,0,0,0,0,0,"
               "0,0,0,0,0,0,0,0\r\n");
    for (const auto& build : builds) {
        SCOPED_TRACE(build.edition);
        const std::string folder = std::string("C:\\e") + build.edition;
        EXPECT_EQ(Run(build.program, "--path '" + folder + "\\x.csv' --answer yes"), 1);  // exported, log entries
        EXPECT_EQ(journal.substr(0, 12), std::string("SetAppType\t") + build.edition);
        EXPECT_NE(ReadBytes(dir.File(std::string("c/e") + build.edition + "/" + build.log)).find("＜ERROR＞"),
                  std::string::npos);
        EXPECT_NE(out.find("減価償却情報の出力が一応終了しました。"), std::string::npos);
    }
}

TEST_F(ProgramRun, VersionNamesEachBuildWithTheProjectsVersion) {
    const struct {
        const char* program;
        const char* line;
    } builds[] = {{MARLO3_PROGRAM, "Marlo3Export " ASSETEXPORT_VERSION " (edition 3)\n"},
                  {MARLO5_PROGRAM, "Marlo5Export " ASSETEXPORT_VERSION " (edition 5)\n"},
                  {MARLO4_PROGRAM, "Marlo4Export " ASSETEXPORT_VERSION " (edition 4)\n"},
                  {MARLO0_PROGRAM, "Marlo0Export " ASSETEXPORT_VERSION " (edition 0)\n"}};
    for (const auto& build : builds) {
        EXPECT_EQ(Run(build.program, "--version --cancel"), 0) << build.line;
        EXPECT_EQ(out, build.line);
        EXPECT_EQ(journal, "") << build.line;  // answered without a run
    }
}

// A script that reads the answer must not take a lost write for one.
TEST_F(ProgramRun, HelpAndVersionReportAFailedWrite) {
    for (const char* option : {"--version", "--help"}) {
        const std::string command = "'" + std::string(MARLO3_PROGRAM) + "' " + option + " >/dev/full 2>'" +
                                    dir.File("err") + "'";
        const int status = std::system(command.c_str());
        EXPECT_EQ(WIFEXITED(status) ? WEXITSTATUS(status) : -1, 2) << option;
        EXPECT_NE(ReadBytes(dir.File("err")).find("the output could not be written"), std::string::npos) << option;
    }
}

TEST_F(ProgramRun, TerminalEncodingAndCommandLineErrors) {
    // Under a UTF-8 locale the transcript is UTF-8 and the typed path is taken from UTF-8.
    const auto runUtf8 = [this](const std::string& path) {
        const std::string command = "cd '" + dir.Path() + "' && LC_ALL=C.UTF-8 HOSTSIM_LEDGER='" + dir.File("ledger") +
                                    "' ASSETEXPORT_DRIVES='C=" + dir.File("c") + ":fixed' '" + MARLO3_PROGRAM +
                                    "' --path '" + path + "' --answer yes >out 2>err";
        const int status = std::system(command.c_str());
        return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
    };
    ASSERT_EQ(runUtf8(u8"C:\\表\\a.csv"), 0);
    EXPECT_NE(ReadBytes(dir.File("out")).find(u8"減価償却情報の出力が正常に終了しました。"), std::string::npos);
    struct stat st;
    EXPECT_EQ(stat(dir.File(u8"c/表/a.csv").c_str(), &st), 0);
    // The yen sign has no form of its own in Shift-JIS: refused, never taken for the backslash.
    WriteBytes(dir.File(u8"c/表/a.csv"), "old");
    EXPECT_EQ(runUtf8(u8"C:\\表¥a.csv"), 2);
    EXPECT_NE(ReadBytes(dir.File("err")).find("--path: the text has no Shift-JIS form"), std::string::npos);
    EXPECT_EQ(ReadBytes(dir.File(u8"c/表/a.csv")), "old");

    EXPECT_EQ(Run(MARLO3_PROGRAM, "--unknown"), 2);
    EXPECT_NE(ReadBytes(dir.File("err")).find("unknown option: --unknown"), std::string::npos);
    EXPECT_EQ(journal, "");  // refused before the host connection
    EXPECT_EQ(Run(MARLO3_PROGRAM, "--answer maybe"), 2);
    // A path the box would cut (to a name without ".csv") is refused before anything is written.
    EXPECT_EQ(Run(MARLO3_PROGRAM, "--path 'C:\\" + std::string(252, 'a') + ".csv' --answer yes"), 2);
    EXPECT_EQ(journal, "");
    EXPECT_FALSE(std::filesystem::exists(dir.File("c/" + std::string(252, 'a'))));
    EXPECT_EQ(Run(MARLO3_PROGRAM, "</dev/null"), 2);  // no terminal for the dialog and no steps
}

TEST_F(ProgramRun, ExitStatusTellsAScriptTheOutcome) {
    EXPECT_EQ(Run(MARLO3_PROGRAM, "--path 'C:\\out\\a.csv' --answer yes"), 0);  // exported, empty log
    // The data file cannot take the old one's place: a read-only file stays.
    chmod(dir.File("c/out/a.csv").c_str(), 0444);
    EXPECT_EQ(Run(MARLO3_PROGRAM, "--path 'C:\\out\\a.csv' --answer yes"), 4);
    EXPECT_NE(out.find("償却資産データ ⇒ C:\\out\\a.csv"), std::string::npos) << out;
    WriteBytes(dir.File("ledger/faults.csv"), "ExpSysLink,-3,\r\n");
    EXPECT_EQ(Run(MARLO3_PROGRAM, "--path 'C:\\out\\b.csv' --answer yes"), 5);
    std::filesystem::remove(dir.File("ledger/faults.csv"));
    std::filesystem::create_directory(dir.File("ledger/faults.csv"));  // a bad ledger: Initiate refuses
    EXPECT_EQ(Run(MARLO3_PROGRAM, "--path 'C:\\out\\b.csv' --answer yes"), 5);
    EXPECT_NE(ReadBytes(dir.File("err")).find("faults.csv: cannot be read"), std::string::npos);
    EXPECT_FALSE(std::filesystem::exists(dir.File("c/out/b.csv")));
}

TEST_F(ProgramRun, HostMessageInTheTerminalsEncoding) {
    const std::string program = PlaceProgram("prog", nullptr);
    const std::string command = "cd '" + dir.Path() + "' && LC_ALL=C.UTF-8 HOSTSIM_LEDGER='" + dir.File("ledger") +
                                "' '" + program + "' --cancel >out 2>err";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 3);
    EXPECT_NE(ReadBytes(dir.File("err")).find(u8"[減価償却] 動作環境が不正です。"), std::string::npos)
        << ReadBytes(dir.File("err"));
}

TEST_F(ProgramRun, KilledExportLeavesThePreviousDataFileWholeAndNoTemporary) {
    // Enough rows that a kill can land in the middle of writing them.
    std::string rows;
    for (int i = 0; i < 20000; ++i)
        rows += "K" + std::to_string(i) + ",A" + std::to_string(i) +
                ",5,NAME,3台,memo,0,,20200401,20200501,1000,0,0,6,5,200,0,0,0,10000,30,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n";
    WriteBytes(dir.File("ledger/assets-7.csv"), rows);
    const std::string previous = "the previous export\r\n";
    WriteBytes(dir.File("c/old.csv"), previous);
    // The bytes of a whole run, for the case that the kill comes after the replacement.
    ASSERT_EQ(Run(MARLO3_PROGRAM, "--path 'C:\\whole.csv' --answer yes"), 0);
    const std::string whole = ReadBytes(dir.File("c/whole.csv"));
    ASSERT_GT(whole.size(), 1000000u);
    const std::string shell = "cd '" + dir.Path() + "' && LC_ALL=C HOSTSIM_LEDGER='" + dir.File("ledger") +
                              "' ASSETEXPORT_DRIVES='C=" + dir.File("c") + ":fixed' exec '" + MARLO3_PROGRAM +
                              "' --path 'C:\\old.csv' --answer yes >/dev/null 2>&1";
    // The temporary files in the output folder.
    const auto temporaries = [&] {
        int n = 0;
        for (const auto& entry : std::filesystem::directory_iterator(dir.File("c"))) {
            const std::string name = entry.path().filename().string();
            n += name[0] == '~' && name.size() > 4 && name.compare(name.size() - 4, 4, ".tmp") == 0;
        }
        return n;
    };
    std::mt19937 rng(std::random_device{}());
    // A signal the program sees removes its temporaries; SIGKILL leaves them to the next export
    // (last, so that a run killed before its first temporary cannot leave those in the count).
    for (const int signalNumber : {SIGTERM, SIGHUP, SIGINT, SIGTERM, SIGHUP, SIGINT, SIGKILL, SIGKILL}) {
        const pid_t child = fork();
        ASSERT_GE(child, 0);
        if (child == 0) {
            execl("/bin/sh", "sh", "-c", shell.c_str(), static_cast<char*>(nullptr));
            _exit(127);
        }
        std::this_thread::sleep_for(std::chrono::milliseconds(std::uniform_int_distribution<int>(5, 150)(rng)));
        kill(child, signalNumber);
        int status = 0;
        waitpid(child, &status, 0);
        const std::string now = ReadBytes(dir.File("c/old.csv"));
        EXPECT_TRUE(now == previous || now == whole) << "signal " << signalNumber << ": " << now.size() << " bytes";
        if (signalNumber != SIGKILL) {
            EXPECT_EQ(temporaries(), 0) << "signal " << signalNumber;
        }
    }
    ASSERT_EQ(Run(MARLO3_PROGRAM, "--path 'C:\\old.csv' --answer yes"), 0);
    EXPECT_EQ(temporaries(), 0);
}

// The level file is read only where it was looked for, and only as a plain file: beside a folder
// without a Shift-JIS name, or as a FIFO, it is the missing file, and the start never blocks.
TEST_F(ProgramRun, LevelFileThatCannotBeReadIsTheMissingFile) {
    const std::string refused = "SetAppType\t3\nSetUseDataType\t3\nInitiate\t減価償却\t0\nDispMsg\t48\t減価償却\t" +
                                kNoEnvironment + "\nLogOut\nTerminate\nRelease\n";
    const std::string unnamed = PlaceProgram(u8"prog\U0001F600", "[ProgramLevel]\r\nRX52=2\r\n");
    EXPECT_EQ(Run(unnamed, "--cancel"), 3);
    EXPECT_EQ(journal, refused);
    const std::string fifo = PlaceProgram("fifo", nullptr);
    ASSERT_EQ(mkfifo(dir.File("fifo/ZorvanDef.ini").c_str(), 0600), 0);
    EXPECT_EQ(Run(fifo, "--cancel"), 3);
    EXPECT_EQ(journal, refused);
}

// A byte without a form in the terminal's encoding is shown escaped; the rest stays readable.
TEST_F(ProgramRun, UnconvertibleByteIsEscapedInTheTranscript) {
    WriteBytes(dir.File("ledger/datasets.csv"), "7,ID-SEVEN,Comp\xFD" "any,20230401,20240331,1,0\r\n");
    const std::string command = "cd '" + dir.Path() + "' && LC_ALL=C.UTF-8 HOSTSIM_LEDGER='" + dir.File("ledger") +
                                "' ASSETEXPORT_DRIVES='C=" + dir.File("c") + ":fixed' '" + MARLO3_PROGRAM +
                                "' --cancel >out 2>err";
    EXPECT_EQ(WEXITSTATUS(std::system(command.c_str())), 3);
    EXPECT_NE(ReadBytes(dir.File("out")).find(u8"事業所名： Comp\\xFDany\n会計期間："), std::string::npos)
        << ReadBytes(dir.File("out"));
}

// Two exports into one folder at once: the log is the whole log of one of them, never a blend.
TEST_F(ProgramRun, ConcurrentExportsNeverBlendTheirLogs) {
    // Two ledgers whose logs differ: every code repeats once (an entry for each second asset).
    for (const char* which : {"A", "B"})
        WriteLedgerBeside(which, 20000, [&](int i) { return which + std::to_string(i / 2); });
    auto run = [&](const char* which, const std::string& path) {
        return "LC_ALL=C HOSTSIM_LEDGER='" + dir.File(std::string("ledger") + which) + "' ASSETEXPORT_DRIVES='C=" +
               dir.File("c") + ":fixed' '" + MARLO3_PROGRAM + "' --path '" + path + "' --answer yes --no-viewer >/dev/null 2>&1";
    };
    std::string logs[2];
    for (int k = 0; k < 2; ++k) {
        const char* which = k == 0 ? "A" : "B";
        ASSERT_EQ(WEXITSTATUS(std::system(("cd '" + dir.Path() + "' && " + run(which, std::string("C:\\alone") + which + "\\x.csv")).c_str())), 1);
        logs[k] = ReadBytes(dir.File(std::string("c/alone") + which + "/Marlo3SysErr.txt"));
    }
    ASSERT_NE(logs[0], logs[1]);
    for (int round = 0; round < 3; ++round) {
        std::system(("cd '" + dir.Path() + "' && { " + run("A", "C:\\both\\A.csv") + " & " + run("B", "C:\\both\\B.csv") +
                     " & wait; }").c_str());
        const std::string log = ReadBytes(dir.File("c/both/Marlo3SysErr.txt"));
        EXPECT_TRUE(log == logs[0] || log == logs[1]) << "round " << round << ": " << log.size() << " bytes";
    }
}

// A run without log entries and one with entries into one folder at once, the second starting a
// little later each round so that their closing steps meet at every moment: the first always ends
// in success and never shows or names a log; the second never ends in success, and names the log
// only as its own. What stays at the log's name is the second's whole log or nothing.
TEST_F(ProgramRun, ConcurrentRunsNeverTakeEachOthersLog) {
    WriteLedgerBeside("Clean", 3000, [](int i) { return "C" + std::to_string(i); });
    WriteLedgerBeside("Logged", 3000, [](int i) { return "C" + std::to_string(i / 2); });  // each code twice
    auto run = [&](const char* which) {
        return "(LC_ALL=C HOSTSIM_LEDGER='" + dir.File(std::string("ledger") + which) + "' ASSETEXPORT_DRIVES='C=" +
               dir.File("c") + ":fixed' '" + MARLO3_PROGRAM + "' --path 'C:\\both\\" + which +
               ".csv' --answer yes --no-viewer >" + which + ".out 2>&1; echo $? >" + which + ".status)";
    };
    // Many users' paths: the save between the export and the closing report takes a while, and
    // the two runs wait for each other's save.
    std::filesystem::create_directories(dir.File("c/settings"));
    std::string users;
    for (int i = 0; i < 100000; ++i) users += "user" + std::to_string(i) + "/1/ID:C:\\some\\folder\\assets.csv\n";
    WriteBytes(dir.File("c/settings/Marlo3Export.env"), users);
    ASSERT_EQ(std::system(("cd '" + dir.Path() + "' && { " + run("Logged") + "; }").c_str()), 0);
    const std::string logged = ReadBytes(dir.File("c/both/Marlo3SysErr.txt"));
    ASSERT_NE(logged.find("＜ERROR＞"), std::string::npos);
    for (int round = 0; round < 24; ++round) {
        SCOPED_TRACE("round " + std::to_string(round));
        char delay[32];
        std::snprintf(delay, sizeof delay, "sleep 0.%03d", round * 13 % 120);
        std::system(("cd '" + dir.Path() + "' && { " + run("Clean") + " & " + delay + "; " + run("Logged") +
                     " & wait; }").c_str());
        EXPECT_EQ(ReadBytes(dir.File("Clean.status")), "0\n");
        EXPECT_EQ(ReadBytes(dir.File("Clean.out")).find("連動エラーログ"), std::string::npos);
        EXPECT_EQ(ReadBytes(dir.File("Logged.status")), "1\n");
        const std::string transcript = ReadBytes(dir.File("Logged.out"));
        EXPECT_TRUE(transcript.find("連動エラーログ: C:\\both\\Marlo3SysErr.txt\n") != std::string::npos ||
                    transcript.find("置き換えられました") != std::string::npos);
        const std::string log = ReadBytes(dir.File("c/both/Marlo3SysErr.txt"));
        EXPECT_TRUE(log.empty() || log == logged) << "a log of " << log.size() << " bytes";
        std::filesystem::remove(dir.File("c/both/Marlo3SysErr.txt"));
    }
}

}  // namespace
