// rows_test.cpp - whole asset rows and breakdown rows, item by item, as they reach the file.
#include <gtest/gtest.h>

#include <map>
#include <string>
#include <vector>

#include "export_helpers.h"

namespace {

const tagCY kYen = 10000;

struct StAsset {
    StKOTEISHISANINFO master = Zeroed<StKOTEISHISANINFO>();
    StKOTEINENINFO yearly = Zeroed<StKOTEINENINFO>();
    StKOTEITSUKIINFO monthly = Zeroed<StKOTEITSUKIINFO>();
    StIKKATSUINFO breakdown = Zeroed<StIKKATSUINFO>();
};

// The 149 fields of one converted row; anything not listed in expected must be empty.
std::vector<std::string> Convert(StAsset& a) {
    WriterRun run;
    run.writer.WriteAssetRow(&a.master, &a.yearly, &a.monthly, &a.breakdown);
    const std::vector<std::string> rows = run.Rows();
    if (rows.size() != 1) return {};
    return SplitFields(rows[0]);
}

// The fields of the one row run wrote for a; empty unless exactly one row of 149 fields.
std::vector<std::string> WriteOne(WriterRun& run, StAsset& a) {
    run.writer.WriteAssetRow(&a.master, &a.yearly, &a.monthly, &a.breakdown);
    const std::vector<std::string> rows = run.Rows();
    if (rows.size() != 1) return {};
    const std::vector<std::string> fields = SplitFields(rows[0]);
    return fields.size() == 149 ? fields : std::vector<std::string>();
}

void ExpectRow(const std::vector<std::string>& fields, const std::map<int, std::string>& expected) {
    ASSERT_EQ(fields.size(), 149u);
    for (int i = 0; i < 149; ++i) {
        const auto it = expected.find(i);
        EXPECT_EQ(fields[i], it == expected.end() ? std::string() : it->second) << "item " << i;
    }
}

// An asset of the old declining-balance method with every optional group present.
StAsset OldMethodAsset() {
    StAsset a;
    StKOTEISHISANINFO& m = a.master;
    Put(m.assetCode, "12");
    m.assetTypeCode = 3;
    Put(m.assetName, "旋盤");
    Put(m.quantityText, "3台");
    Put(m.memoText, "ABCDEFGHIJKLMNOPQRSTUVWXY");  // 25 bytes
    Put(m.capexText, "x");
    m.disposalKind = 4;
    m.acquisitionDate = 20080315;
    m.serviceDate = 20080401;
    m.acquisitionCost = 123456789;
    m.openingBookValue = 1000 * kYen;
    m.methodCode = 1;
    m.usefulLife = 10;
    m.rateThousandths = 206;
    m.residualRate = 10;
    m.limitInputFlag = 1;
    m.depreciableLimit = 5 * kYen;
    m.businessUseRatio = 8050;
    m.sgaShare = 30;
    m.depMonthsFactor = 6;
    m.depMonthsDivisor = 2;
    m.monthsInputFlag = 1;
    m.residualValue = 100 * kYen;
    m.depreciationBase = 2000 * kYen;
    m.sgaAmount = 90 * kYen;
    m.manufacturingAmount = 210 * kYen;
    m.accumulatedDepreciation = 1200 * kYen;
    m.closingBookValue = 800 * kYen;
    m.disposalDate = 20240901;
    m.salePrice = 70 * kYen;
    m.revisedCost = 999 * kYen;  // not for method 1
    a.yearly.computedDepreciation = 300 * kYen;
    a.yearly.specialDepreciation = 50 * kYen;
    return a;
}

}  // namespace

