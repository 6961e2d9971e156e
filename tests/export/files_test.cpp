// files_test.cpp - the data-file header, the column-name line, the type file and where each file goes.
#include <gtest/gtest.h>

#include <ctime>
#include <filesystem>
#include <string>
#include <vector>

#include "export_helpers.h"

namespace {

std::vector<std::string> DataLines(int entityKind, const std::string& company) {
    TempDir dir;
    const std::string path = dir.File("assets.csv");
    ClAssetWriter writer;
    const StDATAINFO set = DataSet(company, entityKind);
    writer.OpenFile(DataFile, path.c_str());
    writer.WriteDataHeader(&set);
    writer.CloseFile(DataFile);
    const std::string bytes = ReadBytes(path);
    EXPECT_EQ(bytes.substr(bytes.size() - 2), "\r\n");
    return SplitLines(bytes);
}

StSHISANKUBUNINFO Category(int code, const std::string& name, int method, int residual) {
    StSHISANKUBUNINFO c = Zeroed<StSHISANKUBUNINFO>();
    c.categoryCode = code;
    Put(c.categoryName, name);
    c.categoryMethod = static_cast<int16_t>(method);
    c.categoryResidual = residual;
    return c;
}

// Header and rows of a type file written after a data-file header, as a run writes them.
std::vector<std::string> TypeLines(int entityKind, const std::vector<StSHISANKUBUNINFO>& categories) {
    WriterRun run(entityKind);
    const StDATAINFO set = DataSet("Company", entityKind);
    run.writer.OpenFile(TypeFile, run.dataPath.c_str());
    run.writer.WriteTypeHeader(&set);
    for (const StSHISANKUBUNINFO& c : categories) run.writer.WriteTypeRow(&c);
    run.writer.CloseFile(TypeFile);
    return SplitLines(ReadBytes(run.dir.File("syurui.SSC")));
}

}  // namespace

TEST(DataFileHeader, SixLinesAndTheColumnNames) {
    const std::vector<std::string> lines = DataLines(1, "株式会社テスト");
    ASSERT_EQ(lines.size(), 7u);
    EXPECT_EQ(lines[0], "バージョン=22. 2. 0. 0(FILEVERSION=1.10)");
    EXPECT_EQ(lines[1], "顧問先コード=");
    EXPECT_EQ(lines[2], "顧問先名称=株式会社テスト");
    EXPECT_EQ(lines[3], "法人個人区分=法人");
    EXPECT_EQ(lines[4], "事業年度開始日=20240401");
    EXPECT_EQ(lines[5], "事業年度終了日=20250331");
    const std::vector<std::string> titles = SplitFields(lines[6]);
    ASSERT_EQ(titles.size(), 150u);
    EXPECT_EQ(titles[0], ";資産コード");
    EXPECT_EQ(titles[18], "耐用年数短縮(保証額未満)[圧縮記帳(引当金・積立金)の場合の償却額計算用]");
    EXPECT_EQ(titles[148], "メモ欄下段");
    EXPECT_EQ(titles[149], "");  // the last title carries the line's final comma
    for (long i = 0; i < 149; ++i) {
        EXPECT_EQ(titles[i] + (i == 148 ? "," : ""), G_HEAD_TITLES[i]) << i;
    }
}

TEST(DataFileHeader, EntityKindLine) {
    EXPECT_EQ(DataLines(0, "A")[3], "法人個人区分=法人");
    EXPECT_EQ(DataLines(3, "A")[3], "法人個人区分=個人");
    EXPECT_EQ(DataLines(4, "A")[3], "法人個人区分=個人");
    const std::vector<std::string> other = DataLines(2, "A");
    ASSERT_EQ(other.size(), 7u);
    EXPECT_EQ(other[3], "");
}

TEST(DataFileHeader, LongCompanyNameIsCutOnACharacterBoundary) {
    const std::string prefix = "顧問先名称=";  // 11 bytes
    std::string name = std::string(140, 'c');
    EXPECT_EQ(DataLines(0, name + "Z")[2], prefix + name + "Z");  // exactly 152 bytes
    EXPECT_EQ(DataLines(0, name + "ZZ")[2], prefix + name + "Z");
    EXPECT_EQ(DataLines(0, name + "社")[2], prefix + name);
    EXPECT_EQ(DataLines(0, name + "\x81 ")[2], prefix + name + "\x81");  // no pair: the lead byte fits alone
}

