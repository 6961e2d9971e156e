// checks_test.cpp - code checks, duplicates as rows report them, and the entries of the link error log.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "export_helpers.h"
#include "linklog.h"

namespace {

void AssetRow(ClAssetWriter& writer, const std::string& code) {
    StKOTEISHISANINFO master = Zeroed<StKOTEISHISANINFO>();
    StKOTEINENINFO yearly = Zeroed<StKOTEINENINFO>();
    StKOTEITSUKIINFO monthly = Zeroed<StKOTEITSUKIINFO>();
    StIKKATSUINFO breakdown = Zeroed<StIKKATSUINFO>();
    Put(master.assetCode, code);
    writer.WriteAssetRow(&master, &yearly, &monthly, &breakdown);
}

void BreakdownRow(ClAssetWriter& writer, const std::string& code, const std::string& number) {
    StKOTEISHISANINFO master = Zeroed<StKOTEISHISANINFO>();
    StKOTEINENINFO yearly = Zeroed<StKOTEINENINFO>();
    StKOTEITSUKIINFO monthly = Zeroed<StKOTEITSUKIINFO>();
    StIKKATSUINFO breakdown = Zeroed<StIKKATSUINFO>();
    Put(master.assetCode, code);
    master.methodCode = 4;
    Put(breakdown.breakdownNo, number);
    writer.WriteAssetRow(&master, &yearly, &monthly, &breakdown);
}

std::string CodeOf(const std::string& row) { return SplitFields(row)[0]; }

const char kDuplicate[] = "\n＜ERROR＞\n資産コード｢%s｣は、他の資産コードと重複してしまいます。";

std::string Fill(const char* format, const std::string& value) {
    char text[512];
    std::snprintf(text, sizeof text, format, value.c_str());
    return text;
}

}  // namespace

TEST(CheckCodeChars, HalfWidthLettersAndDigitsOnly) {
    ClAssetWriter writer;
    EXPECT_EQ(writer.CheckCodeChars(3, "000aZ9"), 1);
    EXPECT_EQ(writer.CheckCodeChars(3, ""), 1);
    for (const char* bad : {"0AB-12", "A_1", "A 1", "あ", "\xB1" /* half-width katakana */, "A\x7F"}) {
        EXPECT_EQ(writer.CheckCodeChars(3, bad), 0) << bad;
    }
    EXPECT_EQ(writer.CheckCodeChars(2, "abc"), 1);
    EXPECT_EQ(writer.CheckCodeChars(2, "ab1"), 0);
}

TEST(AssetCodeChecks, LongCodeKeepsItsEndAndWarns) {
    WriterRun run;
    AssetRow(run.writer, "ABCDEFGH");
    const std::vector<std::string> rows = run.Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(CodeOf(rows[0]), "CDEFGH");
    const std::vector<std::string> entries = run.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0],
              "\n＜WARNING＞\n資産コード｢ABCDEFGH｣は、連携可能最大桁数をオーバーしています。\nデータが、正し"
              "く連携されない可能性があります。");
}

TEST(AssetCodeChecks, BadCharactersAreReportedEveryTimeAndNeverRegistered) {
    WriterRun run;
    AssetRow(run.writer, "AB-12");
    AssetRow(run.writer, "AB-12");
    const std::vector<std::string> rows = run.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(CodeOf(rows[1]), "0AB-12");
    const std::string chars = "\n＜ERROR＞\n資産コード｢0AB-12｣には、半角英数以外の文字が使用されています。";
    EXPECT_EQ(run.Entries(), (std::vector<std::string>{chars, chars}));
}

TEST(AssetCodeChecks, DuplicatesAreReportedWithTheWholeCode) {
    WriterRun run;
    AssetRow(run.writer, "A1");
    AssetRow(run.writer, "a1");
    AssetRow(run.writer, "A1");
    AssetRow(run.writer, "X1234567");
    AssetRow(run.writer, "Y1234567");
    const std::vector<std::string> rows = run.Rows();
    ASSERT_EQ(rows.size(), 5u);
    EXPECT_EQ(CodeOf(rows[2]), "0000A1");
    EXPECT_EQ(CodeOf(rows[4]), "234567");
    const std::vector<std::string> entries = run.Entries();
    ASSERT_EQ(entries.size(), 4u);
    EXPECT_EQ(entries[0], Fill(kDuplicate, "A1"));
    EXPECT_NE(entries[1].find("｢X1234567｣"), std::string::npos);  // too long
    EXPECT_NE(entries[2].find("｢Y1234567｣"), std::string::npos);  // too long
    EXPECT_EQ(entries[3], Fill(kDuplicate, "Y1234567"));
}

