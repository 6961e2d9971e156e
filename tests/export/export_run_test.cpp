// export_run_test.cpp - whole runs over a ledger of the stand-in host, judged by the bytes of the
// three files they leave on disk.
#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "assetexporter.h"
#include "export_helpers.h"
#include "hostsim/ledger_fixture.h"
#include "ledgercore.h"

namespace {

// One asset row of the ledger; the columns not given are those of a plain depreciating asset.
std::string Asset(const std::string& key, const std::string& code, int method, const std::string& name,
                  const std::string& memo = "", const std::string& cost = "1000") {
    return key + "," + code + ",5," + name + ",3台," + memo + ",0,,20200401,20200501," + cost + ",0,0," +
           std::to_string(method) + ",5,200,0,0,0,10000,30,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n";
}

// Bytes that break the CR LF rule: a LF without its CR, or a CR without its LF.
size_t StrayLineEnds(const std::string& bytes) {
    size_t stray = 0;
    for (size_t i = 0; i < bytes.size(); ++i) {
        if (bytes[i] == '\n' && (i == 0 || bytes[i - 1] != '\r')) ++stray;
        if (bytes[i] == '\r' && (i + 1 == bytes.size() || bytes[i + 1] != '\n')) ++stray;
    }
    return stray;
}

// Fields of a row, a double-quoted stretch counting as part of one field: the files are written
// without quotes, so a quote mark would be a fault of its own and is reported by the caller.
size_t FieldCount(const std::string& line) {
    size_t fields = 1;
    bool quoted = false;
    for (char c : line) {
        if (c == '"') quoted = !quoted;
        if (c == ',' && !quoted) ++fields;
    }
    return fields;
}

std::string Repeat(const std::string& text, int times) {
    std::string all;
    for (int i = 0; i < times; ++i) all += text;
    return all;
}

class ExportRunTest : public LedgerTest {
protected:
    ExportRunTest() {
        WriteBytes(dir.File("datasets.csv"),
                   ";dataNo,dataId,companyName,periodStart,periodEnd,dataKind,entityKind\r\n"
                   "3,ID-KOJIN,山田 太郎,20230101,20231231,1,3\r\n"
                   "7,ID-SEVEN,株式会社テスト商事,20230401,20240331,1,0\r\n"
                   "8,ID-PAST,株式会社テスト商事,20220401,20230331,99,0\r\n");
        WriteBytes(dir.File("assets-3.csv"),
                   Asset("", "P00001", 6, "軽トラック") + Asset("", "P00002", 7, "複合機"));
        WriteBytes(dir.File("categories-3.csv"), "5,器具備品,1,0\r\n");
    }

    // The record of data set `wanted`, or of the user's selection, read as the program reads it:
    // the selection numbers of the current user, then a walk over the data-set list.
    StDATAINFO ReadDataSet(long wanted = -1) {
        StDATAINFO found = Zeroed<StDATAINFO>();
        char user[65] = {};
        long selection = 0, dataSetNo = 0;
        ClSysUser* users = ClDataMgr::Inst()->GetSysUserObject();
        EXPECT_EQ(users->GetCurUserID(user), 0) << ClHostSim::Inst()->GetLedgerError();
        users->GetSelectedNo(user, &selection, &dataSetNo);
        if (wanted >= 0) dataSetNo = wanted;
        ClSetData* sets = ClDataMgr::Inst()->GetSetObject(5, 1);
        long cursor = 0;
        sets->GetDatCursor(&cursor);
        sets->ReadyDat(cursor, 0);
        for (;;) {
            StDATAINFO work = Zeroed<StDATAINFO>();
            if (sets->WalkDat(&work, cursor) != 0) break;
            if (work.dataNo == dataSetNo) {
                found = work;
                break;
            }
        }
        sets->ReleaseDatCursor(cursor);
        EXPECT_EQ(found.dataNo, dataSetNo);
        return found;
    }

    // The run sequence's part: the exporter's three steps in their order, then its end.
    void Run(const StDATAINFO& set, ClRuleGenkashokyaku* adopted = nullptr) {
        {
            ClAssetExporter exporter;
            if (adopted) exporter.AdoptRule(adopted);
            exporter.SetOutputPath(DataPath().c_str());
            exporter.SetLogName(kLogName);
            EXPECT_EQ(exporter.StartOutput(&set), 1);
            EXPECT_EQ(exporter.ExportAssets(), 1);
            ClRuleGenkashokyaku* rule = exporter.Rule();
            ASSERT_NE(rule, nullptr);
            if (adopted) {
                EXPECT_EQ(rule, adopted);
            }
            EXPECT_EQ(exporter.ExportAssetTypes(&set), 1);
            EXPECT_EQ(exporter.Rule(), rule);  // the type file uses the object of the asset walk
            EXPECT_EQ(exporter.HadOutputFailure(), 0);
        }
        data = ReadBytes(DataPath());
        log = ReadBytes(out.File(kLogName));
        types = ReadBytes(out.File("syurui.SSC"));
    }

