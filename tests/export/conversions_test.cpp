// conversions_test.cpp - code endings, fixed-point values, totals, quotients, amounts and quantities.
#include "conversions.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <cstring>
#include <string>

#include "export_helpers.h"
#include "sjisbytes.h"

static std::string Last(const char* text, size_t n) {
    char out[16];
    LastChars(text, n, out);
    return out;
}

TEST(LastChars, ShortTextStaysWhole) {
    EXPECT_EQ(Last("5", 2), "5");
    EXPECT_EQ(Last("", 6), "");
    EXPECT_EQ(Last("ABCDEF", 6), "ABCDEF");
}

TEST(LastChars, LongTextKeepsItsEnd) {
    EXPECT_EQ(Last("ABCDEFG", 6), "BCDEFG");
    EXPECT_EQ(Last("123", 2), "23");
}

TEST(LastChars, NeverStartsInsideADoubleByteCharacter) {
    // X and three double-byte characters (7 bytes): the three characters are kept.
    EXPECT_EQ(Last("Xあいう", 6), "あいう");
    // Three double-byte characters and a single byte: the first character does not fit whole.
    EXPECT_EQ(Last("あいうA", 6), "いうA");
    // 表 has the trail byte 0x5C; its trail is never taken as a character of its own.
    EXPECT_EQ(Last("A表", 1), "");
    EXPECT_EQ(Last("AB表", 3), "B表");
}

// The cut looks back from the limit for a byte that cannot lead; it must land where a walk from
// the start lands, for every mix of lead, trail and single bytes.
TEST(SjisFitBytes, CutLandsWhereAWalkFromTheStartLands) {
    const unsigned char bytes[] = {'A', 0x5C, 0x81, 0x82, 0x9F, 0xE0, 0xFC, 0x40, 0x7F, 0x80, 0xA0, 0xDF, 0xFD};
    unsigned r = 7;
    for (int round = 0; round < 20000; ++round) {
        char text[48] = {};
        const size_t length = static_cast<size_t>(round % 40);
        for (size_t i = 0; i < length; ++i) {
            r = r * 1103515245u + 12345u;
            text[i] = static_cast<char>(bytes[(r >> 16) % sizeof bytes]);
        }
        for (size_t limit = 0; limit <= length + 1; ++limit) {
            size_t walked = 0;
            while (text[walked] != '\0' && walked + static_cast<size_t>(SjisCharBytes(text + walked)) <= limit)
                walked += static_cast<size_t>(SjisCharBytes(text + walked));
            ASSERT_EQ(SjisFitBytes(text, limit), walked) << "round " << round << ", limit " << limit;
        }
    }
}

TEST(LeadingNumbers, WholeNumbersAreWhatStrtodGives) {
    for (const char* text : {"0", "-0", "+7", "123456789012345", "-123456789012345", "1234567890123456",
                             "99999999999999999999", "0000000000000012"}) {
        EXPECT_EQ(LeadingNumber(text), std::strtod(text, nullptr)) << text;
        EXPECT_EQ(std::signbit(LeadingNumber(text)), std::signbit(std::strtod(text, nullptr))) << text;
    }
}

TEST(PadZero, PadsWithTheDigitZero) {
    char out[16];
    PadZero("12", 6, out);
    EXPECT_STREQ(out, "000012");
    PadZero("", 2, out);
    EXPECT_STREQ(out, "00");
    PadZero("ABCDEFG", 6, out);
    EXPECT_STREQ(out, "ABCDEFG");
}

// Item 0 takes the end of a code in one step: what PadZero makes of LastChars.
TEST(ZeroPaddedEnd, IsPadZeroOfLastChars) {
    for (const char* text : {"", "5", "12", "ABCDEF", "ABCDEFGH", "Xあいう", "あいうA", "AB表", "A\x81"}) {
        for (const size_t n : {size_t(2), size_t(6)}) {
            char tail[16];
            char expected[16];
            LastChars(text, n, tail);
            PadZero(tail, n, expected);
            char out[16];
            ZeroPaddedEnd(text, std::strlen(text), n, out);
            EXPECT_STREQ(out, expected) << text << ", " << n;
        }
    }
}

