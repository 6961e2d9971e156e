// robot_test.cpp - the Windows deliverable driven as a user drives it: the condition dialog, its
// keys and path rules, the questions, the file-save dialog, the viewer and the files it writes.
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "box_texts.h"
#include "robot.h"
#include "version.h"

namespace {

const char kTitle[] = "減価償却 - 集計条件";
const char kCaption[] = "減価償却";
const char kSaveTitle[] = "保存ファイルを指定";
const char kCompany[] = "株式会社ソ能表";  // trail bytes 0x5C

enum { IDC_COMPANY_TITLE = 1000, IDC_PERIOD_TITLE = 1001, IDC_COMPANY = 1002, IDC_PERIOD = 1003,
       IDC_GROUP = 1004, IDC_EXECUTE = 1005, IDC_CANCEL = 1006, IDC_PATH = 1007, IDC_BROWSE = 1008 };
const int kNoId = 0xFFFF;  // the two colons

std::string AssetRow(const std::string& key, const std::string& code) {
    return key + "," + code + ",5,NAME,3台,memo,0,,20200401,20200501,1000,0,0,6,5,200,0,0,0,10000,30,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n";
}
const std::string kCleanAssets = AssetRow("K1", "000001") + AssetRow("K2", "000002");
const std::string kRepeatedCode = AssetRow("K1", "000001") + AssetRow("K2", "000001");  // a log entry

std::string SuccessText(const std::string& data, const std::string& types) {
    return "減価償却情報の出力が正常に終了しました。\n\n償却資産データ \x81\xCB " + data + "    \n資産種類データ \x81\xCB " +
           types + "    \n\nアプリケーションを終了します。";
}

class Robot : public ::testing::Test {
protected:
    Robot() {
        CreateDirectoryA(temp.Path("ledger").c_str(), nullptr);
        CreateDirectoryA(temp.Path("out").c_str(), nullptr);
        WriteLedger(7, kCleanAssets);
    }
    ~Robot() override {
        // A case that failed half-way leaves nothing running: the viewer it opened, then the program.
        for (const char* viewer : {"WORDPADTOP", "Notepad"}) {
            for (int i = 0; i < 5; ++i) {
                HWND window = FindTopWindow(0, viewer, nullptr, false);
                if (!window) break;
                TerminateProcessOf(window);
            }
        }
        program.Terminate();
    }

    void WriteLedger(int selected, const std::string& assets) {
        WriteSession("tanaka,2," + std::to_string(selected));
        WriteFileBytes(temp.Path("ledger\\datasets.csv"),
                       std::string("7,ID-SEVEN,") + kCompany + ",20230401,20240331,1,0\r\n8,ID-PAST," + kCompany +
                           ",20220401,20230331,99,0\r\n");
        WriteFileBytes(temp.Path("ledger\\assets-7.csv"), assets);
        WriteFileBytes(temp.Path("ledger\\assets-8.csv"), "");
    }
    void WriteSession(const std::string& selection) {
        WriteFileBytes(temp.Path("ledger\\session.csv"),
                       selection + "," + temp.Path("out") + "\\," + temp.Path("settings") + "\\\r\n");
    }

    // Starts the deliverable as the accounting package does (no arguments).
    void Launch(const std::string& exe = Env("ROBOT_PROGRAM")) {
        ASSERT_FALSE(exe.empty()) << "ROBOT_PROGRAM is not set; run through run-robot.sh";
        SetEnvironmentVariableA("HOSTSIM_LEDGER", temp.Path("ledger").c_str());
        ASSERT_TRUE(program.Start("\"" + exe + "\"", temp.Path())) << exe;
    }
    // Starts it and waits for the dialog, visible and in the foreground.
    void Start(const std::string& exe = Env("ROBOT_PROGRAM")) {
        ASSERT_NO_FATAL_FAILURE(Launch(exe));
        dialog = WaitTopWindow(program.Id(), "#32770", kTitle, 20000);
        ASSERT_NE(dialog, nullptr) << "no dialog titled " << kTitle;
        ASSERT_TRUE(WaitFor([this] { return GetForegroundWindow() == dialog; }, 5000));
    }
    HWND Item(int id) { return GetDlgItem(dialog, id); }
    void SetPath(const std::string& path) { SendMessageA(Item(IDC_PATH), WM_SETTEXT, 0, reinterpret_cast<LPARAM>(path.c_str())); }
    std::string Path() { return ItemText(dialog, IDC_PATH); }
    void FocusOn(int id) {
        PostMessageA(dialog, WM_NEXTDLGCTL, reinterpret_cast<WPARAM>(Item(id)), TRUE);
        ASSERT_TRUE(WaitFor([&] { return FocusIdOf(dialog) == id; }, 3000)) << "focus on " << id;
    }

    // The next box of the program: its text, its owner (the dialog, or none) and its answer.
    void ExpectBox(const std::string& text, bool owned, int answer, const char* screenshot = nullptr) {
        const StBOX box = WaitBox(program.Id(), kCaption);
        ASSERT_NE(box.window, nullptr) << "no box; expected: " << text;
        EXPECT_EQ(box.text, text);
        EXPECT_EQ(box.owner, owned ? dialog : nullptr);
        if (screenshot) {
            Settle();
            EXPECT_TRUE(Screenshot(screenshot));
        }
        ASSERT_TRUE(Answer(box, answer)) << "button " << answer << " of: " << box.text;
    }
    // After a refusal or a No: the path box focused with its whole text selected (ASCII paths
    // here, so that characters and bytes count alike).
    void ExpectPathSelected() {
        ASSERT_TRUE(WaitFor([this] { return FocusIdOf(dialog) == IDC_PATH; }, 3000));
        DWORD start = 0, end = 0;
        SelectionOf(Item(IDC_PATH), &start, &end);
        EXPECT_EQ(start, 0u);
        EXPECT_EQ(end, Path().size());
        EXPECT_TRUE(program.Running());
    }
    void ExpectEnded() {
        EXPECT_TRUE(program.WaitExit(30000)) << "the program is still running";
    }
    // The file-save dialog owned by the condition dialog.
    HWND WaitSaveDialog() {
        HWND save = WaitTopWindow(program.Id(), "#32770", kSaveTitle);
        if (!save && FindTopWindow(program.Id(), "#32770", "名前を付けて保存"))
            ADD_FAILURE() << "the file-save dialog has the system's title, not " << kSaveTitle;
        if (save) {
            EXPECT_EQ(GetWindow(save, GW_OWNER), dialog);
        }
        return save;
    }

