// ledger_errors_test.cpp - a bad ledger is refused with a message naming its file and line.
#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <filesystem>

#include "hostconnect.h"
#include "ledger_fixture.h"
#include "ledgercore.h"

namespace {

bool Has(const std::string& text, const std::string& part) { return text.find(part) != std::string::npos; }

}  // namespace

TEST_F(LedgerTest, MissingFilesAreNamed) {
    std::remove(dir.File("assets-8.csv").c_str());
    std::string e = LedgerError();
    EXPECT_TRUE(Has(e, "assets-8.csv")) << e;
    EXPECT_TRUE(Has(e, "cannot be opened")) << e;
    std::remove(dir.File("session.csv").c_str());
    e = LedgerError();
    EXPECT_TRUE(Has(e, "session.csv")) << e;
}

TEST_F(LedgerTest, BadValuesNameFileLineAndColumn) {
    struct Case {
        std::string file, bytes, expected;
    } cases[] = {
        {"assets-7.csv", AssetRow("", "A", 6) + ";c\r\n" + AssetRow("", "B", 40000),
         "assets-7.csv line 3: column methodCode: \"40000\" is out of range -32768 to 32767"},
        {"assets-7.csv", AssetRow("", "0123456789ABCDEF", 6),
         "assets-7.csv line 1: column assetCode: text of 16 bytes is longer than the field's 15"},
        {"assets-7.csv", AssetRow("", "A", 6, "N", "12x"), "line 1: column acquisitionCost: \"12x\" is not a number"},
        {"assets-7.csv", AssetRow("", "A", 6, "N", "1.23456"), "column acquisitionCost"},
        {"assets-7.csv", AssetRow("", "A", 6, "N", "922337203685478"), "column acquisitionCost: \"922337203685478\" is out of range"},
        {"assets-7.csv", AssetRow("", "A", 6, "a,b"), "assets-7.csv line 1: malformed row: 37 comma-separated columns"},
        {"assets-7.csv", "\r\n" + AssetRow("", "A", 6, "\"open"), "assets-7.csv line 2: malformed row"},
        {"assets-7.csv", AssetRow("", "A", 4), "line 1: column assetKey: a lump-sum asset (methodCode 4) needs a key"},
        {"assets-7.csv", AssetRow("K", "A", 4) + AssetRow("K", "B", 4), "assets-7.csv line 2: column assetKey: \"K\""},
        {"datasets.csv", "1,A,x,20230230,20240331,1,0\r\n", "datasets.csv line 1: column periodStart: \"20230230\" is not a date"},
        {"datasets.csv", "1,A,x,0,0,1,256\r\n", "datasets.csv line 1: column entityKind"},
        {"datasets.csv", "1,A,x,0,0,1,0\r\n1,B,y,0,0,1,0\r\n", "datasets.csv line 2: column dataNo: 1 is used twice"},
        {"session.csv", "", "session.csv: no data row"},
        {"session.csv", "u,1,1,,\r\n", "column settingsFolder"},
        {"session.csv", std::string(65, 'u') + ",1,1,,C:\\\r\n", "column userId: text of 65 bytes"},
        {"faults.csv", "Moove,1,\r\n", "faults.csv line 1: column operation"},
        {"faults.csv", "Initiate,1,4\r\n", "faults.csv line 1: column index"},
        {"breakdowns-7.csv", "K9,1,x,0,1,1\r\n", "breakdowns-7.csv line 1: column assetKey: no lump-sum asset"},
        {"breakdowns-7.csv", "K1,1,x,0,1,1.234\r\n", "breakdowns-7.csv line 1: column breakdownQuantity"},
        {"categories-7.csv", "1,x,1\r\n", "categories-7.csv line 1: malformed row"},
    };
    for (const Case& c : cases) {
        WriteDefaults();
        WriteBytes(dir.File("assets-7.csv"), AssetRow("K1", "1", 4) + AssetRow("K2", "2", 4));
        const std::string old = ReadBytes(dir.File(c.file));
        WriteBytes(dir.File(c.file), c.bytes);
        const std::string e = LedgerError();
        EXPECT_TRUE(Has(e, c.expected)) << "got: " << e << "\nexpected: " << c.expected;
        EXPECT_TRUE(Has(e, dir.Path())) << e;  // the whole path, so the file can be found
        WriteBytes(dir.File(c.file), old);
        std::remove(dir.File("faults.csv").c_str());
        std::remove(dir.File("breakdowns-7.csv").c_str());
        std::remove(dir.File("categories-7.csv").c_str());
    }
}