TEST(BreakdownCodeChecks, NumbersWrapAtOneHundred) {
    WriterRun run;
    for (int n = 1; n <= 101; ++n) BreakdownRow(run.writer, "123", std::to_string(n));
    const std::vector<std::string> rows = run.Rows();
    ASSERT_EQ(rows.size(), 100u);  // 100 gives no row
    EXPECT_EQ(CodeOf(rows[0]), "00012301");
    EXPECT_EQ(CodeOf(rows[98]), "00012399");
    EXPECT_EQ(CodeOf(rows[99]), "00012301");
    const std::vector<std::string> entries = run.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_NE(entries[0].find("最大内訳件数"), std::string::npos);
    EXPECT_EQ(entries[1],
              "\n＜ERROR＞\n資産コード｢123｣と内訳付番｢101｣から構成される\n資産・内訳コード｢00012301｣は、\n他"
              "の資産･内訳コードと重複しています。");
}

TEST(BreakdownCodeChecks, PrefixDuplicateOnlyAgainstAnEarlierAssetCode) {
    WriterRun first;
    AssetRow(first.writer, "123");
    BreakdownRow(first.writer, "123", "7");
    const std::vector<std::string> entries = first.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_EQ(entries[0],
              "\n＜ERROR＞\n資産コード+"
              "内訳付番｢00012307｣は、\n資産コード｢123｣が他の資産コードと重複してしまいます。");

    WriterRun second;
    BreakdownRow(second.writer, "123", "7");
    AssetRow(second.writer, "123");
    EXPECT_EQ(second.Log(), "");
}

TEST(BreakdownCodeChecks, LongAndBadCodes) {
    WriterRun run;
    BreakdownRow(run.writer, "1234567", "12");
    BreakdownRow(run.writer, "AB-1", "01");
    const std::vector<std::string> rows = run.Rows();
    ASSERT_EQ(rows.size(), 2u);
    EXPECT_EQ(CodeOf(rows[0]), "23456712");
    EXPECT_EQ(CodeOf(rows[1]), "00AB-101");
    const std::vector<std::string> entries = run.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0],
              "\n＜WARNING＞\n資産コード+"
              "内訳付番｢123456712｣は、連携可能最大桁数をオーバーしています。\nデータが、正しく連携されない可"
              "能性があります。");
    EXPECT_EQ(entries[1], "\n＜ERROR＞\n資産コード｢00AB-101｣には、半角英数以外の文字が使用されています。");
}

TEST(LinkLog, SeveralEntriesOfOneRowInItemOrder) {
    WriterRun run;
    StKOTEISHISANINFO master = Zeroed<StKOTEISHISANINFO>();
    StKOTEINENINFO yearly = Zeroed<StKOTEINENINFO>();
    StKOTEITSUKIINFO monthly = Zeroed<StKOTEITSUKIINFO>();
    StIKKATSUINFO breakdown = Zeroed<StIKKATSUINFO>();
    Put(master.assetCode, "ABCDEFGHIJ");
    master.assetTypeCode = 123;
    Put(master.assetName, std::string(40, 'n'));
    master.methodCode = 1;
    master.acquisitionCost = 1000000000000000LL;
    master.closingBookValue = -1000000000000000LL;
    Put(master.memoText, std::string(41, 'm'));
    run.writer.WriteAssetRow(&master, &yearly, &monthly, &breakdown);
    const std::vector<std::string> rows = run.Rows();
    ASSERT_EQ(rows.size(), 1u);
    const std::vector<std::string> fields = SplitFields(rows[0]);
    EXPECT_EQ(fields[InfoTypeCode], "12");
    EXPECT_EQ(fields[InfoCost], "************");
    EXPECT_EQ(fields[InfoClosingBook], "************");
    const std::vector<std::string> entries = run.Entries();
    ASSERT_EQ(entries.size(), 6u);
    EXPECT_NE(entries[0].find("資産コード｢ABCDEFGHIJ｣"), std::string::npos);
    EXPECT_EQ(entries[1],
              "\n＜WARNING＞\n資産種類コード｢123｣は、連携可能最大桁数をオーバーしています。\nデータが、正しく"
              "連携されない可能性があります。");
    EXPECT_EQ(
        entries[2],
        "\n＜WARNING＞\n資産名称｢" + std::string(40, 'n') +
            "｣は、\n連携可能最大文字数をオーバーしています。\n超過した文字は、自動的に切り捨てられます。");
    EXPECT_NE(entries[3].find("金額｢100000000000｣"), std::string::npos);
    EXPECT_NE(entries[4].find("金額｢-100000000000｣"), std::string::npos);
    EXPECT_EQ(
        entries[5],
        "\n＜WARNING＞\nメモ欄｢" + std::string(41, 'm') +
            "｣は、\n連携可能最大文字数をオーバーしています。\n超過した文字は、自動的に切り捨てられます。");
}