    ClTempFolder temp;
    ClProgram program;
    HWND dialog = nullptr;
};

// ---- the dialog as shown

TEST_F(Robot, DialogShowsTitleTextsAndProposalCentredWithoutDefaultButton) {
    ASSERT_NO_FATAL_FAILURE(Launch());
    // Read as soon as it is seen visible: filled before it was shown.
    ASSERT_TRUE(WaitFor([this] { return (dialog = FindTopWindow(program.Id(), "#32770", kTitle)) != nullptr; }, 20000));
    EXPECT_EQ(ItemText(dialog, IDC_COMPANY), std::string(" ") + kCompany);
    EXPECT_EQ(ItemText(dialog, IDC_PERIOD), " 2023/04/01\x81\x60" "2024/03/31");
    EXPECT_EQ(Path(), temp.Path("out") + "\\*.csv");
    EXPECT_TRUE(WaitFor([this] { return GetForegroundWindow() == dialog; }, 5000));

    EXPECT_EQ(Text(dialog), kTitle);
    EXPECT_EQ(ItemText(dialog, IDC_COMPANY_TITLE), "事業所名");
    EXPECT_EQ(ItemText(dialog, IDC_PERIOD_TITLE), "会計期間");
    EXPECT_EQ(ItemText(dialog, IDC_GROUP), "出力先(&O)");
    EXPECT_EQ(ItemText(dialog, IDC_BROWSE), "参照(&D)...");
    EXPECT_EQ(ItemText(dialog, IDC_EXECUTE), "実行(F12)");
    EXPECT_EQ(ItemText(dialog, IDC_CANCEL), "キャンセル(Esc)");
    EXPECT_EQ(FocusIdOf(dialog), IDC_PATH);

    // No default push button, neither by the dialog's record nor by a button's style.
    DWORD_PTR defId = 0;
    SendMessageTimeoutA(dialog, DM_GETDEFID, 0, 0, SMTO_ABORTIFHUNG, 2000, &defId);
    if (HIWORD(defId) == DC_HASDEFID) {
        EXPECT_EQ(GetDlgItem(dialog, LOWORD(defId)), nullptr) << LOWORD(defId);
    }
    for (int id : {IDC_BROWSE, IDC_EXECUTE, IDC_CANCEL})
        EXPECT_EQ(GetWindowLongA(Item(id), GWL_STYLE) & BS_TYPEMASK, BS_PUSHBUTTON) << id;

    RECT window, work;
    GetWindowRect(dialog, &window);
    SystemParametersInfoA(SPI_GETWORKAREA, 0, &work, 0);
    EXPECT_LE(std::abs((window.left + window.right) - (work.left + work.right)), 1);
    EXPECT_LE(std::abs((window.top + window.bottom) - (work.top + work.bottom)), 1);

    Reactivate(dialog);
    Settle();
    EXPECT_TRUE(Screenshot("dialog"));
}

// A dialog of the robot's own with the template's font gives the dialog units in pixels.
HWND FontProbe() {
    alignas(4) WORD words[64] = {};
    DLGTEMPLATE* header = reinterpret_cast<DLGTEMPLATE*>(words);
    header->style = DS_SETFONT | WS_POPUP;
    header->cx = 10;
    header->cy = 10;
    WORD* p = reinterpret_cast<WORD*>(header + 1);
    *p++ = 0;  // no menu
    *p++ = 0;  // the dialog class
    *p++ = 0;  // no title
    *p++ = 9;  // points
    for (const wchar_t* font = L"\xFF2D\xFF33 \xFF30\x30B4\x30B7\x30C3\x30AF"; *font; ++font) *p++ = *font;  // ＭＳ Ｐゴシック
    *p = 0;
    return CreateDialogIndirectParamW(GetModuleHandleW(nullptr), header, nullptr,
                                      [](HWND, UINT, WPARAM, LPARAM) -> INT_PTR { return FALSE; }, 0);
}

TEST_F(Robot, ControlsInTemplateOrderAtTheTemplatesRectangles) {
    struct {
        int id;
        const char* className;
        const char* text;
        RECT units;  // x, y, width, height
    } const expected[] = {
        {IDC_COMPANY_TITLE, "Static", "事業所名", {7, 7, 35, 12}},
        {kNoId, "Static", "：", {46, 7, 8, 12}},
        {IDC_COMPANY, "Static", nullptr, {59, 7, 189, 12}},
        {IDC_PERIOD_TITLE, "Static", "会計期間", {7, 26, 35, 12}},
        {kNoId, "Static", "：", {46, 26, 8, 12}},
        {IDC_PERIOD, "Static", nullptr, {59, 25, 189, 12}},
        {IDC_GROUP, "Button", "出力先(&O)", {7, 47, 241, 35}},
        {IDC_PATH, "Edit", nullptr, {10, 62, 170, 12}},
        {IDC_BROWSE, "Button", "参照(&D)...", {186, 61, 57, 14}},
        {IDC_EXECUTE, "Button", "実行(F12)", {129, 86, 57, 14}},
        {IDC_CANCEL, "Button", "キャンセル(Esc)", {191, 86, 57, 14}},
    };
    ASSERT_NO_FATAL_FAILURE(Start());
    // Laid out for the display's DPI, which the harness set (run-robot.sh, ROBOT_DPI).
    EXPECT_EQ(GetDpiForWindow(dialog), static_cast<UINT>(std::atoi(Env("ROBOT_DPI").c_str())));
    HWND probe = FontProbe();
    ASSERT_NE(probe, nullptr);

    RECT client, size = {0, 0, 255, 107};
    MapDialogRect(probe, &size);
    GetClientRect(dialog, &client);
    EXPECT_EQ(client.right, size.right);
    EXPECT_EQ(client.bottom, size.bottom);

    HWND child = GetWindow(dialog, GW_CHILD);
    for (const auto& control : expected) {
        ASSERT_NE(child, nullptr) << "missing control " << control.id;
        EXPECT_EQ(GetDlgCtrlID(child) & 0xFFFF, control.id);
        EXPECT_STRCASEEQ(ClassOf(child).c_str(), control.className) << control.id;
        if (control.text) {
            EXPECT_EQ(Text(child), control.text);
        }
        // The dialog manager maps position and size each on its own, as MapDialogRect maps a corner.
        RECT want = control.units, got;
        MapDialogRect(probe, &want);
        GetWindowRect(child, &got);
        MapWindowPoints(nullptr, dialog, reinterpret_cast<POINT*>(&got), 2);
        EXPECT_EQ(got.left, want.left) << control.id;
        EXPECT_EQ(got.top, want.top) << control.id;
        EXPECT_EQ(got.right - got.left, want.right) << control.id;
        EXPECT_EQ(got.bottom - got.top, want.bottom) << control.id;
        child = GetWindow(child, GW_HWNDNEXT);
    }
    EXPECT_EQ(child, nullptr) << "a control beyond the template's";
    DestroyWindow(probe);
}

TEST_F(Robot, TabWalksPathBrowseExecuteCancel) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(BringToFront(dialog));
    for (int id : {IDC_BROWSE, IDC_EXECUTE, IDC_CANCEL, IDC_PATH}) {
        Press(VK_TAB);
        EXPECT_TRUE(WaitFor([&] { return FocusIdOf(dialog) == id; }, 3000)) << "after Tab: " << FocusIdOf(dialog) << ", not " << id;
    }
}

