// terminalui_test.cpp - the terminal front end: dialog runs fed through a pipe, the terminal's mode
// over a pseudo-terminal, and the log shown in the pager.
#include "terminalui.h"

#include <fcntl.h>
#include <gtest/gtest.h>
#include <sys/stat.h>
#include <sys/wait.h>
#include <termios.h>
#include <unistd.h>

#include <atomic>
#include <chrono>
#include <csignal>
#include <cstdio>
#include <cstdlib>
#include <string>
#include <thread>

#include "conditiondlg.h"
#include "osapi.h"
#include "platform/mapped_temp.h"

namespace {

// The texts typed and shown are UTF-8 on the terminal; set before the first conversion.
const bool kUtf8Locale = setenv("LC_ALL", "C.UTF-8", 1) == 0;

const std::string kHyoSjis = "\x95\x5C";      // 表: its trail byte is a backslash
const std::string kHyoUtf8 = "\xE8\xA1\xA8";  // 表 as the terminal sends it
const std::string kF12 = "\x1b[24~";

// ---- whole dialog runs through a pipe ----

// The dialog in a ClTerminalUi reading script and writing to a file; output gets the screen.
int RunDialog(CConditionDlg& dialog, const std::string& script, std::string& output) {
    int keys[2];
    if (::pipe(keys) != 0) return -1;
    const ssize_t written = ::write(keys[1], script.data(), script.size());
    ::close(keys[1]);
    std::FILE* screen = std::tmpfile();
    int result = -1;
    if (written == static_cast<ssize_t>(script.size()) && screen) {
        ClTerminalUi ui(keys[0], fileno(screen));
        result = ui.DoModal(dialog);
    }
    ::close(keys[0]);
    output.clear();
    if (screen) {
        std::rewind(screen);
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, screen)) > 0) output.append(buffer, n);
        std::fclose(screen);
    }
    return result;
}

bool Shows(const std::string& output, const char* sjis) {
    return output.find(OsTerminalText(sjis)) != std::string::npos;
}

TEST(TerminalDialog, F12RefusesAnInvalidPathThenCtrlCCancels) {
    ASSERT_TRUE(kUtf8Locale);
    CConditionDlg dialog;
    dialog.companyText = " Company";
    std::string output;
    // The proposal is selected, so typing replaces it; Enter closes the refusal.
    const int result = RunDialog(dialog, "C:\\a*b.csv" + kF12 + "\r" + "\x03" + "\r", output);
    EXPECT_EQ(IDC_CANCEL, result);
    EXPECT_EQ("C:\\a*b.csv", dialog.outputPath);
    EXPECT_TRUE(Shows(output, "減価償却 - 集計条件"));
    EXPECT_TRUE(Shows(output, " Company"));
    const size_t refusal = output.find(OsTerminalText("データの出力先に不正な文字が含まれています。"));
    const size_t cancel = output.find(OsTerminalText("｢減価償却｣の集計を中止します。"));
    ASSERT_NE(std::string::npos, refusal);
    ASSERT_NE(std::string::npos, cancel);
    EXPECT_LT(refusal, cancel);
    // The screen is given back at the end.
    EXPECT_EQ(output.size() - 8, output.rfind("\x1b[?1049l"));
}

TEST(TerminalDialog, JapaneseTypedAndCorrectedExecutes) {
    ASSERT_TRUE(kUtf8Locale);
    MappedTemp temp;
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);
    CConditionDlg dialog;
    std::string output;
    // Type, take back one character with Backspace, finish and execute with F12.
    const std::string typed = "M:\\" + kHyoUtf8 + "x\x7f" + ".csv";
    EXPECT_EQ(IDC_EXECUTE, RunDialog(dialog, typed + kF12, output));
    EXPECT_EQ("M:\\" + kHyoSjis + ".csv", dialog.outputPath);
}

TEST(TerminalDialog, TabEnterPressesButtonsAndEscAloneCancels) {
    ASSERT_TRUE(kUtf8Locale);
    CConditionDlg dialog;
    std::string output;
    // Shift+Tab from the path box reaches the cancel button; Enter presses it.
    EXPECT_EQ(IDC_CANCEL, RunDialog(dialog, "\x1b[Z\r\r", output));
    EXPECT_TRUE(Shows(output, "｢減価償却｣の集計を中止します。"));
    EXPECT_FALSE(Shows(output, "データ出力先が指定されていません。"));

    // Esc as the last key, with nothing after it.
    CConditionDlg second;
    EXPECT_EQ(IDC_CANCEL, RunDialog(second, "\x1b", output));
    EXPECT_TRUE(Shows(output, "｢減価償却｣の集計を中止します。"));
}

