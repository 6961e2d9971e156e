// release_test.cpp - the program as users unpack it from the release ZIP: started without arguments
// from its own folder over the ledger shipped beside it. Run by scripts/check-release.sh, which sets
// ROBOT_RELEASE and hands the unpacked program over as ROBOT_PROGRAM; skipped otherwise.
#include <gtest/gtest.h>

#include <string>

#include "box_texts.h"
#include "robot.h"

namespace {

const char kTitle[] = "減価償却 - 集計条件";
const char kCaption[] = "減価償却";
const char kDemoCompany[] = " 株式会社ソ能表ポ製作所";  // data set 1 of demo/ledger/datasets.csv
const char kDemoProposal[] = "C:\\出力\\表計算\\*.csv";  // the demo session's output folder
enum { IDC_COMPANY = 1002, IDC_PATH = 1007 };

TEST(Release, UnpackedProgramShowsTheDemoCompanyAndClosesWithTheCancelNotice) {
    if (Env("ROBOT_RELEASE").empty()) GTEST_SKIP() << "ROBOT_RELEASE is not set; run through scripts/check-release.sh";
    const std::string exe = Env("ROBOT_PROGRAM");
    const std::string folder = exe.substr(0, exe.rfind('\\'));
    SetEnvironmentVariableA("HOSTSIM_LEDGER", nullptr);  // the shipped ledger, found from the program's folder

    ClProgram program;
    ASSERT_TRUE(program.Start("\"" + exe + "\"", folder)) << exe;
    HWND dialog = WaitTopWindow(program.Id(), "#32770", kTitle, 20000);
    ASSERT_NE(dialog, nullptr) << "no dialog titled " << kTitle;
    EXPECT_EQ(ItemText(dialog, IDC_COMPANY), kDemoCompany);
    EXPECT_EQ(ItemText(dialog, IDC_PATH), kDemoProposal);

    PostMessageA(dialog, WM_SYSCOMMAND, SC_CLOSE, 0);
    const StBOX box = WaitBox(program.Id(), kCaption);
    ASSERT_NE(box.window, nullptr) << "no notice after closing the dialog";
    EXPECT_EQ(box.text, kCancelled);
    ASSERT_TRUE(Answer(box, IDOK));
    DWORD code = 0;
    ASSERT_TRUE(program.WaitExit(30000, &code)) << "still running after the cancel notice";
    EXPECT_EQ(code, 0u);  // the dialog run ends with the framework's code
}

}  // namespace