// ---- keys

TEST_F(Robot, F12ExecutesFromEveryControl) {
    ASSERT_NO_FATAL_FAILURE(Start());
    for (int id : {IDC_PATH, IDC_BROWSE, IDC_EXECUTE, IDC_CANCEL}) {
        SCOPED_TRACE(id);
        ASSERT_NO_FATAL_FAILURE(FocusOn(id));
        PostKey(Item(id), VK_F12);
        ASSERT_NO_FATAL_FAILURE(ExpectBox(kBadChars, true, IDOK));  // the proposal's "*"
        ASSERT_NO_FATAL_FAILURE(ExpectPathSelected());
    }
}

TEST_F(Robot, EnterMovesFromPathToBrowseAndRunsBrowseAndExecute) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::string proposal = Path();
    PostKey(Item(IDC_PATH), VK_RETURN);
    EXPECT_TRUE(WaitFor([this] { return FocusIdOf(dialog) == IDC_BROWSE; }, 3000));
    EXPECT_EQ(FindTopWindow(program.Id(), "#32770", kCaption), nullptr);

    // Enter on the browse button browses; cancelling keeps the path and leaves the focus on execute.
    PostKey(Item(IDC_BROWSE), VK_RETURN);
    HWND save = WaitSaveDialog();
    ASSERT_NE(save, nullptr);
    PostClick(GetDlgItem(save, IDCANCEL));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(save); }));
    EXPECT_TRUE(WaitFor([this] { return FocusIdOf(dialog) == IDC_EXECUTE; }, 3000));
    EXPECT_EQ(Path(), proposal);

    PostKey(Item(IDC_EXECUTE), VK_RETURN);
    ASSERT_NO_FATAL_FAILURE(ExpectBox(kBadChars, true, IDOK));
    ASSERT_NO_FATAL_FAILURE(ExpectPathSelected());
}

TEST_F(Robot, EscCloseBoxAndEnterOnCancelCancelWithTheNotice) {
    const struct {
        const char* way;
        UINT message;
        int target;  // 0: the dialog
        WPARAM wParam;
    } ways[] = {{"Esc", WM_KEYDOWN, IDC_PATH, VK_ESCAPE},
                {"close box", WM_SYSCOMMAND, 0, SC_CLOSE},
                {"Enter on cancel", WM_KEYDOWN, IDC_CANCEL, VK_RETURN}};
    for (const auto& way : ways) {
        SCOPED_TRACE(way.way);
        ASSERT_NO_FATAL_FAILURE(Start());
        if (way.target) {
            ASSERT_NO_FATAL_FAILURE(FocusOn(way.target));
        }
        if (way.message == WM_KEYDOWN)
            PostKey(Item(way.target), static_cast<UINT>(way.wParam));
        else
            PostMessageA(dialog, way.message, way.wParam, 0);
        ASSERT_NO_FATAL_FAILURE(ExpectBox(kCancelled, true, IDOK));
        ExpectEnded();
    }
    EXPECT_FALSE(Exists(temp.Path("settings")));  // nothing remembered
}

// Shift-JIS text in UTF-16, as the system converts it.
std::wstring Wide(const std::string& sjis) {
    std::wstring wide(sjis.size() + 1, L'\0');
    wide.resize(static_cast<size_t>(MultiByteToWideChar(932, 0, sjis.c_str(), -1, &wide[0], static_cast<int>(wide.size())) - 1));
    return wide;
}

// Runs the program with the arguments after its quoted path in folder, its standard output and
// error in a pipe (as a script that redirects them gives one), collected in output with CR LF as
// LF; its exit code, or -1 when it did not end.
long RunScripted(const std::wstring& arguments, const std::string& folder, std::string& output) {
    SECURITY_ATTRIBUTES inherit = {sizeof inherit, nullptr, TRUE};
    HANDLE readEnd = nullptr, writeEnd = nullptr;
    if (!CreatePipe(&readEnd, &writeEnd, &inherit, 0)) return -1;
    SetHandleInformation(readEnd, HANDLE_FLAG_INHERIT, 0);
    STARTUPINFOW startup = {};
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESTDHANDLES;
    startup.hStdOutput = writeEnd;
    startup.hStdError = writeEnd;
    PROCESS_INFORMATION process = {};
    std::wstring command = L"\"" + Wide(Env("ROBOT_PROGRAM")) + L"\" " + arguments;
    const BOOL started = CreateProcessW(nullptr, &command[0], nullptr, nullptr, TRUE, 0, nullptr,
                                        Wide(folder).c_str(), &startup, &process);
    CloseHandle(writeEnd);
    output.clear();
    char buffer[4096];
    DWORD got = 0;
    while (started && ReadFile(readEnd, buffer, sizeof buffer, &got, nullptr) && got > 0) output.append(buffer, got);
    CloseHandle(readEnd);
    if (!started) return -1;
    DWORD code = 0;
    const bool ended = WaitForSingleObject(process.hProcess, 30000) == WAIT_OBJECT_0;
    if (!ended) TerminateProcess(process.hProcess, 1);
    GetExitCodeProcess(process.hProcess, &code);
    CloseHandle(process.hThread);
    CloseHandle(process.hProcess);
    // The console's text mode ends each line with CR LF.
    for (size_t at = output.find("\r\n"); at != std::string::npos; at = output.find("\r\n", at)) output.erase(at, 1);
    return ended ? static_cast<long>(code) : -1;
}