TEST(AssetRow, OldMethodWithEveryGroup) {
    StAsset a = OldMethodAsset();
    ExpectRow(Convert(a), {
                              {InfoCode, "000012"},
                              {InfoTypeCode, "03"},
                              {InfoMethod, "旧定率法"},
                              {InfoCapex, "台帳＋申告書"},
                              {InfoName, "旋盤"},
                              {InfoAcquired, "20080315"},
                              {InfoInService, "20080401"},
                              {InfoQuantity, "3.00"},
                              {InfoUnit, "台"},
                              {InfoLife, "10"},
                              {InfoRate, "0.206"},
                              {InfoCost, "12345"},
                              {InfoResidualRate, "10"},
                              {InfoResidual, "100"},
                              {InfoLimitInput, "*"},
                              {InfoLimit, "5"},
                              {InfoMonthsInput, "*"},
                              {InfoMonths, "36"},
                              {InfoOpeningBook, "1000"},
                              {InfoBase, "2000"},
                              {InfoComputedInput, "*"},
                              {InfoComputed, "300"},
                              {InfoSpecialKind, "特別"},
                              {InfoSpecialInput, "*"},
                              {InfoSpecial, "50"},
                              {InfoSpecialTreatment, "償却"},
                              {InfoCurrentInput, "*"},
                              {InfoCurrent, "350"},
                              {InfoExecutionRate, "100"},
                              {InfoBusinessShare, "80.50"},
                              {InfoBusinessShareOf, "100.00"},
                              {InfoDisposed, "20240901"},
                              {InfoDisposalMethod, "除却日まで償却"},
                              {InfoDisposalKind, "売却"},
                              {InfoSalePrice, "70"},
                              {InfoClosingBook, "800"},
                              {InfoAccumulated, "1200"},
                              {InfoSgaShare, "30.00"},
                              {InfoSgaShareOf, "100.00"},
                              {InfoSga, "90"},
                              {InfoManufacturingShare, "70.00"},
                              {InfoManufacturingShareOf, "100.00"},
                              {InfoManufacturing, "210"},
                              {InfoReturnKind, "機械及び装置"},
                              {InfoDecreaseReason, "売却"},
                              {InfoMemoUpper, "ABCDEFGHIJKLMNOPQRST"},
                              {InfoMemoLower, "UVWXY"},
                          });
}

TEST(AssetRow, SmallAssetOfANonDepreciableType) {
    StAsset a = OldMethodAsset();
    a.master.methodCode = 7;
    a.master.assetTypeCode = 11;
    a.master.disposalKind = 5;
    a.yearly.specialDepreciation = 0;
    a.yearly.additionalDepreciation = 4 * kYen;
    a.yearly.currentDepreciationInput = 1;  // ignored for method 7
    ExpectRow(Convert(a), {
                              {InfoCode, "000012"},
                              {InfoTypeCode, "11"},
                              {InfoMethod, "非償却資産"},
                              {InfoName, "旋盤"},
                              {InfoAcquired, "20080315"},
                              {InfoInService, "20080315"},
                              {InfoQuantity, "3.00"},
                              {InfoUnit, "台"},
                              {InfoLife, "10"},
                              {InfoCost, "12345"},
                              {InfoMonthsInput, "*"},
                              {InfoMonths, "36"},
                              {InfoAdditionalInput, "*"},
                              {InfoAdditional, "4"},
                              {InfoBusinessShare, "80.50"},
                              {InfoBusinessShareOf, "100.00"},
                              {InfoDisposed, "20240901"},
                              {InfoClosingBook, "800"},
                              {InfoSgaShare, "30.00"},
                              {InfoSgaShareOf, "100.00"},
                              {InfoSga, "90"},
                              {InfoManufacturingShare, "70.00"},
                              {InfoManufacturingShareOf, "100.00"},
                              {InfoManufacturing, "210"},
                              {InfoReturnKind, "申告なし"},
                              {InfoMemoUpper, "ABCDEFGHIJKLMNOPQRST"},
                              {InfoMemoLower, "UVWXY"},
                          });
}

TEST(AssetRow, DecliningBalanceOfTheTransitionYears) {
    StAsset a = OldMethodAsset();
    StKOTEISHISANINFO& m = a.master;
    m.methodCode = 5;
    m.acquisitionDate = 20130331;
    m.serviceDate = 20130401;
    m.disposalKind = 0;
    m.monthsInputFlag = 0;
    a.yearly = Zeroed<StKOTEINENINFO>();
    std::vector<std::string> f = Convert(a);
    ASSERT_EQ(f.size(), 149u);
    EXPECT_EQ(f[InfoMethod], "定率法");
    EXPECT_EQ(f[InfoTransition], "250%定率法");
    EXPECT_EQ(f[InfoRevisedCostInput], "*");
    EXPECT_EQ(f[InfoRevisedCost], "999");
    for (int masked : {29, 31, 34, 35, 36, 39, 40, 52, 53, 58, 66, 67, 72, 73, 74, 75, 113}) {
        EXPECT_EQ(f[masked], "") << masked;
    }

    m.acquisitionDate = 20130401;  // the new rules: no transition, the current depreciation is shown
    f = Convert(a);
    ASSERT_EQ(f.size(), 149u);
    EXPECT_EQ(f[InfoTransition], "");
    EXPECT_EQ(f[InfoCurrentInput], "*");
    EXPECT_EQ(f[InfoCurrent], "0");  // unlike an amount, a zero total is written as 0

    m.methodCode = 8;  // 8 shows the current depreciation up to the transition's end
    f = Convert(a);
    EXPECT_EQ(f[InfoMethod], "定率法");
    EXPECT_EQ(f[InfoCurrentInput], "");
    m.acquisitionDate = 20130331;
    f = Convert(a);
    EXPECT_EQ(f[InfoTransition], "");
    EXPECT_EQ(f[InfoCurrentInput], "*");
}