TEST(TypeFile, HeaderOfSeventeenLines) {
    const std::time_t now = std::time(nullptr);
    const std::tm today = *std::localtime(&now);
    const std::vector<std::string> lines = TypeLines(0, {});
    const std::string rule = ";" + std::string(93, '/');
    const std::string date = ";日付\t\t：" + std::to_string(today.tm_year + 1900) + "/" +
                             std::to_string(today.tm_mon + 1) + "/" + std::to_string(today.tm_mday);
    const std::vector<std::string> expected = {rule,
                                               ";減価償却 資産種類ファイル",
                                               ";顧問先\t\t：[0004 法人関与先]",
                                               date,
                                               ";備考\t\t：",
                                               ";",
                                               rule,
                                               "",
                                               "[Commonlnf]",
                                               "SisanSyuruiCDKetasuu=2",
                                               "HoujinKojinKubun=1",
                                               "Version=22. 2. 0. 0(FILEVERSION=1.1)",
                                               "",
                                               "[Datalnf]",
                                               "SisanSyurui=1",
                                               "",
                                               "[SisanSyurui]"};
    EXPECT_EQ(lines, expected);
}

TEST(TypeFile, EntityKindLines) {
    const std::vector<std::string> individual = TypeLines(3, {});
    ASSERT_EQ(individual.size(), 17u);
    EXPECT_EQ(individual[2], ";顧問先\t\t：[0004 個人関与先]");
    EXPECT_EQ(individual[10], "HoujinKojinKubun=2");
    const std::vector<std::string> other = TypeLines(2, {Category(1, "建物", 1, 0)});
    ASSERT_EQ(other.size(), 18u);
    EXPECT_EQ(other[2], "");
    EXPECT_EQ(other[10], "");
    EXPECT_EQ(other[17].substr(0, 7), "01,建物");
}

TEST(TypeFile, RowsByCategoryCode) {
    const std::vector<std::string> lines = TypeLines(0, {
                                                            Category(5, "器具備品", 1, 0),
                                                            Category(2, "構築物", 2, 5),
                                                            Category(11, "土地", 1, 7),
                                                            Category(9, "繰延資産", 4, 0),
                                                            Category(9, "開発費", 2, 0),
                                                            Category(9, "創立費", 0, 0),
                                                            Category(10, "美術品", 3, 0),
                                                            Category(123, "その他", 7, 0),
                                                            Category(0, "", 1, 0),
                                                        });
    ASSERT_EQ(lines.size(), 26u);
    const std::vector<std::string> expected = {
        "05,器具備品,有形固定資産,償却資産,定率法,除却日まで償却,10,5,工具器具及び備品,0.00,100.00,100.00,"
        "100.00,0.00,100.00,該当しない",
        "02,構築物,有形固定資産,償却資産,定額法,除却日まで償却,5,5,構築物,0.00,100.00,100.00,100.00,0.00,100."
        "00,該当しない",
        "11,土地,有形固定資産,非償却資産,,,0,0,申告なし,0.00,0.00,0.00,0.00,0.00,0.00,該当しない",
        "09,繰延資産,繰延資産,償却資産,一括決算,除却日まで償却,0,0,申告なし,0.00,100.00,100.00,100.00,0.00,"
        "100.00,該当しない",
        "09,開発費,繰延資産,償却資産,均等償却,除却日まで償却,0,0,申告なし,0.00,100.00,100.00,100.00,0.00,100."
        "00,該当しない",
        "09,創立費,繰延資産,償却資産,定率法,除却日まで償却,0,0,申告なし,0.00,100.00,100.00,100.00,0.00,100."
        "00,該当しない",
        "10,美術品,有形固定資産,償却資産,定率法,除却日まで償却,10,10,申告なし,0.00,100.00,100.00,100.00,0.00,"
        "100.00,該当しない",
        "12,その他,有形固定資産,償却資産,定率法,除却日まで償却,10,5,,0.00,100.00,100.00,100.00,0.00,100.00,"
        "該当しない",
        "00,,有形固定資産,償却資産,定率法,除却日まで償却,10,5,,0.00,100.00,100.00,100.00,0.00,100.00,"
        "該当しない",
    };
    EXPECT_EQ(std::vector<std::string>(lines.begin() + 17, lines.end()), expected);
}