TEST(TerminalDialog, BrowsePromptAppendsExtensionAndFolderIsCreated) {
    ASSERT_TRUE(kUtf8Locale);
    MappedTemp temp;
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);
    CConditionDlg dialog;
    std::string output;
    // Alt+D opens the prompt with the name selected; "out" replaces it, Enter confirms. The focus is
    // then on the execute button: Enter executes, and "y" answers the folder question.
    const int result = RunDialog(dialog,
                                 "M:\\sub\\name\x1b"
                                 "dout\r\ry",
                                 output);
    EXPECT_TRUE(Shows(output, "保存ファイルを指定"));
    EXPECT_TRUE(Shows(output, "指定されたフォルダは存在しません。"));
    EXPECT_EQ(IDC_EXECUTE, result);
    EXPECT_EQ("M:\\sub\\out.CSV", dialog.outputPath);
    EXPECT_TRUE(OsIsDirectory("M:\\sub\\"));
}

// The screen drawn when the text sjis was first shown, up to the next clearing of the screen.
std::string FrameShowing(const std::string& output, const char* sjis) {
    const size_t at = output.find(OsTerminalText(sjis));
    if (at == std::string::npos) return "";
    const size_t start = output.rfind("\x1b[2J", at);
    const size_t end = output.find("\x1b[2J", at);
    return output.substr(start, end == std::string::npos ? std::string::npos : end - start);
}

TEST(TerminalDialog, CaretOnlyInTheFieldOnTop) {
    ASSERT_TRUE(kUtf8Locale);
    CConditionDlg dialog;
    std::string output;
    // A refusal over the focused path box, then the browse prompt, cancelled, then the dialog.
    RunDialog(dialog,
              "C:\\a*b.csv" + kF12 +
                  "\r\x1b"
                  "d\x03\x03\r",
              output);
    const std::string box = FrameShowing(output, "データの出力先に不正な文字が含まれています。");
    const std::string prompt = FrameShowing(output, "保存ファイルを指定");
    ASSERT_FALSE(box.empty());
    ASSERT_FALSE(prompt.empty());
    EXPECT_EQ(std::string::npos, box.find("\x1b[?25h"));
    EXPECT_NE(std::string::npos, prompt.find("\x1b[?25h"));
}

// A box with no dialog under it, answered by script; output gets the screen.
int RunBox(unsigned type, const std::string& script, std::string& output) {
    int keys[2];
    if (::pipe(keys) != 0) return -1;
    const ssize_t written = ::write(keys[1], script.data(), script.size());
    ::close(keys[1]);
    std::FILE* screen = std::tmpfile();
    int answer = -1;
    if (written == static_cast<ssize_t>(script.size()) && screen) {
        ClTerminalUi ui(keys[0], fileno(screen));
        answer = ui.MessageBox("一行目\n二行目", "減価償却", type);
    }
    ::close(keys[0]);
    output.clear();
    if (screen) {
        std::rewind(screen);
        char buffer[4096];
        size_t n;
        while ((n = std::fread(buffer, 1, sizeof buffer, screen)) > 0) output.append(buffer, n);
        std::fclose(screen);
    }
    return answer;
}

TEST(TerminalBox, QuestionAnswers) {
    std::string output;
    EXPECT_EQ(ANSWER_YES, RunBox(MB_TYPE_QUESTION, "\r", output));  // Yes is the default button
    EXPECT_TRUE(Shows(output, "はい(") && Shows(output, "いいえ("));
    EXPECT_TRUE(Shows(output, "一行目") && Shows(output, "二行目"));
    EXPECT_EQ(ANSWER_NO, RunBox(MB_TYPE_QUESTION, "\x1b[C\r", output));
    EXPECT_EQ(ANSWER_YES, RunBox(MB_TYPE_QUESTION, "\t\t ", output));
    EXPECT_EQ(ANSWER_NO, RunBox(MB_TYPE_QUESTION, "xn", output));
    EXPECT_EQ(ANSWER_YES, RunBox(MB_TYPE_QUESTION, "Y", output));
    EXPECT_EQ(ANSWER_NO, RunBox(MB_TYPE_QUESTION, "\x1b", output));
    EXPECT_EQ(ANSWER_NO, RunBox(MB_TYPE_QUESTION, "", output));  // input gone: not a yes
    // An OK box waits for Enter, Space or Esc, not for any key.
    EXPECT_EQ(ANSWER_OK, RunBox(MB_TYPE_NOTICE, "ab\x1b", output));
}