    std::string DataPath() const { return out.File("assets.csv"); }
    std::vector<std::string> Rows() const {
        const std::vector<std::string> lines = SplitLines(data);
        return lines.size() > 7 ? std::vector<std::string>(lines.begin() + 7, lines.end())
                                : std::vector<std::string>();
    }

    TempDir out;
    std::string data, log, types;
};

// The entries a run writes into the link error log, as they lie in the file.
std::string LogOf(const std::vector<std::string>& entries) {
    std::string bytes;
    for (const std::string& e : entries) bytes += e + "\r\n";
    return bytes;
}

}  // namespace

TEST_F(ExportRunTest, ThreeFilesOfACompanyRun) {
    const std::string longName = "x" + Repeat("名", 90);                        // 181 bytes
    const std::string sofa = "応接セット（ソファー・テーブル・キャビネット）";  // 46 bytes
    const std::string memo = Repeat("備", 21);                                  // 42 bytes
    std::string big;  // a lump-sum asset of 150 breakdowns; the 102nd would give a message of its own
    for (int n = 1; n <= 150; ++n) {
        const std::string name =
            n == 102 ? "第百二号部品（取付金具・配線一式・予備品を含む）" : "部品" + std::to_string(n);
        big += "L-BIG," + std::to_string(n) + "," + name + ",20210401,5000,1\r\n";
    }
    WriteBytes(dir.File("assets-7.csv"),
               ";assets in the host's order\r\n" + Asset("K1", "000001", 6, "事務所ビル") +
                   Asset("K2", "ABCDEFG", 1, "旋盤") + Asset("L-SMALL", "123", 4, "応接備品一式") +
                   Asset("K3", "000001", 6, "倉庫") + Asset("K4", "4", 5, longName, memo, "100000000000") +
                   Asset("L-BIG", "77", 4, "部品一式") + Asset("K6", "000006", 7, "電話機"));
    WriteBytes(dir.File("breakdowns-7.csv"),
               "L-SMALL,1,器具A,20200401,3000,2.5\r\nL-SMALL,2," + sofa + ",20200402,4000,1\r\n" + big);
    WriteBytes(dir.File("categories-7.csv"), "1,建物,2,0\r\n9,創立費,2,0\r\n11,土地,1,0\r\n");

    Run(ReadDataSet());

    // Asset data file: header from the host's record, the column names, one row per asset or breakdown.
    EXPECT_EQ(StrayLineEnds(data), 0u);
    EXPECT_EQ(data.find('"'), std::string::npos);
    ASSERT_GE(data.size(), 2u);
    EXPECT_EQ(data.substr(data.size() - 2), "\r\n");
    const std::vector<std::string> lines = SplitLines(data);
    ASSERT_GE(lines.size(), 7u);
    EXPECT_EQ(std::vector<std::string>(lines.begin(), lines.begin() + 6),
              (std::vector<std::string>{"バージョン=22. 2. 0. 0(FILEVERSION=1.10)",
                                        "顧問先コード=", "顧問先名称=株式会社テスト商事", "法人個人区分=法人",
                                        "事業年度開始日=20230401", "事業年度終了日=20240331"}));
    EXPECT_EQ(FieldCount(lines[6]), 150u);
    EXPECT_EQ(lines[6].substr(0, 12), ";資産コード,");
    EXPECT_EQ(lines[6].substr(lines[6].size() - 11), "メモ欄下段,");

    const std::vector<std::string> rows = Rows();
    std::vector<std::string> codes = {"000001", "BCDEFG", "00012301", "00012302", "000001", "000004"};
    for (int n = 1; n <= 99; ++n)
        codes.push_back("000077" + std::string(n < 10 ? "0" : "") + std::to_string(n));
    codes.push_back("00007701");  // breakdown 101; 100 gives no row, 102 to 150 are not converted
    codes.push_back("000006");    // the walk goes on after a lump-sum asset
    std::vector<std::string> written;
    for (const std::string& row : rows) {
        EXPECT_EQ(FieldCount(row), 149u) << row;
        written.push_back(SplitFields(row)[0]);
    }
    EXPECT_EQ(written, codes);
    ASSERT_EQ(rows.size(), codes.size());
    const std::vector<std::string> sofaRow = SplitFields(rows[3]);
    EXPECT_EQ(sofaRow[InfoMethod], "一括決算");
    EXPECT_EQ(sofaRow[InfoName], "応接セット（ソファー・テーブル・");  // 32 bytes
    EXPECT_EQ(SplitFields(rows[2])[14], "2.50");
    const std::vector<std::string> over = SplitFields(rows[5]);
    EXPECT_EQ(over[InfoName], "x" + Repeat("名", 15));  // 31 bytes: the 32nd would split a character
    EXPECT_EQ(over[InfoCost], "************");
    EXPECT_EQ(over[InfoMemoUpper], Repeat("備", 10));
    EXPECT_EQ(over[InfoMemoLower], Repeat("備", 10));
    EXPECT_EQ(SplitFields(rows[105])[9], "部品101");
    EXPECT_EQ(SplitFields(rows[106])[4], "少額資産");

    // Link error log: entries in the order of the walk and of the items within a row; an entry is
    // cut to 152 bytes of whole characters, ends with CR LF and keeps its bare line feeds.
    const std::string nameStart = "\n＜WARNING＞\n資産名称｢";  // 22 bytes
    const std::vector<std::string> entries = {
        "\n＜WARNING＞\n資産コード｢ABCDEFG｣は、連携可能最大桁数をオーバーしています。\nデータが、正しく連携"
        "されない可能性があります。",
        // 157 bytes formatted; the 152nd byte would be the first half of ま.
        "\n＜WARNING＞\n内訳名称｢" + sofa +
            "｣は、\n連携可能最大文字数をオーバーしています。\n超過した文字は、自動的に切り捨てられ",
        "\n＜ERROR＞\n資産コード｢000001｣は、他の資産コードと重複してしまいます。",
        nameStart + "x" + Repeat("名", 64),  // 151 bytes of the 181-byte name's message
        "\n＜ERROR＞\n金額｢100000000000｣は、連携可能最大桁数をオーバーしています。",
        "\n＜WARNING＞\nメモ欄｢" + memo +
            "｣は、\n連携可能最大文字数をオーバーしています。\n超過した文字は、自動的に切り捨てられます。",
        "\n＜WARNING＞\n連携可能な最大内訳件数は99件です。\n100件目から後の内訳は出力されません。",
        "\n＜ERROR＞\n資産コード｢77｣と内訳付番｢101｣から構成される\n資産・内訳コード｢00007701｣は、\n他の資産･"
        "内訳コードと重複しています。",
    };
    EXPECT_EQ(entries[1].size(), 151u);
    EXPECT_EQ(entries[3].size(), 151u);
    EXPECT_EQ(entries[5].size(), 151u);  // whole, just under the limit
    EXPECT_EQ(log, LogOf(entries));

    // syurui.SSC: 17 header lines, then one row of 16 fields per category in the host's order.
    EXPECT_EQ(StrayLineEnds(types), 0u);
    const std::vector<std::string> typeLines = SplitLines(types);
    ASSERT_EQ(typeLines.size(), 20u);
    EXPECT_EQ(typeLines[2], ";顧問先\t\t：[0004 法人関与先]");
    EXPECT_EQ(typeLines[10], "HoujinKojinKubun=1");
    EXPECT_EQ(typeLines[16], "[SisanSyurui]");
    const char* const expectedCodes[] = {"01,建物,", "09,創立費,繰延資産,",
                                         "11,土地,有形固定資産,非償却資産,"};
    for (int i = 0; i < 3; ++i) {
        const std::string& row = typeLines[17 + static_cast<size_t>(i)];
        EXPECT_EQ(FieldCount(row), 16u) << row;
        EXPECT_EQ(row.rfind(expectedCodes[i], 0), 0u) << row;
    }
}