TEST(CleanNumberText, DropsCommasAndBlanksOnly) {
    char out[32];
    CleanNumberText(" 1,234 .5,x-", out);
    EXPECT_STREQ(out, "1234.5x-");
    CleanNumberText("", out);
    EXPECT_STREQ(out, "");
}

TEST(LeadingNumbers, ReadOnlyPlainDecimals) {
    EXPECT_EQ(LeadingInteger("05"), 5);
    EXPECT_EQ(LeadingInteger(" -7x"), -7);
    EXPECT_EQ(LeadingInteger("A1"), 0);
    EXPECT_EQ(LeadingInteger("00"), 0);
    EXPECT_DOUBLE_EQ(LeadingNumber("1234.567kg"), 1234.567);
    EXPECT_DOUBLE_EQ(LeadingNumber("1.5e3x"), 1500.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("2e"), 2.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("inf"), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("0x10"), 0.0);
    EXPECT_DOUBLE_EQ(LeadingNumber("セ"), 0.0);
}

TEST(ToFixedPoint, RoundsHalfUpAtTheFifthDecimal) {
    tagCY v = 7;
    ASSERT_EQ(ToFixedPoint(0.00005, &v), 1);
    EXPECT_EQ(v, 1);
    ASSERT_EQ(ToFixedPoint(-2.5, &v), 1);
    EXPECT_EQ(v, -25000);
    ASSERT_EQ(ToFixedPoint(0.0, &v), 1);
    EXPECT_EQ(v, 0);
}

TEST(ToFixedPoint, SinglePrecisionRatesComeOutExact) {
    for (int rate : {1, 167, 200, 250, 999, 1000, 200000}) {
        tagCY v = 0;
        ASSERT_EQ(ToFixedPoint(static_cast<float>(rate) * 0.001f, &v), 1);
        EXPECT_EQ(v, rate * 10) << rate;
    }
    for (int quantity : {1, 250, 333, 99999999, -250}) {
        tagCY v = 0;
        ASSERT_EQ(ToFixedPoint(quantity * 0.01, &v), 1);
        EXPECT_EQ(v, static_cast<tagCY>(quantity) * 100) << quantity;
    }
}

TEST(ToFixedPoint, RefusesWhatNoValueHolds) {
    tagCY v = 42;
    EXPECT_EQ(ToFixedPoint(1e14, &v), 0);
    EXPECT_EQ(ToFixedPoint(-1e14, &v), 0);
    EXPECT_EQ(ToFixedPoint(1e300, &v), 0);
    EXPECT_EQ(v, 42);
    ASSERT_EQ(ToFixedPoint(99999999999999.0, &v), 1);
    EXPECT_EQ(v, 999999999999990000LL);
}

static std::string Total(tagCY a, tagCY b, tagCY c) {
    const tagCY parts[3] = {a, b, c};
    char text[kTotalTextBytes];
    FormatTotal(parts, 3, text);
    return text;
}

TEST(FormatTotal, IntegerPartOfTheExactSum) {
    EXPECT_EQ(Total(0, 0, 0), "0");
    EXPECT_EQ(Total(1234567000, 0, 0), "123456");
    EXPECT_EQ(Total(5000, 5000, 0), "1");  // the fractions add up before the cut
    EXPECT_EQ(Total(21474836470000LL, 0, 0), "2147483647");
}

TEST(FormatTotal, BeyondThirtyTwoBitsIsExactWithItsSign) {
    EXPECT_EQ(Total(21474836480000LL, 0, 0), "2147483648");
    EXPECT_EQ(Total(-50000, 0, 0), "-5");
    EXPECT_EQ(Total(INT64_MAX, INT64_MAX, INT64_MAX), "2767011611056432");
    EXPECT_EQ(Total(INT64_MIN, INT64_MIN, 0), "-1844674407370955");
}