// With arguments the GUI program runs the scripted front end, its transcript on the standard
// output it was given.
TEST_F(Robot, ScriptedRunWritesItsTranscriptToTheRedirectedOutput) {
    SetEnvironmentVariableA("HOSTSIM_LEDGER", temp.Path("ledger").c_str());
    std::string transcript;
    ASSERT_EQ(RunScripted(L"--path \"" + Wide(temp.Path("out\\piped.csv")) + L"\"", temp.Path(), transcript), 0);
    EXPECT_NE(transcript.find(std::string("== ") + kTitle + " =="), std::string::npos) << transcript;
    EXPECT_NE(transcript.find(SuccessText(temp.Path("out\\piped.csv"), temp.Path("out\\syurui.SSC"))),
              std::string::npos)
        << transcript;
    EXPECT_TRUE(Exists(temp.Path("out\\piped.csv")));
}

// The command line is read in UTF-16: a character without a form in code page 932 is refused as
// on Linux, never taken as the look-alike the runtime's best fit gives (ü as u, the yen sign as a
// backslash), which named an existing file here.
TEST_F(Robot, ScriptedPathWithoutAShiftJisFormIsRefusedNotBestFitted) {
    WriteFileBytes(temp.Path("out\\uber.csv"), "old");
    SetEnvironmentVariableA("HOSTSIM_LEDGER", temp.Path("ledger").c_str());
    for (const wchar_t* name : {L"\\\u00FCber.csv", L"\u00A5uber.csv"}) {
        std::string output;
        EXPECT_EQ(RunScripted(L"--path \"" + Wide(temp.Path("out")) + name + L"\" --answer yes", temp.Path(), output), 2)
            << output;
        EXPECT_NE(output.find("Marlo3Export: --path: the text has no Shift-JIS form"), std::string::npos) << output;
    }
    EXPECT_TRUE(ReadFileBytes(temp.Path("out\\uber.csv")) == "old") << "uber.csv was written over";
}

// The other three deliverables, from the "|"-separated ROBOT_OTHER_PROGRAMS.
std::vector<std::string> OtherPrograms() {
    const std::string programs = Env("ROBOT_OTHER_PROGRAMS");
    std::vector<std::string> exes;
    for (size_t start = 0; start < programs.size();) {
        size_t end = programs.find('|', start);
        if (end == std::string::npos) end = programs.size();
        exes.push_back(programs.substr(start, end - start));
        start = end + 1;
    }
    return exes;
}

// "Marlo5Export" of "...\\Marlo5Export.exe".
std::string BuildOf(const std::string& exe) {
    const size_t slash = exe.find_last_of('\\');
    return exe.substr(slash + 1, exe.size() - slash - 1 - 4);
}

// The other three deliverables: the same dialog and run, with their own settings file.
TEST_F(Robot, EveryDeliverableExportsWithItsOwnSettingsFile) {
    const std::vector<std::string> programs = OtherPrograms();
    ASSERT_FALSE(programs.empty()) << "ROBOT_OTHER_PROGRAMS is not set; run through run-robot.sh";
    for (const std::string& exe : programs) {
        const std::string build = BuildOf(exe);
        SCOPED_TRACE(build);
        ASSERT_NO_FATAL_FAILURE(Start(exe));
        SetPath(temp.Path("out\\" + build + ".csv"));
        PostKey(Item(IDC_PATH), VK_F12);
        ASSERT_NO_FATAL_FAILURE(
            ExpectBox(SuccessText(temp.Path("out\\" + build + ".csv"), temp.Path("out\\syurui.SSC")), false, IDOK));
        ExpectEnded();
        EXPECT_TRUE(Exists(temp.Path("settings\\" + build + ".env")));
    }
}

// ---- what the programs say of themselves: Explorer's Properties > Details, and the manifest

// The four deliverables with their editions, the robot's program first.
struct StDELIVERABLE {
    std::string exe, build, edition;
};
std::vector<StDELIVERABLE> Deliverables() {
    std::vector<StDELIVERABLE> all;
    std::vector<std::string> exes = OtherPrograms();
    exes.insert(exes.begin(), Env("ROBOT_PROGRAM"));
    for (const std::string& exe : exes) {
        const std::string build = BuildOf(exe);
        all.push_back({exe, build, build.substr(5, build.size() - 11)});  // Marlo<edition>Export
    }
    return all;
}