TEST(TypeFile, NamesAreCutToTwelveBytesOfWholeCharacters) {
    const std::vector<std::string> lines =
        TypeLines(0, {Category(1, "機械装置運搬具工具器具", 1, 0), Category(1, "ABCDEFGHIJK器", 1, 0)});
    ASSERT_EQ(lines.size(), 19u);
    EXPECT_EQ(SplitFields(lines[17])[1], "機械装置運搬");
    EXPECT_EQ(SplitFields(lines[18])[1], "ABCDEFGHIJK");
}

// A lead byte before a non-trail byte is a character of its own: the cut may stop after it.
TEST(TypeFile, ALeadByteBeforeANonTrailByteStandsAlone) {
    const std::vector<std::string> lines = TypeLines(0, {Category(1, std::string(11, 'A') + "\x81 B", 1, 0)});
    ASSERT_EQ(lines.size(), 18u);
    EXPECT_EQ(SplitFields(lines[17])[1], std::string(11, 'A') + "\x81");
}

// A comma would add a column to the unquoted row: mended as in the data file, with the same entry
// in the log, which stays open for the type file.
TEST(TypeFile, SeparatorsInANameAreMendedAndReported) {
    WriterRun run;
    run.writer.WriteLinkMessage("\nfirst");
    run.writer.CloseFile(DataFile);
    const StDATAINFO set = DataSet("Company", 0);
    const StSHISANKUBUNINFO category = Category(5, "カンマ,入\r\n", 1, 0);
    run.writer.OpenFile(TypeFile, run.dataPath.c_str());
    run.writer.WriteTypeHeader(&set);
    run.writer.WriteTypeRow(&category);
    run.writer.CloseFile(TypeFile);
    run.writer.CloseFile(ErrorLog);
    const std::vector<std::string> lines = SplitLines(ReadBytes(run.dir.File("syurui.SSC")));
    ASSERT_EQ(lines.size(), 18u);
    const std::vector<std::string> fields = SplitFields(lines[17]);
    ASSERT_EQ(fields.size(), 16u);
    EXPECT_EQ(fields[SscName], "カンマ\xA4入  ");
    EXPECT_EQ(ReadBytes(run.LogPath()),
              "\nfirst\r\n\n＜WARNING＞\n｢カンマ\xA4入  ｣の半角カンマ・改行は、\n自動的に｢､｣・空白に置き換えられます。\r\n");
    EXPECT_EQ(run.writer.FailedFiles(), 0);
}

// A log is written whole or not at all: an entry that comes when the log is no longer open (or
// never was) fails the log, and is never appended to what lies at its name.
TEST(OutputFiles, AnEntryForAClosedLogFailsItAndIsNeverAppended) {
    WriterRun run;
    run.writer.WriteLinkMessage("\nfirst");
    run.Close();
    const std::string placed = ReadBytes(run.LogPath());
    run.writer.UnreadCategoriesMessage();
    EXPECT_EQ(ReadBytes(run.LogPath()), placed);
    EXPECT_EQ(run.writer.FailedFiles(), 1 << ErrorLog);
    EXPECT_EQ(run.writer.LogEntries(), 2);
}

TEST(OutputFiles, NamesBesideTheDataFile) {
    TempDir dir;
    const std::string path = dir.File("out.csv");
    ClAssetWriter writer;
    writer.SetLogName(kLogName);
    EXPECT_EQ(writer.OpenFile(DataFile, path.c_str()), 1);
    EXPECT_EQ(writer.OpenFile(TypeFile, path.c_str()), 1);
    EXPECT_EQ(writer.OpenFile(ErrorLog, path.c_str()), 1);
    writer.WriteLinkMessage("\nentry");  // a log without entries is not put in place
    for (short f : {DataFile, TypeFile, ErrorLog}) {
        EXPECT_EQ(writer.CloseFile(f), 1);
    }
    EXPECT_TRUE(std::filesystem::exists(path));
    EXPECT_TRUE(std::filesystem::exists(dir.File("syurui.SSC")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("Marlo3SysErr.txt")));
    EXPECT_EQ(writer.HadOutputFailure(), 0);
}