TEST(DivideFixed, FourDecimalsRoundedHalfUp) {
    EXPECT_EQ(DivideFixed(10000, 30000), 3333);
    EXPECT_EQ(DivideFixed(20000, 30000), 6667);
    EXPECT_EQ(DivideFixed(10000LL * 10000, 1000000), 1000000);  // 10000 / 100 = 100.00
    EXPECT_EQ(DivideFixed(8050LL * 10000, 1000000), 805000);
    EXPECT_EQ(DivideFixed(-10000, 30000), -3333);
    EXPECT_EQ(DivideFixed(-10000, -30000), 3333);
    EXPECT_EQ(DivideFixed(99999, 10000000000LL), 0);  // a zero quotient has no sign
    EXPECT_EQ(DivideFixed(5, 0), 0);
}

// The business share is the host's ratio over 100 as DivideFixed gives it, for every ratio.
TEST(PercentFromHundredths, IsDivideFixedOfTheShareOverAHundred) {
    for (int ratio = INT16_MIN; ratio <= INT16_MAX; ++ratio) {
        ASSERT_EQ(PercentFromHundredths(ratio), DivideFixed(static_cast<tagCY>(ratio) * 10000, kHundred)) << ratio;
    }
}

TEST(DivideFixed, CarriesIntoTheIntegerPart) {
    // 2 / 2.0001 = 0.99995..., rounded to four decimals: 1.0000
    EXPECT_EQ(DivideFixed(20000, 20001), 10000);
    EXPECT_EQ(DivideFixed(INT64_MAX, INT64_MAX), 10000);
}

TEST(FormatAmount, IntegerPartOrEmptyOrAsterisks) {
    WriterRun run;
    tagCY v = 0;
    EXPECT_STREQ(run.writer.FormatAmount(&v), "");
    v = 123456789;
    EXPECT_STREQ(run.writer.FormatAmount(&v), "12345");
    v = -123456789;
    EXPECT_STREQ(run.writer.FormatAmount(&v), "-12345");
    v = -5000;
    EXPECT_STREQ(run.writer.FormatAmount(&v), "0");
    v = 999999999990000LL;
    EXPECT_STREQ(run.writer.FormatAmount(&v), "99999999999");
    v = -99999999990000LL;
    EXPECT_STREQ(run.writer.FormatAmount(&v), "-9999999999");
    EXPECT_EQ(run.Log(), "");
}

TEST(FormatAmount, OverTheDigitLimitLogsTheIntegerPart) {
    WriterRun run;
    tagCY v = 999999999995000LL;  // 99,999,999,999.5
    EXPECT_STREQ(run.writer.FormatAmount(&v), "************");
    v = 1000000000000000LL;
    EXPECT_STREQ(run.writer.FormatAmount(&v), "************");
    v = -100000000000000LL;
    EXPECT_STREQ(run.writer.FormatAmount(&v), "************");
    const std::vector<std::string> entries = run.Entries();
    ASSERT_EQ(entries.size(), 3u);
    EXPECT_EQ(entries[0], "\n＜ERROR＞\n金額｢99999999999｣は、連携可能最大桁数をオーバーしています。");
    EXPECT_EQ(entries[1], "\n＜ERROR＞\n金額｢100000000000｣は、連携可能最大桁数をオーバーしています。");
    EXPECT_EQ(entries[2], "\n＜ERROR＞\n金額｢-10000000000｣は、連携可能最大桁数をオーバーしています。");
}

// Items 14 and 15 after ParseQuantity: the record values and masks.
struct Quantity {
    bool shown;
    tagCY value;
    std::string unit;
};

static Quantity Parse(WriterRun& run, const char* text) {
    ClTextAccessor& info = run.writer.InfoAccessor();
    info.SetMask(InfoQuantity, 1);
    info.SetMask(InfoUnit, 1);
    run.writer.ParseQuantity(text);
    Quantity q;
    q.shown = info.GetMask(InfoQuantity) == 0;
    std::memcpy(&q.value, run.writer.InfoRecord() + G_INFO[InfoQuantity].offset, sizeof q.value);
    q.unit = reinterpret_cast<const char*>(run.writer.InfoRecord() + G_INFO[InfoUnit].offset);
    EXPECT_EQ(info.GetMask(InfoUnit), 0) << text;
    return q;
}

