// memo_linebreak_test.cpp - a memo holding a line break, as the host hands one over, exported whole.
#include <gtest/gtest.h>

#include <cstdio>
#include <string>

#include "exportapp.h"
#include "hostsim.h"
#include "osapi.h"
#include "platform/mapped_temp.h"
#include "scriptedui.h"
#include "setmgr.h"
#include "shareddata.h"

TEST(LedgerTextExport, ALineBreakInAMemoKeepsTheRowWholeAndIsLogged) {
    MappedTemp temp;
    const std::string ledger = temp.Native("ledger");
    OsCreateDirectory(temp.Win("ledger").c_str());
    WriteBytes(ledger + "/session.csv", "tanaka,2,7," + temp.Win("out") + "," + temp.Win("settings") + "\r\n");
    WriteBytes(ledger + "/datasets.csv", "7,ID-SEVEN,株式会社テスト,20230401,20240331,1,0\r\n");
    // The memo as a spreadsheet writes a cell with a line break: in quotes, across two lines.
    WriteBytes(ledger + "/assets-7.csv",
               "K1,000001,5,NAME,3台,\"first\r\nsecond\",0,,20200401,20200501,1000,0,0,6,5,200,0,0,0,10000,30,"
               "0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n");
    ClDataMgr::Inst()->GetSetMgr()->SetLedgerFolder(ledger);
    ClHostSim::Inst()->Reset();
    std::FILE* transcript = std::tmpfile();
    {
        ClScriptedUi ui(transcript, false);
        const std::string path = temp.Win("out\\assets.csv");
        const char* arguments[] = {"--path", path.c_str(), "--answer", "yes", "--no-viewer"};
        std::string error;
        ASSERT_TRUE(ui.ParseArguments(5, const_cast<char**>(arguments), error)) << error;
        CExportApp app;
        app.SetShellUi(&ui);
        app.InitInstance();
        app.ExitInstance();
    }
    std::fclose(transcript);
    ClHostSim::Inst()->Reset();

    // Seven lines of header, then the one row: its CR LF is the only line end after them.
    const std::string data = ReadBytes(temp.Native("out/assets.csv"));
    size_t start = 0;
    for (int line = 0; line < 7; ++line) {
        const size_t end = data.find("\r\n", start);
        ASSERT_NE(end, std::string::npos) << data;
        start = end + 2;
    }
    const std::string row = data.substr(start);
    ASSERT_EQ(row.find_first_of("\r\n"), row.size() - 2) << row;
    size_t fields = 1;
    for (char c : row) fields += c == ',';
    EXPECT_EQ(fields, 149u) << row;
    EXPECT_NE(row.find(",first  second,"), std::string::npos) << row;
    EXPECT_NE(ReadBytes(temp.Native("out/Marlo3SysErr.txt"))
                  .find("\n＜WARNING＞\n｢first  second｣の半角カンマ・改行は、\n自動的に｢､｣・空白に置き換えられます。\r\n"),
              std::string::npos);
}