TEST(OutputFiles, ExistingFilesAreEmptied) {
    TempDir dir;
    const std::string path = dir.File("out.csv");
    for (const char* name : {"out.csv", "syurui.SSC", "Marlo3SysErr.txt"}) WriteBytes(dir.File(name), "old");
    {
        ClAssetWriter writer;
        writer.SetLogName(kLogName);
        writer.OpenFile(DataFile, path.c_str());
        writer.OpenFile(TypeFile, path.c_str());
        writer.OpenFile(ErrorLog, path.c_str());
    }  // the writer closes what it opened
    for (const char* name : {"out.csv", "syurui.SSC", "Marlo3SysErr.txt"}) {
        EXPECT_EQ(ReadBytes(dir.File(name)), "") << name;
    }
}

TEST(OutputFiles, LogWithoutANameIsNotOpened) {
    TempDir dir;
    ClAssetWriter writer;
    EXPECT_EQ(writer.OpenFile(ErrorLog, dir.File("out.csv").c_str()), 0);
    EXPECT_EQ(writer.FailedFiles(), 1 << ErrorLog);
}

TEST(OutputFiles, OtherFileValuesTouchNothing) {
    ClAssetWriter writer;
    EXPECT_EQ(writer.OpenFile(3, "/nonexistent/folder/x.csv"), 1);
    EXPECT_EQ(writer.CloseFile(3), 1);
    EXPECT_EQ(writer.CloseFile(DataFile), 1);  // never opened
    EXPECT_EQ(writer.HadOutputFailure(), 0);
}

TEST(OutputFiles, TrailByteOfADoubleByteNameIsNoSeparator) {
    TempDir dir;
    // 表 is 0x95 0x5C: a byte-wise search would take its trail byte for a folder separator.
    const std::string path = dir.File("\x95\x5C.csv");
    ClAssetWriter writer;
    writer.SetLogName(kLogName);
    if (writer.OpenFile(DataFile, path.c_str()) != 1) GTEST_SKIP() << "the file system refuses this name";
    EXPECT_EQ(writer.OpenFile(TypeFile, path.c_str()), 1);
    EXPECT_EQ(writer.OpenFile(ErrorLog, path.c_str()), 1);
    writer.WriteLinkMessage("\nentry");
    writer.CloseFile(TypeFile);
    writer.CloseFile(ErrorLog);
    EXPECT_TRUE(std::filesystem::exists(dir.File("syurui.SSC")));
    EXPECT_TRUE(std::filesystem::exists(dir.File("Marlo3SysErr.txt")));
}

TEST(OutputFailure, FileThatCannotBeOpenedIsRemembered) {
    TempDir dir;
    const std::string path = dir.File("missing") + "/out.csv";
    ClAssetWriter writer;
    EXPECT_EQ(writer.OpenFile(DataFile, path.c_str()), 0);
    EXPECT_EQ(writer.HadOutputFailure(), 1);
}

TEST(OutputFailure, RowsToAFileThatIsNotOpenAreRemembered) {
    ClAssetWriter writer;
    StKOTEISHISANINFO master = Zeroed<StKOTEISHISANINFO>();
    StKOTEINENINFO yearly = Zeroed<StKOTEINENINFO>();
    StKOTEITSUKIINFO monthly = Zeroed<StKOTEITSUKIINFO>();
    StIKKATSUINFO breakdown = Zeroed<StIKKATSUINFO>();
    EXPECT_EQ(writer.WriteAssetRow(&master, &yearly, &monthly, &breakdown), 1);  // the run goes on
    EXPECT_EQ(writer.HadOutputFailure(), 1);
}

TEST(OutputFailure, PathsThatDoNotFitAreRefusedNotCut) {
    TempDir dir;
    const std::string longPath = dir.Path() + "/" + std::string(300, 'p') + ".csv";
    ClAssetWriter writer;
    EXPECT_EQ(writer.OpenFile(DataFile, longPath.c_str()), 0);
    EXPECT_EQ(writer.HadOutputFailure(), 1);
    // A data path of 250 bytes leaves no room for the 16-byte log name.
    ClAssetWriter second;
    second.SetLogName(kLogName);
    const std::string folder = "/" + std::string(240, 'f') + "/";
    EXPECT_EQ(second.OpenFile(ErrorLog, (folder + "abc.csv").c_str()), 0);
    EXPECT_EQ(second.HadOutputFailure(), 1);
}