TEST(LinkLog, EntriesAreCutAt152BytesOfWholeCharacters) {
    WriterRun run;
    run.writer.WriteLinkMessage(std::string(200, 'x').c_str());
    // 151 single bytes and a double-byte character: the character does not fit whole.
    run.writer.WriteLinkMessage((std::string(151, 'y') + "あ").c_str());
    run.writer.WriteLinkMessage("");
    // 0x81 before a blank is no pair: the lone lead byte fits as the 152nd byte.
    run.writer.WriteLinkMessage((std::string(151, 'z') + "\x81 ").c_str());
    const std::string log = run.Log();
    EXPECT_EQ(log, std::string(152, 'x') + "\r\n" + std::string(151, 'y') + "\r\n\r\n" + std::string(151, 'z') +
                       "\x81\r\n");
}

TEST(LinkLog, LongNameMessageIsCutNotLost) {
    WriterRun run;
    StKOTEISHISANINFO master = Zeroed<StKOTEISHISANINFO>();
    StKOTEINENINFO yearly = Zeroed<StKOTEINENINFO>();
    StKOTEITSUKIINFO monthly = Zeroed<StKOTEITSUKIINFO>();
    StIKKATSUINFO breakdown = Zeroed<StIKKATSUINFO>();
    Put(master.assetCode, "1");
    Put(master.assetName, std::string(192, 'n'));
    run.writer.WriteAssetRow(&master, &yearly, &monthly, &breakdown);
    Put(master.assetCode, "2");
    std::string name = "x";
    for (int i = 0; i < 90; ++i) name += "名";
    Put(master.assetName, name);
    run.writer.WriteAssetRow(&master, &yearly, &monthly, &breakdown);
    const std::vector<std::string> entries = run.Entries();
    ASSERT_EQ(entries.size(), 2u);
    const std::string start = "\n＜WARNING＞\n資産名称｢";
    EXPECT_EQ(entries[0], start + std::string(152 - start.size(), 'n'));
    // After the odd "x" the characters end at odd offsets: the entry stops at 151 bytes.
    ASSERT_EQ(entries[1].size(), 151u);
    EXPECT_EQ(entries[1].substr(0, start.size() + 1), start + "x");
}

TEST(LinkLog, NothingToReportLeavesTheLogEmpty) {
    WriterRun run;
    AssetRow(run.writer, "1");
    AssetRow(run.writer, "2");
    EXPECT_EQ(run.Log(), "");
    EXPECT_EQ(run.Rows().size(), 2u);
}

// The entries are formatted without vsnprintf for the conversions their texts use (%s, %d, %08s,
// the %.2f of a whole quantity); each must read as vsnprintf makes it.
TEST(LinkLog, EntriesAreWhatPrintfMakesOfThem) {
    WriterRun run;
    StKOTEISHISANINFO master = Zeroed<StKOTEISHISANINFO>();
    StKOTEINENINFO yearly = Zeroed<StKOTEINENINFO>();
    StKOTEITSUKIINFO monthly = Zeroed<StKOTEITSUKIINFO>();
    StIKKATSUINFO breakdown = Zeroed<StIKKATSUINFO>();
    Put(master.assetCode, "A1");
    master.assetTypeCode = 123;
    Put(master.quantityText, "1500000台");
    run.writer.WriteAssetRow(&master, &yearly, &monthly, &breakdown);
    Put(master.assetCode, "AB-123");
    master.methodCode = 4;
    Put(breakdown.breakdownNo, "1");
    run.writer.WriteAssetRow(&master, &yearly, &monthly, &breakdown);
    run.writer.UnreadBreakdownMessage(&master, 4);
    // A negative code carries its sign as printf writes it.
    StKOTEISHISANINFO negative = Zeroed<StKOTEISHISANINFO>();
    StIKKATSUINFO none = Zeroed<StIKKATSUINFO>();
    Put(negative.assetCode, "A2");
    negative.assetTypeCode = -123;
    run.writer.WriteAssetRow(&negative, &yearly, &monthly, &none);

    char text[5][512];
    std::snprintf(text[0], sizeof text[0], MsgTypeDigits, 123);
    std::snprintf(text[1], sizeof text[1], MsgQuantityDigits, 1500000.0);
    std::snprintf(text[2], sizeof text[2], MsgBreakdownCodeChars, "AB-12301");
    std::snprintf(text[3], sizeof text[3], MsgBreakdownUnread, "AB-123", 5);
    std::snprintf(text[4], sizeof text[4], MsgTypeDigits, -123);
    const std::vector<std::string> entries = run.Entries();
    ASSERT_EQ(entries.size(), 5u);
    for (int i = 0; i < 5; ++i) EXPECT_EQ(entries[i], text[i]) << i;
}