TEST(ParseQuantity, NumberAndUnit) {
    WriterRun run;
    Quantity q = Parse(run, "3台");
    EXPECT_TRUE(q.shown);
    EXPECT_EQ(q.value, 30000);
    EXPECT_EQ(q.unit, "台");
    q = Parse(run, "1,234.567kg");
    EXPECT_EQ(q.value, 12345700);
    EXPECT_EQ(q.unit, "kg");
    q = Parse(run, "12");
    EXPECT_EQ(q.value, 120000);
    EXPECT_EQ(q.unit, "");
    q = Parse(run, "台");
    EXPECT_EQ(q.value, 0);
    EXPECT_EQ(q.unit, "台");
    q = Parse(run, "0.125個");
    EXPECT_EQ(q.value, 1300);
    q = Parse(run, "0.999m");
    EXPECT_EQ(q.value, 10000);  // the fraction rounds up into the integer part
    EXPECT_EQ(run.Log(), "");
}

TEST(ParseQuantity, UnitIsAtMostFourBytesOfWholeCharacters) {
    WriterRun run;
    Quantity q = Parse(run, "5セット");
    EXPECT_EQ(q.value, 50000);
    EXPECT_EQ(q.unit, "ット");
    q = Parse(run, "7xアイ");
    EXPECT_EQ(q.unit, "アイ");
    // Four bytes back from the end would start inside ア: the unit gives up one byte.
    q = Parse(run, "7アイx");
    EXPECT_EQ(q.unit, "イx");
    EXPECT_EQ(q.value, 70000);
}

TEST(ParseQuantity, LargeQuantitiesAreWrittenAndReported) {
    WriterRun run;
    EXPECT_EQ(Parse(run, "1,500,000台").value, 15000000000LL);
    EXPECT_EQ(Parse(run, "999999.99").value, 9999999900LL);   // a million in single precision
    EXPECT_EQ(Parse(run, "-2000000").value, -20000000000LL);  // negative: no message
    const std::vector<std::string> entries = run.Entries();
    ASSERT_EQ(entries.size(), 2u);
    EXPECT_EQ(entries[0],
              "\n＜WARNING＞\n数量｢1500000."
              "00｣は、連携可能最大桁数をオーバーしています。\n減価償却データが、正しく連携されない可能性があ"
              "ります。");
    EXPECT_NE(entries[1].find("数量｢999999.99｣"), std::string::npos);
}

TEST(ParseQuantity, BeyondTheFixedPointRangeLeavesTheItemEmpty) {
    WriterRun run;
    const Quantity q = Parse(run, "100000000000000個");
    EXPECT_FALSE(q.shown);
    EXPECT_EQ(q.unit, "個");
    const std::vector<std::string> entries = run.Entries();
    ASSERT_EQ(entries.size(), 1u);
    EXPECT_NE(entries[0].find("数量｢100000000000000.00｣"), std::string::npos);
}

// Remainders below 2^59 are divided in 64 bits, larger ones in 128; both must give what the whole
// quotient in wide arithmetic gives, rounded half up.
TEST(DivideFixed, WideRemaindersGiveWhatWideArithmeticGives) {
    __extension__ typedef unsigned __int128 uwide;
    const tagCY divisors[] = {(tagCY(1) << 59) - 1, (tagCY(1) << 59) + 1, (tagCY(1) << 60) + 3, INT64_MAX, 30000};
    for (const tagCY b : divisors) {
        for (const tagCY a : {b - 1, b / 2 + 7, INT64_MAX, tagCY(12345), -(b / 3)}) {
            const uint64_t ua = a < 0 ? 0 - static_cast<uint64_t>(a) : static_cast<uint64_t>(a);
            const uwide digits = static_cast<uwide>(ua) * 100000 / static_cast<uint64_t>(b);
            const tagCY expected = static_cast<tagCY>((digits + 5) / 10) * (a < 0 ? -1 : 1);
            EXPECT_EQ(DivideFixed(a, b), expected) << a << " / " << b;
        }
    }
}