// One resource of a program opened as data, as Explorer reads it; empty when there is none.
std::string ResourceBytes(const std::string& exe, LPCSTR type, LPCSTR name) {
    HMODULE module = LoadLibraryExA(exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
    if (!module) return "";
    std::string bytes;
    if (HRSRC found = FindResourceA(module, name, type)) {
        const void* data = LockResource(LoadResource(module, found));
        if (data) bytes.assign(static_cast<const char*>(data), SizeofResource(module, found));
    }
    FreeLibrary(module);
    return bytes;
}

// The text in UTF-16, as version resources keep their strings.
std::string Utf16(const std::string& ascii) {
    std::string wide;
    for (char c : ascii) wide += std::string{c, '\0'};
    return wide;
}

TEST(Resources, VersionGivesProjectVersionJapaneseTextsAndDiffersOnlyInNameAndEdition) {
    const std::vector<StDELIVERABLE> programs = Deliverables();
    ASSERT_EQ(programs.size(), 4u) << "run through run-robot.sh, which names all four";
    std::string first;  // the first program's resource with its name and edition made neutral
    for (const StDELIVERABLE& program : programs) {
        SCOPED_TRACE(program.build);
        DWORD ignored = 0;
        const DWORD size = GetFileVersionInfoSizeA(program.exe.c_str(), &ignored);
        ASSERT_GT(size, 0u) << "no version resource";
        std::vector<char> info(size);
        ASSERT_TRUE(GetFileVersionInfoA(program.exe.c_str(), 0, size, info.data()));

        VS_FIXEDFILEINFO* fixed = nullptr;
        UINT length = 0;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\", reinterpret_cast<void**>(&fixed), &length));
        const DWORD high = MAKELONG(ASSETEXPORT_VERSION_MINOR, ASSETEXPORT_VERSION_MAJOR);
        const DWORD low = MAKELONG(0, ASSETEXPORT_VERSION_PATCH);
        EXPECT_EQ(fixed->dwFileVersionMS, high);
        EXPECT_EQ(fixed->dwFileVersionLS, low);
        EXPECT_EQ(fixed->dwProductVersionMS, high);
        EXPECT_EQ(fixed->dwProductVersionLS, low);
        EXPECT_EQ(fixed->dwFileType, static_cast<DWORD>(VFT_APP));

        WORD* translation = nullptr;
        ASSERT_TRUE(VerQueryValueA(info.data(), "\\VarFileInfo\\Translation",
                                   reinterpret_cast<void**>(&translation), &length));
        ASSERT_EQ(length, 4u);
        EXPECT_EQ(translation[0], 0x0411);
        EXPECT_EQ(translation[1], 932);

        // Read in the ANSI code page, 932: the Japanese texts come back as Shift-JIS bytes.
        const std::string version = ASSETEXPORT_VERSION;
        const struct {
            const char* name;
            std::string value;
        } strings[] = {
            {"FileDescription", "減価償却データ出力 (エディション " + program.edition + ")"},
            {"FileVersion", version},
            {"ProductName", "減価償却データ出力"},
            {"ProductVersion", version},
            {"OriginalFilename", program.build + ".exe"},
            {"InternalName", program.build},
            {"LegalCopyright", ""},  // any text
        };
        for (const auto& string : strings) {
            char* value = nullptr;
            const std::string path = std::string("\\StringFileInfo\\041103A4\\") + string.name;
            const bool found =
                VerQueryValueA(info.data(), path.c_str(), reinterpret_cast<void**>(&value), &length) &&
                value && *value;
            EXPECT_TRUE(found && (string.value.empty() || string.value == value))
                << string.name << ": " << (found ? value : "(none)");
        }

        // Whatever else the resource holds is the same in all four: with the program's name and
        // edition made neutral, the bytes are equal.
        std::string neutral =
            ResourceBytes(program.exe, MAKEINTRESOURCEA(16), MAKEINTRESOURCEA(1));  // RT_VERSION
        ASSERT_FALSE(neutral.empty());
        for (const std::string& mark : {Utf16(program.build), Utf16(program.edition + ")")}) {
            const std::string blank(mark.size(), '#');
            for (size_t at = neutral.find(mark); at != std::string::npos; at = neutral.find(mark, at))
                neutral.replace(at, mark.size(), blank);
        }
        if (first.empty()) {
            first = neutral;
        } else {
            EXPECT_TRUE(neutral == first)
                << "differs from " << programs[0].build << " beyond name and edition";
        }
    }
}

TEST(Resources, EachProgramCarriesOneManifestOfItsOwn) {
    const std::vector<StDELIVERABLE> programs = Deliverables();
    ASSERT_EQ(programs.size(), 4u) << "run through run-robot.sh, which names all four";
    for (const StDELIVERABLE& program : programs) {
        SCOPED_TRACE(program.build);
        // One language of resource 1 only: a toolchain's default manifest beside ours would be a
        // second one, and which of them the loader takes would be a matter of luck.
        HMODULE module = LoadLibraryExA(program.exe.c_str(), nullptr, LOAD_LIBRARY_AS_DATAFILE);
        ASSERT_NE(module, nullptr);
        int languages = 0;
        EnumResourceLanguagesA(
            module, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1),  // RT_MANIFEST
            [](HMODULE, LPCSTR, LPCSTR, WORD, LONG_PTR count) -> BOOL {
                ++*reinterpret_cast<int*>(count);
                return TRUE;
            },
            reinterpret_cast<LONG_PTR>(&languages));
        FreeLibrary(module);
        EXPECT_EQ(languages, 1);

        const std::string manifest = ResourceBytes(program.exe, MAKEINTRESOURCEA(24), MAKEINTRESOURCEA(1));
        for (const char* part : {"name=\"Microsoft.Windows.Common-Controls\" version=\"6.0.0.0\"",
                                 ">PerMonitorV2</dpiAwareness>", ">true</dpiAware>",
                                 "{35138b9a-5d96-4fbd-8e2d-a2440225f93a}",  // Windows 7
                                 "{4a2f28e3-53b9-4441-ba9c-d69d4a4a6e38}",  // 8
                                 "{1f676c76-80e1-4239-95bb-83d0f6d0da78}",  // 8.1
                                 "{8e0f7a12-bfb3-4fe8-b9a5-48fd50a15a9a}",  // 10 and 11
                                 "level=\"asInvoker\" uiAccess=\"false\""})
            EXPECT_NE(manifest.find(part), std::string::npos) << part;
        EXPECT_EQ(manifest.find("<activeCodePage"), std::string::npos)
            << "the programs need the ANSI code page 932";
    }
}

TEST_F(Robot, AltOFocusesThePathBoxAndAltDBrowses) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_NO_FATAL_FAILURE(FocusOn(IDC_CANCEL));
    ASSERT_TRUE(BringToFront(dialog));
    Press('O', {VK_MENU});
    EXPECT_TRUE(WaitFor([this] { return FocusIdOf(dialog) == IDC_PATH; }, 3000)) << FocusIdOf(dialog);
    Press('D', {VK_MENU});
    HWND save = WaitSaveDialog();
    ASSERT_NE(save, nullptr);
    PostClick(GetDlgItem(save, IDCANCEL));
    EXPECT_TRUE(WaitFor([&] { return !IsWindow(save); }));
}