TEST_F(ExportRunTest, DataSetWithoutAssetsLeavesHeadersAndNoLog) {
    WriteBytes(dir.File("session.csv"), "tanaka,2,8,C:\\out,C:\\settings\\\r\n");  // the past data set
    const StDATAINFO set = ReadDataSet();
    ClAssetExporter exporter;
    exporter.SetOutputPath(DataPath().c_str());
    exporter.SetLogName(kLogName);
    exporter.StartOutput(&set);
    EXPECT_EQ(exporter.ExportAssets(), 1);
    const std::vector<std::string> lines = SplitLines(ReadBytes(DataPath()));
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[5], "事業年度終了日=20230331");
    // The log takes its place with the type file, so that the type file's entries reach it.
    const std::string logPath = out.File(kLogName);
    EXPECT_FALSE(std::filesystem::exists(logPath));
    EXPECT_EQ(exporter.ExportAssetTypes(&set), 1);
    EXPECT_EQ(SplitLines(ReadBytes(out.File("syurui.SSC"))).size(), 17u);
    // Every file is closed: each one can go before the exporter does. A log without entries is
    // never put in place.
    EXPECT_FALSE(std::filesystem::exists(logPath));
    EXPECT_EQ(exporter.LogEntries(), 0);
    EXPECT_TRUE(std::filesystem::remove(DataPath()));
    EXPECT_TRUE(std::filesystem::remove(out.File("syurui.SSC")));
}