TEST_F(LedgerTest, BreakdownsOfOneAssetMustStandTogether) {
    WriteBytes(dir.File("assets-7.csv"), AssetRow("K1", "1", 4) + AssetRow("K2", "2", 4));
    WriteBytes(dir.File("breakdowns-7.csv"), "K1,1,x,0,1,1\r\nK2,1,x,0,1,1\r\nK1,2,x,0,1,1\r\n");
    const std::string e = LedgerError();
    EXPECT_TRUE(Has(e, "breakdowns-7.csv line 3: the breakdowns of \"K1\" must stand together")) << e;
}

TEST_F(LedgerTest, ABadLedgerRefusesTheConnectionAndGivesNoData) {
    WriteBytes(dir.File("assets-7.csv"), AssetRow("", "A", 6) + "1,2\r\n");
    EXPECT_NE(ClAccConnect::Inst()->Initiate(), 0);
    EXPECT_TRUE(Has(ClHostSim::Inst()->GetLedgerError(), "assets-7.csv line 2"));
    char user[65] = "x";
    EXPECT_NE(ClDataMgr::Inst()->GetSysUserObject()->GetCurUserID(user), 0);
    ClRuleGenkashokyaku rule;
    char id[kDataIdBytes] = "ID-SEVEN";
    rule.SetCurDataID(id);
    EXPECT_NE(rule.MoveReady(nullptr, SortHostOrder, SumNone), 0);
    long count = 9;
    rule.GetCount(&count);
    EXPECT_EQ(count, 0);
    const unsigned char* sel = reinterpret_cast<const unsigned char*>(ClDataMgr::Inst()->GetSetObject(5, 1)->GetSelectedInfo());
    for (int i = 0; i < 1506; ++i) ASSERT_EQ(sel[i], 0);
}

TEST_F(LedgerTest, BareCarriageReturnsNeverHideRows) {
    // Under 1 kB of CR-only lines read as one line: with the column-name line first it was one
    // comment line, and every row vanished.
    const std::string rows = "3,ID-THREE,Individual,20230101,20231231,1,3\r7,ID-SEVEN,Company,20230401,20240331,1,0\r";
    for (const std::string& bytes : {";dataNo,dataId,companyName,periodStart,periodEnd,dataKind,entityKind\r" + rows, rows}) {
        WriteBytes(dir.File("datasets.csv"), bytes);
        const std::string e = LedgerError();
        EXPECT_TRUE(Has(e, "datasets.csv line 1: a carriage return (CR) without a line feed")) << e;
        EXPECT_TRUE(Has(e, dir.Path())) << e;
    }
}

TEST_F(LedgerTest, OnlyPlainFilesAreRead) {
    // A folder (EISDIR on the first read), even as the optional faults.csv.
    std::filesystem::create_directory(dir.File("faults.csv"));
    std::string e = LedgerError();
    EXPECT_TRUE(Has(e, "faults.csv: cannot be read")) << e;
    std::filesystem::remove(dir.File("faults.csv"));
#ifndef _WIN32
    // A FIFO would make the load wait for a writer that never comes.
    std::filesystem::remove(dir.File("assets-8.csv"));
    ASSERT_EQ(mkfifo(dir.File("assets-8.csv").c_str(), 0600), 0);
    e = LedgerError();
    EXPECT_TRUE(Has(e, "assets-8.csv: cannot be read")) << e;
#endif
}