// Real key presses with Shift or Ctrl held are left to the dialog manager: Shift+F12 does not
// execute, Ctrl+Enter in the path box does not move the focus. A typed character afterwards
// shows that the keys were handled and where the focus was.
TEST_F(Robot, ShiftF12AndCtrlEnterGetNoSpecialTreatment) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(BringToFront(dialog));
    Press(VK_F12, {VK_SHIFT});
    TypeChar(L'x');  // replaces the selected proposal
    EXPECT_TRUE(WaitFor([this] { return Path() == "x"; }, 3000)) << Path();
    EXPECT_EQ(FindTopWindow(program.Id(), "#32770", kCaption), nullptr);

    Press(VK_RETURN, {VK_CONTROL});
    TypeChar(L'y');
    EXPECT_TRUE(WaitFor([this] { return Path() == "xy"; }, 3000)) << Path();
    EXPECT_EQ(FocusIdOf(dialog), IDC_PATH);
    EXPECT_EQ(FindTopWindow(program.Id(), "#32770", kCaption), nullptr);
    EXPECT_TRUE(IsWindowVisible(dialog));
}

// ---- the path box

// A character as a translated key delivers it to the control, 表 two bytes long.
void Char(HWND edit, wchar_t ch) {
    DWORD_PTR result = 0;
    SendMessageTimeoutW(edit, WM_CHAR, ch, 1, SMTO_ABORTIFHUNG, 2000, &result);
}

TEST_F(Robot, PathBoxTakesAtMost255BytesDoubleByteCountingTwo) {
    ASSERT_NO_FATAL_FAILURE(Start());
    HWND edit = Item(IDC_PATH);
    const std::string a253(253, 'a'), a254(254, 'a'), hyo = "\x95\x5C";
    SetPath(a253);
    SendMessageA(edit, EM_SETSEL, 253, 253);
    Char(edit, 0x8868);
    Char(edit, 0x8868);
    Char(edit, L'b');
    EXPECT_EQ(Path(), a253 + hyo);

    SetPath(a254);
    SendMessageA(edit, EM_SETSEL, 254, 254);
    Char(edit, 0x8868);
    Char(edit, L'b');
    EXPECT_EQ(Path(), a254 + "b");
}

// Real input, as an input method delivers a character, through the dialog's own message loop.
TEST_F(Robot, TypedDoubleByteCharacterReachesThePathBoxWhole) {
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(BringToFront(dialog));
    TypeChar(0x8868);  // replaces the selected proposal
    TypeChar(L'b');
    // The proposal is longer than what is typed, so only the whole text tells that both arrived.
    EXPECT_TRUE(WaitFor([this] { return Path() == "\x95\x5C" "b"; }, 3000)) << Path();
}

// The control's text as the control keeps it.
std::wstring WideText(HWND control) {
    wchar_t text[512] = L"";
    DWORD_PTR result = 0;
    SendMessageTimeoutW(control, WM_GETTEXT, 512, reinterpret_cast<LPARAM>(text), SMTO_ABORTIFHUNG, 2000, &result);
    return text;
}

// Puts text on the clipboard, as a user copies it from another program.
bool SetClipboardText(const std::wstring& text) {
    if (!OpenClipboard(nullptr)) return false;
    EmptyClipboard();
    const size_t bytes = (text.size() + 1) * sizeof(wchar_t);
    HGLOBAL memory = GlobalAlloc(GMEM_MOVEABLE, bytes);
    bool put = false;
    if (memory) {
        std::memcpy(GlobalLock(memory), text.c_str(), bytes);
        GlobalUnlock(memory);
        put = SetClipboardData(CF_UNICODETEXT, memory) != nullptr;
        if (!put) GlobalFree(memory);
    }
    CloseClipboard();
    return put;
}

// The box keeps what is typed or pasted in Unicode, and the file-save dialog hands back Unicode: a
// character without a form in code page 932 reaches the character rule as "?", never as the
// look-alike of the ANSI text (ü as u, the yen sign as a backslash), which named an existing file.
TEST_F(Robot, PathBoxCharacterWithoutAShiftJisFormIsRefusedByTheCharacterRule) {
    WriteFileBytes(temp.Path("out\\uber.csv"), "old");
    ASSERT_NO_FATAL_FAILURE(Start());
    ASSERT_TRUE(BringToFront(dialog));
    HWND edit = Item(IDC_PATH);
    const std::wstring typed = Wide(temp.Path("out")) + L"\\\u00FCber.csv";
    const std::wstring pasted = Wide(temp.Path("out")) + L"\u00A5uber.csv";
    SetPath(temp.Path("out") + "\\");
    SendMessageA(edit, EM_SETSEL, typed.size() - 8, typed.size() - 8);
    for (const wchar_t ch : typed.substr(typed.size() - 8)) TypeChar(ch);
    ASSERT_TRUE(WaitFor([&] { return WideText(edit) == typed; }, 3000));
    PostKey(edit, VK_F12);
    ASSERT_NO_FATAL_FAILURE(ExpectBox(kBadChars, true, IDOK));

    ASSERT_TRUE(SetClipboardText(pasted));
    ASSERT_TRUE(WaitFor([&] { return FocusIdOf(dialog) == IDC_PATH && GetForegroundWindow() == dialog; }, 3000));
    Press('V', {VK_CONTROL});  // replaces the path the refusal selected
    ASSERT_TRUE(WaitFor([&] { return WideText(edit) == pasted; }, 3000));
    PostKey(edit, VK_F12);
    ASSERT_NO_FATAL_FAILURE(ExpectBox(kBadChars, true, IDOK));

    SetPath(temp.Path("out\\seed.csv"));
    PostClick(Item(IDC_BROWSE));
    HWND save = WaitSaveDialog();
    ASSERT_NE(save, nullptr);
    SetDlgItemTextW(save, 0x47C, L"\u00FCber.csv");  // typed in the file-save dialog
    PostClick(GetDlgItem(save, IDOK));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(save); })) << "the file-save dialog stayed open";
    PostKey(edit, VK_F12);
    ASSERT_NO_FATAL_FAILURE(ExpectBox(kBadChars, true, IDOK));
    EXPECT_TRUE(ReadFileBytes(temp.Path("out\\uber.csv")) == "old") << "uber.csv was written over";
}