TEST(TerminalBox, WaitLineWhileTheWaitCursorIsOn) {
    std::FILE* screen = std::tmpfile();
    ASSERT_TRUE(screen);
    {
        ClTerminalUi ui(-1, fileno(screen));
        ui.BeginWaitCursor();
        ui.BeginWaitCursor();
        const off_t shown = ::lseek(fileno(screen), 0, SEEK_CUR);
        ui.EndWaitCursor();
        EXPECT_EQ(shown, ::lseek(fileno(screen), 0, SEEK_CUR));  // still waiting: the line stays
        ui.EndWaitCursor();
        EXPECT_GT(::lseek(fileno(screen), 0, SEEK_CUR), shown);
    }
    std::rewind(screen);
    std::string output;
    char buffer[4096];
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, screen)) > 0) output.append(buffer, n);
    std::fclose(screen);
    const std::string line = OsTerminalText("処理中...");
    ASSERT_NE(std::string::npos, output.find(line));
    EXPECT_EQ(output.find(line), output.rfind(line));  // drawn once for the nested begin
    EXPECT_EQ("\r\x1b[K", output.substr(output.size() - 4));
}

// ---- the log in the pager ----

// A Shift-JIS log with Windows line ends in the mapped folder, and a pager script that copies its
// input to copy.txt there.
class PagerFixture {
public:
    explicit PagerFixture(const std::string& log) {
        WriteWin(temp.Win("ERR.LOG"), log);
        const std::string script = temp.Native("pager.sh");
        WriteBytes(script, "#!/bin/sh\nexec cat > '" + temp.Native("copy.txt") + "'\n");
        ::chmod(script.c_str(), 0755);
    }
    std::string Log() const { return temp.Win("ERR.LOG"); }
    std::string Script() const { return temp.Native("pager.sh"); }
    std::string Copy() const { return ReadBytes(temp.Native("copy.txt")); }

    MappedTemp temp;
};

bool ShowInPager(const std::string& path) {
    std::FILE* screen = std::tmpfile();
    if (!screen) return false;
    bool shown;
    {
        ClTerminalUi ui(-1, fileno(screen));
        shown = ui.ShowTextFile(path.c_str());
    }
    std::fclose(screen);
    return shown;
}

TEST(TerminalPager, LogArrivesInTheTerminalsEncoding) {
    ASSERT_TRUE(kUtf8Locale);
    // 0x81 0x60 is the wave dash of the user's texts; a stray byte is shown escaped.
    PagerFixture fixture("\x95\x5C\x81\x60\r\nbad \x82\r\nend");
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(fixture.temp);
    // Through the shell, so that options are taken as options.
    ASSERT_EQ(0, setenv("PAGER", (fixture.Script() + " -R").c_str(), 1));
    EXPECT_TRUE(ShowInPager(fixture.Log()));
    EXPECT_EQ("\xE8\xA1\xA8\xEF\xBD\x9E\nbad \\x82\nend", fixture.Copy());
}

TEST(TerminalPager, QuitBeforeTheEndDoesNotEndTheProgram) {
    ASSERT_TRUE(kUtf8Locale);
    // More than a pipe holds, so that the writer meets the closed pipe.
    PagerFixture fixture(std::string(1 << 20, 'x'));
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(fixture.temp);
    ASSERT_EQ(0, setenv("PAGER", "exit 0", 1));
    EXPECT_TRUE(ShowInPager(fixture.Log()));
}

TEST(TerminalPager, NoLogOrNoPagerAnswersFalse) {
    ASSERT_TRUE(kUtf8Locale);
    PagerFixture fixture("text\r\n");
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(fixture.temp);
    ASSERT_EQ(0, setenv("PAGER", fixture.Script().c_str(), 1));
    EXPECT_FALSE(ShowInPager(fixture.temp.Win("NONE.LOG")));
    EXPECT_FALSE(ShowInPager(fixture.temp.Win()));  // a folder
    EXPECT_EQ("", fixture.Copy());

    // Neither the named program nor less can be found.
    const std::string path = std::getenv("PATH") ? std::getenv("PATH") : "";
    ASSERT_EQ(0, setenv("PAGER", "no-such-pager-program", 1));
    ASSERT_EQ(0, setenv("PATH", fixture.temp.Dir().Path().c_str(), 1));
    const bool shown = ShowInPager(fixture.Log());
    setenv("PATH", path.c_str(), 1);
    EXPECT_FALSE(shown);
}