TEST(AssetRow, EqualInstalmentAndLimitRules) {
    StAsset a = OldMethodAsset();
    StKOTEISHISANINFO& m = a.master;
    m.methodCode = 3;
    m.limitInputFlag = 0;
    m.depreciableLimit = 123456789;  // 12345.6789: its integer part is the rate item
    std::vector<std::string> f = Convert(a);
    ASSERT_EQ(f.size(), 149u);
    EXPECT_EQ(f[InfoMethod], "均等法");
    EXPECT_EQ(f[InfoRate], "");
    EXPECT_EQ(f[InfoPeriodMonths], "120");
    EXPECT_EQ(f[InfoLimitRate], "12345");
    EXPECT_EQ(f[InfoLimitInput], "");
    EXPECT_EQ(f[InfoLimit], "");

    m.assetTypeCode = 10;  // the residual value is the limit, whatever the flag says
    f = Convert(a);
    EXPECT_EQ(f[InfoLimitInput], "*");
    EXPECT_EQ(f[InfoLimit], "100");
    EXPECT_EQ(f[InfoReturnKind], "申告なし");
}

TEST(AssetRow, MonthsWithAZeroDivisorLeaveTheCountEmpty) {
    StAsset a = OldMethodAsset();
    a.master.depMonthsDivisor = 0;
    const std::vector<std::string> f = Convert(a);
    ASSERT_EQ(f.size(), 149u);
    EXPECT_EQ(f[InfoMonthsInput], "*");
    EXPECT_EQ(f[InfoMonths], "");
}

TEST(AssetRow, UnknownCodesGiveEmptyTexts) {
    StAsset a = OldMethodAsset();
    a.master.methodCode = 9;
    a.master.assetTypeCode = 12;
    a.master.disposalKind = 3;
    const std::vector<std::string> f = Convert(a);
    ASSERT_EQ(f.size(), 149u);
    EXPECT_EQ(f[InfoMethod], "");
    EXPECT_EQ(f[InfoReturnKind], "");
    EXPECT_EQ(f[InfoDisposed], "");
    EXPECT_EQ(f[InfoDecreaseReason], "");
}

TEST(AssetRow, ZeroFilledMaster) {
    StAsset a;
    ExpectRow(Convert(a), {
                              {InfoCode, "000000"},
                              {InfoTypeCode, "00"},
                              {InfoAcquired, "0"},
                              {InfoInService, "0"},
                              {InfoQuantity, "0.00"},
                              {InfoCurrent, ""},
                              {InfoExecutionRate, "100"},
                              {InfoBusinessShare, "0.00"},
                              {InfoBusinessShareOf, "100.00"},
                              {InfoSgaShare, "0.00"},
                              {InfoSgaShareOf, "100.00"},
                              {InfoManufacturingShare, "100.00"},
                              {InfoManufacturingShareOf, "100.00"},
                          });
}

// The record is not cleared between rows: a row writes every item it shows whole, so it reads as it
// would alone whatever row came before it.
TEST(AssetRow, NothingOfTheRowBeforeRemains) {
    StAsset full = OldMethodAsset();
    StAsset empty;
    StAsset breakdown;
    breakdown.master.methodCode = 4;
    Put(breakdown.breakdown.breakdownNo, "1");
    WriterRun run;
    for (StAsset* a : {&full, &empty, &full, &breakdown}) {
        run.writer.WriteAssetRow(&a->master, &a->yearly, &a->monthly, &a->breakdown);
    }
    const std::vector<std::string> rows = run.Rows();
    ASSERT_EQ(rows.size(), 4u);
    EXPECT_EQ(SplitFields(rows[1]), Convert(empty));
    EXPECT_EQ(SplitFields(rows[3]), Convert(breakdown));
}