TEST_F(Robot, EveryRefusalShowsItsTextAndSelectsThePath) {
    const struct {
        std::string path;
        const char* text;
    } refusals[] = {
        {"", kNoPath},
        {temp.Path("out") + "\\a;b.csv", kBadChars},
        {"1:\\x.csv", kBadDrive},
        {temp.Path("out") + "\\", kNoFileName},
        {temp.Path("out"), kNoFileName},  // an existing folder
    };
    ASSERT_NO_FATAL_FAILURE(Start());
    bool first = true;
    for (const auto& refusal : refusals) {
        SCOPED_TRACE(refusal.path);
        SetPath(refusal.path);
        PostKey(Item(IDC_PATH), VK_F12);
        ASSERT_NO_FATAL_FAILURE(ExpectBox(refusal.text, true, IDOK, first ? "refusal" : nullptr));
        ASSERT_NO_FATAL_FAILURE(ExpectPathSelected());
        first = false;
    }
    // A drive letter without a drive passes the drive rule; its folder cannot be made.
    SetPath("Q:\\robot\\x.csv");
    PostKey(Item(IDC_PATH), VK_F12);
    ASSERT_NO_FATAL_FAILURE(ExpectBox(kNoFolder, true, IDYES));
    ASSERT_NO_FATAL_FAILURE(ExpectBox(kCreateFailed, true, IDOK));
    ASSERT_NO_FATAL_FAILURE(ExpectPathSelected());
}

// ---- questions, the file-save dialog and the closing notices

TEST_F(Robot, FolderQuestionNoKeepsTheDialogYesCreatesAndExports) {
    ASSERT_NO_FATAL_FAILURE(Start());
    const std::string path = temp.Path("new\\deeper") + "\\x.csv";
    SetPath(path);
    PostKey(Item(IDC_PATH), VK_F12);
    ASSERT_NO_FATAL_FAILURE(ExpectBox(kNoFolder, true, IDNO, "question"));
    ASSERT_NO_FATAL_FAILURE(ExpectPathSelected());
    EXPECT_FALSE(Exists(temp.Path("new")));

    PostKey(Item(IDC_PATH), VK_F12);
    ASSERT_NO_FATAL_FAILURE(ExpectBox(kNoFolder, true, IDYES));
    ASSERT_NO_FATAL_FAILURE(ExpectBox(SuccessText(path, temp.Path("new\\deeper\\syurui.SSC")), false, IDOK, "success"));
    ExpectEnded();
    EXPECT_TRUE(Exists(path));
    EXPECT_TRUE(Exists(temp.Path("new\\deeper\\syurui.SSC")));
    EXPECT_FALSE(Exists(temp.Path("new\\deeper\\Marlo3SysErr.txt")));  // empty, so removed
}

TEST_F(Robot, OverwriteQuestionNoKeepsTheFileYesReplacesIt) {
    const std::string path = temp.Path("out\\x.csv");
    WriteFileBytes(path, "old");
    ASSERT_NO_FATAL_FAILURE(Start());
    SetPath(path);
    PostKey(Item(IDC_PATH), VK_F12);
    ASSERT_NO_FATAL_FAILURE(ExpectBox(kOverwrite, true, IDNO));
    ASSERT_NO_FATAL_FAILURE(ExpectPathSelected());
    EXPECT_EQ(ReadFileBytes(path), "old");

    PostKey(Item(IDC_PATH), VK_F12);
    ASSERT_NO_FATAL_FAILURE(ExpectBox(kOverwrite, true, IDYES));
    ASSERT_NO_FATAL_FAILURE(ExpectBox(SuccessText(path, temp.Path("out\\syurui.SSC")), false, IDOK));
    ExpectEnded();
    EXPECT_NE(ReadFileBytes(path), "old");
}

TEST_F(Robot, FileSaveDialogSeededWithFolderAndNameAppendsCsv) {
    ASSERT_NO_FATAL_FAILURE(Start());
    SetPath(temp.Path("out\\seed.csv"));
    PostClick(Item(IDC_BROWSE));
    HWND save = WaitSaveDialog();
    ASSERT_NE(save, nullptr);
    EXPECT_TRUE(WaitFor([&] { return ItemText(save, 0x47C) == "seed.csv"; }, 3000)) << ItemText(save, 0x47C);
    Settle();
    EXPECT_TRUE(Screenshot("filesave"));

    // A bare name lands in the seeded folder with the default extension.
    SetDlgItemTextA(save, 0x47C, "picked");
    PostClick(GetDlgItem(save, IDOK));
    ASSERT_TRUE(WaitFor([&] { return !IsWindow(save); })) << "the file-save dialog stayed open";
    EXPECT_STRCASEEQ(Path().c_str(), temp.Path("out\\picked.CSV").c_str());  // the case is the dialog's
    EXPECT_TRUE(WaitFor([this] { return FocusIdOf(dialog) == IDC_EXECUTE; }, 3000));
}

TEST_F(Robot, PastDataIsRefusedAndTheDialogNeverShown) {
    WriteLedger(8, kCleanAssets);
    ASSERT_NO_FATAL_FAILURE(Launch());
    const StBOX box = WaitBox(program.Id(), kCaption, 20000);
    ASSERT_NE(box.window, nullptr);
    EXPECT_EQ(box.text, kPastData);
    ASSERT_NE(box.owner, nullptr);
    EXPECT_EQ(Text(box.owner), kTitle);
    EXPECT_FALSE(IsWindowVisible(box.owner));
    ASSERT_TRUE(Answer(box, IDOK));
    bool seen = false;
    EXPECT_TRUE(WaitFor([&] {
        seen = seen || FindTopWindow(program.Id(), "#32770", kTitle) != nullptr;
        return !program.Running();
    }, 20000));
    EXPECT_FALSE(seen);
    EXPECT_FALSE(Exists(temp.Path("settings")));
}

// The viewer's window of any process (the program starts it), once it shows the log.
HWND WaitViewer(const char* className) {
    HWND viewer = nullptr;
    WaitFor([&] {
        viewer = FindTopWindow(0, className, nullptr);
        return viewer && Text(viewer).find("Marlo3SysErr.txt") != std::string::npos;
    }, 30000);
    return viewer;
}