TEST_F(ExportRunTest, AnAdoptedRuleObjectIsUsedAsItIsBound) {
    // The user's selection is data set 7; the rule object handed over is bound to the individual's.
    const StDATAINFO set = ReadDataSet(3);
    ClRuleGenkashokyaku* rule = new ClRuleGenkashokyaku();
    rule->AttachSetMgr(ClDataMgr::Inst()->GetSetMgr());
    rule->SetCurDataID(set.dataId);
    rule->AttachOptLink(ClLinkMgr::Inst()->GetOptLink());
    Run(set, rule);

    const std::vector<std::string> lines = SplitLines(data);
    ASSERT_EQ(lines.size(), 9u);
    EXPECT_EQ(lines[2], "顧問先名称=山田 太郎");
    EXPECT_EQ(lines[3], "法人個人区分=個人");
    EXPECT_EQ(SplitFields(lines[7])[0], "P00001");
    EXPECT_EQ(SplitFields(lines[8])[0], "P00002");
    EXPECT_EQ(log, "");
    const std::vector<std::string> typeLines = SplitLines(types);
    ASSERT_EQ(typeLines.size(), 18u);
    EXPECT_EQ(typeLines[2], ";顧問先\t\t：[0004 個人関与先]");
    EXPECT_EQ(typeLines[17].rfind("05,器具備品,", 0), 0u);
}

// A comma inside a name or memo reaches the row unquoted and shifts every later column. Disabled
// until the export decides how such a text is written; run with --gtest_also_run_disabled_tests.
// Rows carry no quotes: a comma in a text becomes the half-width "､" and is reported, so that the
// row keeps its 149 columns.
TEST_F(ExportRunTest, CommaInATextKeepsTheRowAt149Fields) {
    WriteBytes(dir.File("assets-7.csv"), Asset("K1", "000001", 6, "\"机,椅子\"", "\"A,B\""));
    Run(ReadDataSet());
    const std::vector<std::string> rows = Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(FieldCount(rows[0]), 149u) << rows[0];
    EXPECT_NE(rows[0].find(",机\xA4椅子,"), std::string::npos) << rows[0];
    EXPECT_NE(log.find("\n＜WARNING＞\n｢机\xA4椅子｣の半角カンマ・改行は、\n自動的に｢､｣・空白に置き換えられます。\r\n"), std::string::npos) << log;
    EXPECT_NE(log.find("｢A\xA4" "B｣の半角カンマ"), std::string::npos) << log;
}

// What the host could not hand over is never a row: a failed asset, a failed breakdown and the
// failed categories are each named in the log, and the other records are written as they are.
TEST_F(ExportRunTest, FailedFetchesAreNamedInTheLogNeverWrittenAsZeroRows) {
    WriteBytes(dir.File("faults.csv"), "Move,-5,1\r\nMoveIkkatsu,-2,0\r\nLoadShisanKubunInfo,-9,\r\n");
    WriteBytes(dir.File("assets-7.csv"),
               Asset("K1", "000001", 6, "机") + Asset("K2", "000002", 6, "椅子") + Asset("L", "000003", 4, "一括"));
    WriteBytes(dir.File("breakdowns-7.csv"), "L,1,x,20200401,100,1\r\nL,2,y,20200401,200,2\r\n");
    WriteBytes(dir.File("categories-7.csv"), "5,器具備品,1,0\r\n");
    ClHostSim::Inst()->Reset();
    Run(ReadDataSet());
    const std::vector<std::string> rows = Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(rows[0].rfind("000001,", 0), 0u) << rows[0];
    EXPECT_EQ(SplitFields(rows[1])[9], "y") << rows[1];  // the second breakdown only
    EXPECT_EQ(log, LogOf({"\n＜ERROR＞\n2件目の資産を読み込めませんでした。\nこの資産は出力されません。",
                          "\n＜ERROR＞\n資産コード｢000003｣の1件目の内訳を読み込めませんでした。\nこの内訳は出力されません。",
                          "\n＜ERROR＞\n資産種類を読み込めませんでした。\n資産種類データに資産種類は出力されません。"}));
    EXPECT_EQ(SplitLines(types).size(), 17u);  // the header alone
}