// Item 67 holds 12 characters: a wider total would be cut to a wrong number.
TEST(AssetRow, TotalWiderThanItsColumnIsAsterisksAndReported) {
    StAsset a = OldMethodAsset();
    a.yearly.computedDepreciation = 1000000000000LL * kYen;  // 13 digits with the 50 special
    WriterRun run;
    const std::vector<std::string> f = WriteOne(run, a);
    ASSERT_EQ(f.size(), 149u);
    EXPECT_EQ(f[InfoCurrent], "************");
    const std::vector<std::string> entries = run.Entries();
    ASSERT_FALSE(entries.empty());
    EXPECT_EQ(entries.back(), "\n＜ERROR＞\n金額｢1000000000050｣は、連携可能最大桁数をオーバーしています。");
}

// Amount items are written without the text path; each must read as FormatAmount gives it.
TEST(AssetRow, AmountItemsReadAsFormatAmountGivesThem) {
    const tagCY amounts[] = {0,        1,         -1,         9999,      -9999,          -5000,
                             10000,    -10000,    123456789,  -123456789, 999999999990000LL, -99999999990000LL,
                             999999999990001LL, -99999999990001LL, INT64_MAX, INT64_MIN};
    for (const tagCY v : amounts) {
        StAsset a = OldMethodAsset();
        a.master.acquisitionCost = v;
        WriterRun run;
        const std::vector<std::string> f = WriteOne(run, a);
        ASSERT_EQ(f.size(), 149u);
        WriterRun other;
        tagCY copy = v;
        EXPECT_EQ(f[InfoCost], other.writer.FormatAmount(&copy)) << v;
    }
}

TEST(AssetRow, LongTextsAreCutOnCharacterBoundaries) {
    StAsset a = OldMethodAsset();
    // 31 single bytes and a double-byte character: the character would end at byte 33.
    Put(a.master.assetName, std::string(31, 'N') + "機械");
    // 19 single bytes, then double-byte characters: the upper part stops at 19 bytes.
    Put(a.master.memoText, std::string(19, 'M') + "あいうえおかきくけこさ");
    const std::vector<std::string> f = Convert(a);
    ASSERT_EQ(f.size(), 149u);
    EXPECT_EQ(f[InfoName], std::string(31, 'N'));
    EXPECT_EQ(f[InfoMemoUpper], std::string(19, 'M'));
    EXPECT_EQ(f[InfoMemoLower], "あいうえおかきくけこ");
}

// 0x81 before a blank is no pair: the lead byte is one character, so every cut may stop after it
// and no following byte is swallowed into it.
TEST(AssetRow, ALeadByteBeforeANonTrailByteStandsAlone) {
    StAsset a = OldMethodAsset();
    Put(a.master.assetCode, "A\x81 BCDEF");
    Put(a.master.assetName, std::string(31, 'N') + "\x81 tail");
    Put(a.master.memoText, std::string(19, 'M') + "\x81 rest");
    Put(a.master.quantityText, "5\x81 abc");
    WriterRun run;
    const std::vector<std::string> f = WriteOne(run, a);
    ASSERT_EQ(f.size(), 149u);
    EXPECT_EQ(f[InfoCode], " BCDEF");
    EXPECT_EQ(f[InfoName], std::string(31, 'N') + "\x81");
    EXPECT_EQ(f[InfoMemoUpper], std::string(19, 'M') + "\x81");
    EXPECT_EQ(f[InfoMemoLower], " rest");
    EXPECT_EQ(f[InfoUnit], " abc");
    const std::vector<std::string> entries = run.Entries();
    ASSERT_GE(entries.size(), 2u);
    EXPECT_EQ(entries[1], "\n＜ERROR＞\n資産コード｢ BCDEF｣には、半角英数以外の文字が使用されています。");
}