// ---- the terminal's mode ----

class PseudoTerminal {
public:
    PseudoTerminal() {
        m_master = ::posix_openpt(O_RDWR | O_NOCTTY);
        if (m_master < 0 || ::grantpt(m_master) != 0 || ::unlockpt(m_master) != 0) return;
        m_slave = ::open(::ptsname(m_master), O_RDWR | O_NOCTTY);
        ::fcntl(m_master, F_SETFL, ::fcntl(m_master, F_GETFL) | O_NONBLOCK);
    }
    ~PseudoTerminal() {
        if (m_slave >= 0) ::close(m_slave);
        if (m_master >= 0) ::close(m_master);
    }
    bool Open() const { return m_slave >= 0; }
    int Slave() const { return m_slave; }
    bool Canonical() const {
        struct termios mode;
        return ::tcgetattr(m_slave, &mode) == 0 && (mode.c_lflag & ICANON) && (mode.c_lflag & ECHO);
    }
    // Reads what the program drew; waits until raw mode is on (or gives up after 5 s).
    bool AwaitRawMode() {
        for (int i = 0; i < 500; ++i) {
            Drain();
            if (!Canonical()) return true;
            std::this_thread::sleep_for(std::chrono::milliseconds(10));
        }
        return false;
    }
    void Drain() {
        char buffer[4096];
        ssize_t n;
        while ((n = ::read(m_master, buffer, sizeof buffer)) > 0)
            screen.append(buffer, static_cast<size_t>(n));
    }
    void Type(const std::string& bytes) {
        const ssize_t n = ::write(m_master, bytes.data(), bytes.size());
        EXPECT_EQ(static_cast<ssize_t>(bytes.size()), n);
    }

    std::string screen;

private:
    int m_master = -1;
    int m_slave = -1;
};

TEST(TerminalMode, RawWhileTheDialogRunsAndRestoredAfter) {
    PseudoTerminal pty;
    if (!pty.Open()) GTEST_SKIP() << "no pseudo-terminal";
    ASSERT_TRUE(pty.Canonical());
    std::atomic<bool> raw{false};
    std::thread user([&] {
        raw = pty.AwaitRawMode();
        // Esc alone, told from a sequence by the pause after it, cancels; Enter closes the notice.
        if (raw) pty.Type("\x1b");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pty.Type("\r");
        std::this_thread::sleep_for(std::chrono::milliseconds(100));
        pty.Drain();
    });
    CConditionDlg dialog;
    int result;
    {
        ClTerminalUi ui(pty.Slave(), pty.Slave());
        result = ui.DoModal(dialog);
        EXPECT_TRUE(pty.Canonical());
    }
    user.join();
    EXPECT_TRUE(raw);
    EXPECT_EQ(IDC_CANCEL, result);
}

TEST(TerminalMode, RestoredWhenTerminatedBySignal) {
    PseudoTerminal pty;
    if (!pty.Open()) GTEST_SKIP() << "no pseudo-terminal";
    const pid_t child = ::fork();
    ASSERT_GE(child, 0);
    if (child == 0) {
        CConditionDlg dialog;
        ClTerminalUi ui(pty.Slave(), pty.Slave());
        ui.DoModal(dialog);
        ::_exit(3);
    }
    const bool raw = pty.AwaitRawMode();
    ::kill(child, SIGTERM);
    // A handler that swallows the signal would leave the child running: bounded wait.
    int status = 0;
    pid_t ended = 0;
    for (int i = 0; i < 500 && ended == 0; ++i) {
        ended = ::waitpid(child, &status, WNOHANG);
        if (ended == 0) std::this_thread::sleep_for(std::chrono::milliseconds(10));
    }
    if (ended == 0) {
        ::kill(child, SIGKILL);
        ::waitpid(child, &status, 0);
        FAIL() << "the program did not end on SIGTERM";
    }
    pty.Drain();
    EXPECT_TRUE(raw);
    ASSERT_TRUE(WIFSIGNALED(status));
    EXPECT_EQ(SIGTERM, WTERMSIG(status));
    EXPECT_TRUE(pty.Canonical());
    EXPECT_NE(std::string::npos, pty.screen.rfind("\x1b[?1049l"));
}

}  // namespace