// The demo ledger writes log entries: the log opens in Wordpad, the notice follows its closing,
// and the three files equal those of the Linux build on the same ledger. The folder's blank
// needs the log path quoted on the viewer's command line.
TEST_F(Robot, LogOpensInWordpadNoticeAfterItClosesFilesAsOnLinux) {
    const std::string demo = Env("ROBOT_DEMO_LEDGER"), reference = Env("ROBOT_REFERENCE");
    ASSERT_FALSE(demo.empty() || reference.empty()) << "run through run-robot.sh";
    for (const char* name : {"datasets.csv", "assets-1.csv", "assets-2.csv", "assets-3.csv", "breakdowns-1.csv",
                             "categories-1.csv", "categories-3.csv"})
        ASSERT_TRUE(CopyFileA((demo + "\\" + name).c_str(), temp.Path(std::string("ledger\\") + name).c_str(), FALSE)) << name;
    WriteSession("kanri01,1,1");
    const std::string folder = temp.Path("log dir");
    CreateDirectoryA(folder.c_str(), nullptr);

    ASSERT_NO_FATAL_FAILURE(Start());
    SetPath(folder + "\\x.csv");
    PostKey(Item(IDC_PATH), VK_F12);
    HWND viewer = WaitViewer("WORDPADTOP");
    ASSERT_NE(viewer, nullptr) << "no Wordpad on the log";
    const std::string log = ReadFileBytes(folder + "\\Marlo3SysErr.txt");
    const size_t first = log.find_first_not_of("\r\n");
    ASSERT_NE(first, std::string::npos) << "empty log";
    const std::string line = log.substr(first, log.find_first_of("\r\n", first) - first);
    EXPECT_NE(Text(FindWindowExA(viewer, nullptr, "RichEdit20W", nullptr)).find(line), std::string::npos)
        << "Wordpad does not show the log's line " << line;
    Reactivate(viewer);
    Settle();
    EXPECT_EQ(FindTopWindow(program.Id(), "#32770", kCaption), nullptr) << "a notice while the viewer is open";
    EXPECT_TRUE(Screenshot("viewer"));

    PostMessageA(viewer, WM_CLOSE, 0, 0);
    ASSERT_NO_FATAL_FAILURE(ExpectBox(kFinishedWithLog, false, IDOK));
    ExpectEnded();
    for (const char* name : {"x.csv", "syurui.SSC", "Marlo3SysErr.txt"})
        EXPECT_TRUE(ReadFileBytes(folder + "\\" + name) == ReadFileBytes(reference + "\\" + name)) << name << " differs";
}

// Moves Wordpad away for one case and back, whatever happens in it.
class ClWordpadAway {
public:
    ClWordpadAway() {
        char windows[MAX_PATH] = "";
        GetWindowsDirectoryA(windows, sizeof windows);
        m_path = std::string(1, windows[0]) + ":\\Program Files\\Windows NT\\Accessories\\wordpad.exe";
        m_moved = MoveFileA(m_path.c_str(), (m_path + ".robot-away").c_str()) != FALSE;
    }
    ~ClWordpadAway() {
        if (m_moved) MoveFileA((m_path + ".robot-away").c_str(), m_path.c_str());
    }
    bool Moved() const { return m_moved; }

private:
    std::string m_path;
    bool m_moved;
};

TEST_F(Robot, LogOpensInNotepadWhenWordpadIsAbsent) {
    WriteLedger(7, kRepeatedCode);
    ClWordpadAway away;
    ASSERT_TRUE(away.Moved());
    ASSERT_NO_FATAL_FAILURE(Start());
    SetPath(temp.Path("out\\x.csv"));
    PostKey(Item(IDC_PATH), VK_F12);
    HWND viewer = WaitViewer("Notepad");
    ASSERT_NE(viewer, nullptr) << "no Notepad on the log";
    EXPECT_EQ(FindTopWindow(program.Id(), "#32770", kCaption), nullptr) << "a notice while the viewer is open";
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    ASSERT_NO_FATAL_FAILURE(ExpectBox(kFinishedWithLog, false, IDOK));
    ExpectEnded();
}

// Plants the robot's planted_program.exe as C:\Program.exe for one case, and removes it again.
class ClPlantedProgram {
public:
    ClPlantedProgram() {
        char robot[MAX_PATH] = "", windows[MAX_PATH] = "";
        GetModuleFileNameA(nullptr, robot, sizeof robot);
        GetWindowsDirectoryA(windows, sizeof windows);
        std::string planted = robot;
        planted = planted.substr(0, planted.find_last_of('\\') + 1) + "planted_program.exe";
        m_path = std::string(1, windows[0]) + ":\\Program.exe";
        DeleteFileA(Record().c_str());
        m_placed = CopyFileA(planted.c_str(), m_path.c_str(), FALSE) != FALSE;
    }
    ~ClPlantedProgram() {
        DeleteFileA(m_path.c_str());
        DeleteFileA(Record().c_str());
    }
    bool Placed() const { return m_placed; }
    std::string Record() const { return m_path + ".started"; }

private:
    std::string m_path;
    bool m_placed;
};

// Windows takes an unquoted "C:\Program Files\..." first for C:\Program.exe: the viewer is named
// in quotes, so a program planted there is never started.
TEST_F(Robot, ViewerIsStartedByItsQuotedPathNeverByAPlantedProgram) {
    ClPlantedProgram planted;
    ASSERT_TRUE(planted.Placed());
    WriteLedger(7, kRepeatedCode);
    ASSERT_NO_FATAL_FAILURE(Start());
    SetPath(temp.Path("out\\x.csv"));
    PostKey(Item(IDC_PATH), VK_F12);
    HWND viewer = nullptr;
    ASSERT_TRUE(WaitFor([&] {
        viewer = FindTopWindow(0, "WORDPADTOP", nullptr);
        return viewer || Exists(planted.Record());
    }, 30000));
    EXPECT_FALSE(Exists(planted.Record())) << "the planted C:\\Program.exe was started";
    ASSERT_NE(viewer, nullptr) << "no Wordpad on the log";
    PostMessageA(viewer, WM_CLOSE, 0, 0);
    ASSERT_NO_FATAL_FAILURE(ExpectBox(kFinishedWithLog, false, IDOK));
    ExpectEnded();
}

}  // namespace