// A line break in a text would end the row early; a comma whose byte is a trail byte is no comma.
TEST(AssetRow, LineBreaksAndCommasInTextsKeepTheRowWhole) {
    StAsset a = OldMethodAsset();
    Put(a.master.assetName, "A\r\nB,\x83\x2C");  // 0x83 0x2C is no character: the comma stands alone
    Put(a.master.memoText, "\x95\x5C");            // 表: nothing to replace, no entry
    WriterRun run;
    run.writer.WriteAssetRow(&a.master, &a.yearly, &a.monthly, &a.breakdown);
    const std::vector<std::string> rows = run.Rows();
    ASSERT_EQ(rows.size(), 1u);
    const std::vector<std::string> f = SplitFields(rows[0]);
    ASSERT_EQ(f.size(), 149u);
    EXPECT_EQ(f[InfoName], "A  B\xA4\x83\xA4");
    const std::string log = run.Log();
    EXPECT_EQ(log, "\n＜WARNING＞\n｢A  B\xA4\x83\xA4｣の半角カンマ・改行は、\n自動的に｢､｣・空白に置き換えられます。\r\n");
    // Each separator is found on its own, not only beside another.
    for (const char* alone : {"A,B", "A\rB", "A\nB"}) {
        Put(a.master.assetName, alone);
        WriterRun one;
        const std::vector<std::string> g = WriteOne(one, a);
        ASSERT_EQ(g.size(), 149u);
        EXPECT_EQ(g[InfoName], alone[1] == ',' ? "A\xA4" "B" : "A B") << alone;
    }
}

TEST(BreakdownRow, CarriesBreakdownAndMasterFields) {
    StAsset a;
    Put(a.master.assetCode, "123");
    a.master.methodCode = 4;
    a.master.serviceDate = 20100101;
    a.master.businessUseRatio = 10000;
    a.master.sgaShare = 0;
    a.master.acquisitionCost = 9 * kYen;  // the master's own amounts do not reach the row
    Put(a.master.memoText, "memo");
    Put(a.breakdown.breakdownNo, "7");
    Put(a.breakdown.breakdownName, "机");
    a.breakdown.breakdownAcquisitionDate = 20100105;
    a.breakdown.breakdownCost = 5000 * kYen;
    a.breakdown.breakdownQuantity = 250;
    ExpectRow(Convert(a), {
                              {InfoCode, "00012307"},
                              {InfoMethod, "一括決算"},
                              {InfoName, "机"},
                              {InfoAcquired, "20100105"},
                              {InfoInService, "20100101"},
                              {InfoQuantity, "2.50"},
                              {InfoCost, "5000"},
                              {InfoBusinessShare, "100.00"},
                              {InfoBusinessShareOf, "100.00"},
                              {InfoSgaShare, "0.00"},
                              {InfoSgaShareOf, "100.00"},
                              {InfoManufacturingShare, "100.00"},
                              {InfoManufacturingShareOf, "100.00"},
                          });
}

TEST(BreakdownRow, NumbersEndingInZeroZeroGiveNoRow) {
    for (const char* number : {"100", "200", "00", "A1", ""}) {
        StAsset a;
        a.master.methodCode = 4;
        Put(a.breakdown.breakdownNo, number);
        WriterRun run;
        run.writer.WriteAssetRow(&a.master, &a.yearly, &a.monthly, &a.breakdown);
        EXPECT_TRUE(run.Rows().empty()) << number;
        const std::vector<std::string> entries = run.Entries();
        ASSERT_EQ(entries.size(), 1u) << number;
        EXPECT_EQ(entries[0],
                  "\n＜WARNING＞\n連携可能な最大内訳件数は99件です。\n100件目から後の内訳は出力されません。");
    }
}

TEST(BreakdownRow, ALeadByteBeforeANonTrailByteStandsAlone) {
    StAsset a;
    Put(a.master.assetCode, "1");
    a.master.methodCode = 4;
    Put(a.breakdown.breakdownNo, "\x81" "12");  // the end is "12", not "2" after a pair 0x81 0x31
    Put(a.breakdown.breakdownName, std::string(31, 'b') + "\x81 x");
    const std::vector<std::string> f = Convert(a);
    ASSERT_EQ(f.size(), 149u);
    EXPECT_EQ(f[InfoCode], "00000112");
    EXPECT_EQ(f[InfoName], std::string(31, 'b') + "\x81");
}

TEST(BreakdownRow, QuantityIsExactAndLargeOnesAreReported) {
    StAsset a;
    a.master.methodCode = 4;
    Put(a.breakdown.breakdownNo, "1");
    a.breakdown.breakdownQuantity = 100000000;  // 1,000,000.00
    WriterRun run;
    run.writer.WriteAssetRow(&a.master, &a.yearly, &a.monthly, &a.breakdown);
    const std::vector<std::string> rows = run.Rows();
    ASSERT_EQ(rows.size(), 1u);
    EXPECT_EQ(SplitFields(rows[0])[14], "1000000.00");
    const std::vector<std::string> entries = run.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].find("数量｢1000000.00｣"), std::string::npos);
}
