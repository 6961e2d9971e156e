// text_accessor_write_test.cpp - rows, names and comments as the accessor renders them, in bytes.
#include <gtest/gtest.h>

#include <algorithm>
#include <climits>
#include <cstring>
#include <streambuf>
#include <string>
#include <vector>

#include "errorstore.h"
#include "table_helpers.h"
#include "textaccessor.h"

namespace {

struct Rec {
    char a[9];
    char b[5];
    char pad[2];
    int32_t n;
    int16_t s;
    int8_t c;
    char pad2;
    int64_t amount;
};

// Items a (text 8), b (text 4), n (int32), s (int16), c (int8), amount (8 bytes, 2 decimals).
const StTAFORMAT kTable[] = {
    TextCol("A", 8, offsetof(Rec, a)),
    TextCol("BC", 4, offsetof(Rec, b)),
    Col("N", 6, ItemSigned, offsetof(Rec, n), 4),
    Col("S", 4, ItemSigned, offsetof(Rec, s), 2, 2),
    Col("C", 3, ItemSigned, offsetof(Rec, c), 1),
    Col("AMT", 10, ItemSigned, offsetof(Rec, amount), 8, 2),
};

class WriteTest : public ::testing::Test {
protected:
    WriteTest() : acc("T", kTable, 6, &rec) {
        std::memset(&rec, 0, sizeof rec);
        acc.Attach(&sink.stream);
    }
    std::string Row() {
        EXPECT_EQ(acc.Write(), 0);
        return sink.Bytes();
    }
    Rec rec;
    Sink sink;
    ClTextAccessor acc;
};

// One-item accessor over an 8-byte amount, for the amount renderings.
std::string Amount(int64_t v, int decimals, _Delimiter mode = Comma, int width = 10) {
    const StTAFORMAT t[] = {Col("V", width, ItemSigned, 0, 8, decimals)};
    ClTextAccessor acc("V", t, 1, &v);
    Sink sink;
    acc.Attach(&sink.stream);
    acc.SetMode(mode, NoQuote);
    EXPECT_EQ(acc.Write(), 0);
    return sink.Bytes();
}

// A stream buffer that takes nothing, as a full disk would.
struct RefusingBuf : std::streambuf {
    int overflow(int) override { return traits_type::eof(); }
    std::streamsize xsputn(const char*, std::streamsize) override { return 0; }
};

}  // namespace

TEST_F(WriteTest, CommaModeRendersEveryKind) {
    std::strcpy(rec.a, "ab");
    std::strcpy(rec.b, "xyz");
    rec.n = -42;
    rec.s = 5;  // decimals do not scale plain integers
    rec.c = -1;
    rec.amount = 12345678;
    acc.SetMode(Comma, NoQuote);
    EXPECT_EQ(Row(), "ab,xyz,-42,5,-1,1234.56\r\n");
}

TEST_F(WriteTest, FixedModePadsAndAligns) {
    std::strcpy(rec.a, "ab");
    std::strcpy(rec.b, "wxyz");  // exactly the width: no padding
    rec.n = 42;
    rec.s = -3;
    rec.c = 7;
    rec.amount = 10000;
    acc.SetMode(Fixed, NoQuote);
    // amount: integer part right-aligned in 10 - 2 - 1 = 7, then ".00"
    EXPECT_EQ(Row(), "ab      wxyz    42  -3  7      1.00\r\n");
}

TEST_F(WriteTest, FixedModeWritesLongerNumberWhole) {
    rec.n = 12345678;
    acc.SetMode(Fixed, NoQuote);
    EXPECT_EQ(Row().substr(12, 8), "12345678");
}

TEST_F(WriteTest, QuotesEncloseTextsOnly) {
    std::strcpy(rec.a, "it's");
    acc.SetMode(Comma, DoubleQuote);
    EXPECT_EQ(Row(), "\"it's\",\"\",0,0,0,0.00\r\n");  // empty text: two double quotes
}

TEST_F(WriteTest, SingleQuotesAreWrittenUnchangedInside) {
    std::strcpy(rec.a, "a'b");
    acc.SetMode(Tab, SingleQuote);
    EXPECT_EQ(Row(), "'a'b'\t''\t0\t0\t0\t0.00\r\n");
}

TEST_F(WriteTest, EmptyTextWithoutQuoteIsEmptyField) {
    acc.SetMode(Comma, NoQuote);
    EXPECT_EQ(Row(), ",,0,0,0,0.00\r\n");
}

TEST_F(WriteTest, SpaceModeSeparatesByOneBlank) {
    std::strcpy(rec.a, "a");
    acc.SetMode(Space, NoQuote);
    EXPECT_EQ(Row(), "a  0 0 0 0.00\r\n");
}

TEST_F(WriteTest, TextIsCutToWidthEvenInsideDoubleByteCharacter) {
    std::memcpy(rec.a, "1234567\x82\xA0", 9);  // the ninth byte is the second half of a character
    std::strcpy(rec.b, "\x82\xA0\x82\xA0");
    acc.SetMode(Comma, NoQuote);
    EXPECT_EQ(Row().substr(0, 14), "1234567\x82,\x82\xA0\x82\xA0,");
}

TEST_F(WriteTest, UnterminatedTextStopsAtItsField) {
    std::memset(rec.b, 'x', sizeof rec.b);  // no NUL within the 5-byte field
    const StTAFORMAT t[] = {Col("B", 20, ItemText, offsetof(Rec, b), 5)};
    ClTextAccessor one("B", t, 1, &rec);
    one.Attach(&sink.stream);
    one.SetMode(Comma, NoQuote);
    EXPECT_EQ(one.Write(), 0);
    EXPECT_EQ(sink.Bytes(), "xxxxx\r\n");
}

TEST_F(WriteTest, MasksLeaveEmptyBlankOrWidthSpaces) {
    std::strcpy(rec.a, "ab");
    acc.SetMode(Comma, NoQuote);
    acc.SetMask(0, 1);
    acc.SetMask(2, 2);
    EXPECT_EQ(Row(), ",, ,0,0,0.00\r\n");

    Sink fixed;
    acc.Attach(&fixed.stream);
    acc.SetMode(Fixed, NoQuote);
    acc.SetMask(2, 7);
    EXPECT_EQ(acc.Write(), 0);
    EXPECT_EQ(fixed.Bytes().substr(0, 18), "                  ");  // 8 + 4 + 6 spaces
}

TEST_F(WriteTest, MasksOutOfRangeAreRefused) {
    EXPECT_EQ(acc.SetMask(-1, 1), -1);
    EXPECT_EQ(acc.SetMask(6, 1), -1);
    EXPECT_EQ(acc.GetMask(6), -1);
    EXPECT_EQ(acc.SetMask(5, 0x1FF), 0);
    EXPECT_EQ(acc.GetMask(5), 0xFF);  // only the low byte is kept
}

TEST(WriteAmount, NegativeAndZeroAmounts) {
    EXPECT_EQ(Amount(-1, 2), "-0.00\r\n");
    EXPECT_EQ(Amount(0, 2), "0.00\r\n");
    EXPECT_EQ(Amount(0, 0), "0\r\n");
    EXPECT_EQ(Amount(-5, 3), "-0.000\r\n");
    EXPECT_EQ(Amount(10000, 0), "1\r\n");
}

TEST(WriteAmount, FractionIsCutNotRounded) {
    EXPECT_EQ(Amount(12345678, 2), "1234.56\r\n");
    EXPECT_EQ(Amount(19999, 1), "1.9\r\n");
    EXPECT_EQ(Amount(-123456789, 4), "-12345.6789\r\n");
}

TEST(WriteAmount, ExtremesDoNotWrap) {
    EXPECT_EQ(Amount(INT64_MIN, 4), "-922337203685477.5808\r\n");
    EXPECT_EQ(Amount(INT64_MAX, 4), "922337203685477.5807\r\n");
}

TEST(WriteAmount, FixedModeReservesFractionRoom) {
    EXPECT_EQ(Amount(-12345, 2, Fixed, 10), "     -1.23\r\n");
    EXPECT_EQ(Amount(12345, 0, Fixed, 5), "    1\r\n");
}

TEST(WriteAmount, NegativeAmountLeavesRecordUnchanged) {
    int64_t v = -1234567;
    const StTAFORMAT t[] = {Col("V", 10, ItemSigned, 0, 8, 2)};
    ClTextAccessor acc("V", t, 1, &v);
    Sink sink;
    acc.Attach(&sink.stream);
    acc.SetMode(Comma, NoQuote);
    ASSERT_EQ(acc.Write(), 0);
    EXPECT_EQ(v, -1234567);
}

TEST(WriteUnsigned, ZeroExtendedWithFractionRoom) {
    struct {
        uint8_t b;
        uint8_t pad;
        uint16_t h;
        uint32_t w;
    } r = {200, 0, 65535, 4000000000u};
    const StTAFORMAT t[] = {Col("B", 3, ItemUnsigned, 0, 1), Col("H", 5, ItemUnsigned, 2, 2),
                            Col("W", 12, ItemUnsigned, 4, 4, 1)};
    ClTextAccessor acc("U", t, 3, &r);
    Sink sink;
    acc.Attach(&sink.stream);
    acc.SetMode(Fixed, NoQuote);
    ASSERT_EQ(acc.Write(), 0);
    EXPECT_EQ(sink.Bytes(), "200655354000000000.0\r\n");
}

// Sizes no table of the format has: little-endian like the others, signed ones sign-extended.
TEST(WriteOddSizes, ThreeToSevenByteNumbersAreLittleEndian) {
    const unsigned char r[] = {0xFE, 0xFF, 0xFF, 0x01, 0x00, 0x00, 0x00, 0x01};
    const StTAFORMAT t[] = {Col("S3", 4, ItemSigned, 0, 3), Col("U5", 12, ItemUnsigned, 3, 5),
                            Col("S6", 4, ItemSigned, 0, 6), Col("U7", 4, ItemUnsigned, 1, 7)};
    ClTextAccessor acc("O", t, 4, const_cast<unsigned char*>(r));
    Sink sink;
    acc.Attach(&sink.stream);
    acc.SetMode(Comma, NoQuote);
    ASSERT_EQ(acc.Write(), 0);
    EXPECT_EQ(sink.Bytes(), "-2,4294967297,33554430,281474976841727\r\n");
}

TEST_F(WriteTest, OneItemRowHasNoDelimiter) {
    const StTAFORMAT t[] = {TextCol("A", 8, 0)};
    char text[9] = "only";
    ClTextAccessor one("ONE", t, 1, text);
    one.Attach(&sink.stream);
    one.SetMode(Comma, NoQuote);
    EXPECT_EQ(one.Write(), 0);
    EXPECT_EQ(sink.Bytes(), "only\r\n");
}

TEST_F(WriteTest, Write2PutsLeadInsBeforeTheRow) {
    std::strcpy(rec.a, "a");
    acc.SetMode(Tab, NoQuote);
    EXPECT_EQ(acc.Write2(2), 0);
    EXPECT_EQ(sink.Bytes(), "\"\",\"\",a\t\t0\t0\t0\t0.00\r\n");

    Sink plain;
    acc.Attach(&plain.stream);
    EXPECT_EQ(acc.Write2(0), 0);
    Sink viaWrite;
    acc.Attach(&viaWrite.stream);
    EXPECT_EQ(acc.Write(), 0);
    EXPECT_EQ(plain.Bytes(), viaWrite.Bytes());
}

TEST_F(WriteTest, ItemNamesInFixedModeAreSeparatedByTwoSpaces) {
    const StTAFORMAT t[] = {TextCol("A", 8, 0), TextCol("BC", 4, 9)};
    ClTextAccessor two("TWO", t, 2, &rec);
    two.Attach(&sink.stream);
    two.SetMode(Fixed, NoQuote);
    EXPECT_EQ(two.ItemNameWrite(), 0);
    EXPECT_EQ(sink.Bytes(), "A  BC\r\n");
}

TEST_F(WriteTest, ItemNamesAreQuotedAndMasked) {
    acc.SetMode(Comma, DoubleQuote);
    acc.SetMask(1, 2);
    acc.SetMask(3, 1);
    EXPECT_EQ(acc.ItemNameWrite2(1), 0);
    EXPECT_EQ(sink.Bytes(), "\"\",\"A\", ,\"N\",,\"C\",\"AMT\"\r\n");
}

TEST_F(WriteTest, MaskedNameInFixedModeIsBlankWithoutSeparator) {
    acc.SetMode(Fixed, NoQuote);
    acc.SetMask(1, 1);
    acc.SetMask(5, 1);
    EXPECT_EQ(acc.ItemNameWrite(), 0);
    EXPECT_EQ(sink.Bytes(), "A    N  S  C   \r\n");
}

TEST_F(WriteTest, OrderChoosesAndSequencesItems) {
    StTAORDER order[3] = {{2}, {0}, {1}};
    std::strcpy(rec.a, "a");
    std::strcpy(rec.b, "b");
    rec.n = 9;
    acc.SetMode(Comma, NoQuote);
    acc.SetOrder(order, 3);
    acc.SetSelectFlag(0);
    EXPECT_EQ(acc.Write(), 0);
    acc.SetSelectFlag(1);
    EXPECT_EQ(acc.Write(), 0);
    EXPECT_EQ(sink.Bytes(), "9,a,b\r\na,b,9,0,0,0.00\r\n");
}

TEST_F(WriteTest, NegativeOrderCountEmptiesOnlyTheOtherWriters) {
    StTAORDER order[1] = {{0}};
    std::strcpy(rec.a, "a");
    acc.SetMode(Comma, NoQuote);
    acc.SetOrder(order, -1);
    acc.SetSelectFlag(0);
    EXPECT_EQ(acc.ItemNameWrite(), 0);
    EXPECT_EQ(acc.Write(), 0);
    EXPECT_EQ(sink.Bytes(), "\r\na,,0,0,0,0.00\r\n");
}

TEST_F(WriteTest, OrderEntryOutsideTheTableRendersNothing) {
    StTAORDER order[2] = {{0}, {250}};
    std::strcpy(rec.a, "a");
    acc.SetMode(Comma, NoQuote);
    acc.SetOrder(order, 2);
    acc.SetSelectFlag(0);
    EXPECT_EQ(acc.Write(), 0);
    EXPECT_EQ(sink.Bytes(), "a,\r\n");
}

TEST(RotateFormat, MovesBlockCyclicallyAndResets) {
    char rec[10] = "abcde";
    StTAFORMAT t[5];
    const char* names[] = {"a", "b", "c", "d", "e"};
    for (int i = 0; i < 5; ++i) t[i] = Col(names[i], 1, ItemText, i * 2, 2);
    for (int i = 0; i < 5; ++i) rec[i * 2] = names[i][0], rec[i * 2 + 1] = 0;
    ClTextAccessor acc("R", t, 5, rec);
    Sink sink;
    acc.Attach(&sink.stream);
    acc.SetMode(Comma, NoQuote);
    ASSERT_EQ(acc.RotateFormat(1, 3, 3), 0);
    std::string order;
    for (int i = 0; i < 5; ++i) order += acc.GetFormat()[i].name;
    EXPECT_EQ(order, "acdbe");
    acc.SetMask(1, 1);  // masks stay with the index: now the slot of c
    EXPECT_EQ(acc.Write(), 0);
    EXPECT_EQ(sink.Bytes(), "a,,d,b,e\r\n");  // rotated items keep their own values
    EXPECT_EQ(t[1].name[0], 'b');             // the caller's table is never changed
    acc.ResetRotate();
    order.clear();
    for (int i = 0; i < 5; ++i) order += acc.GetFormat()[i].name;
    EXPECT_EQ(order, "abcde");
}

TEST(RotateFormat, RefusesInvalidBlocks) {
    StTAFORMAT t[5];
    for (int i = 0; i < 5; ++i) t[i] = Col("x", 1, ItemText, 0, 2);
    char rec[2] = "";
    ClTextAccessor acc("R", t, 5, rec);
    EXPECT_EQ(acc.RotateFormat(1, 1, 0), 1);   // count 0
    EXPECT_EQ(acc.RotateFormat(4, 4, 1), 1);   // start is the last index
    EXPECT_EQ(acc.RotateFormat(2, 1, 2), 1);   // dest before start
    EXPECT_EQ(acc.RotateFormat(1, 4, 3), 1);   // dest past the block
    EXPECT_EQ(acc.RotateFormat(3, 3, 3), 1);   // block past the table
    EXPECT_EQ(acc.RotateFormat(-1, 0, 2), 1);  // negative start
    EXPECT_EQ(acc.RotateFormat(0, 4, 5), 0);
}

TEST(CommentWrite, WritesTextUnchangedInAnyMode) {
    const StTAFORMAT t[] = {TextCol("A", 8, 0)};
    char rec[9] = "";
    ClTextAccessor acc("C", t, 1, rec);
    Sink sink;
    acc.Attach(&sink.stream);
    acc.SetMode(Comma, DoubleQuote);
    acc.SetCommentMark(";");
    char text[] = "a,\"b\"\nc";  // a bare LF inside stays a bare LF
    EXPECT_EQ(acc.CommentWrite(text), 0);
    EXPECT_EQ(sink.Bytes(), "a,\"b\"\nc\r\n");
}

TEST(CommentWrite, CutsAt1023Bytes) {
    const StTAFORMAT t[] = {TextCol("A", 8, 0)};
    char rec[9] = "";
    ClTextAccessor acc("C", t, 1, rec);
    Sink sink;
    acc.Attach(&sink.stream);
    std::string text(1500, 'x');
    EXPECT_EQ(acc.CommentWrite(&text[0]), 0);
    EXPECT_EQ(sink.Bytes(), std::string(1023, 'x') + "\r\n");
}

TEST(WriteFailure, RefusingStreamGivesMinusOne) {
    RefusingBuf buf;
    std::iostream stream(&buf);
    const StTAFORMAT t[] = {TextCol("A", 8, 0), TextCol("B", 8, 9)};
    char rec[18] = "a";
    ClTextAccessor acc("F", t, 2, rec);
    acc.Attach(&stream);
    acc.SetMode(Comma, NoQuote);
    EXPECT_EQ(acc.Write(), -1);
    stream.clear();
    EXPECT_EQ(acc.ItemNameWrite(), -1);
    stream.clear();
    char text[] = "c";
    EXPECT_EQ(acc.CommentWrite(text), -1);
}

// A stream at its end of file takes nothing, yet does not fail: no writer may report the row
// written.
TEST(WriteFailure, StreamAtItsEndGivesMinusOneFromEveryWriter) {
    struct ItemWriter : ClTextAccessor {
        using ClTextAccessor::ClTextAccessor;
        using ClTextAccessor::WriteItem;
    };
    const StTAFORMAT t[] = {TextCol("A", 8, 0)};
    char rec[9] = "a";
    ItemWriter acc("E", t, 1, rec);
    Sink sink;
    acc.Attach(&sink.stream);
    sink.stream.setstate(std::ios::eofbit);
    char text[] = "c";
    EXPECT_EQ(acc.Write(), -1);
    EXPECT_EQ(acc.Write2(1), -1);
    EXPECT_EQ(acc.ItemNameWrite(), -1);
    EXPECT_EQ(acc.ItemNameWrite2(1), -1);
    EXPECT_EQ(acc.CommentWrite(text), -1);
    EXPECT_EQ(acc.WriteItem(0), -1);
    EXPECT_EQ(sink.Bytes(), "");
}

TEST(SetMode, FixedWithQuoteIsRefusedAndRecorded) {
    const StTAFORMAT t[] = {TextCol("A", 3, 0)};
    char rec[4] = "abc";
    ClTextAccessor acc("M", t, 1, rec);
    Sink sink;
    acc.Attach(&sink.stream);
    ASSERT_EQ(acc.SetMode(Comma, DoubleQuote), 0);
    EXPECT_EQ(acc.SetMode(Fixed, SingleQuote), -1003);
    EXPECT_EQ(ClMsgMgr::Inst()->GetLastErrorCode(), -1003);
    EXPECT_STREQ(ClMsgMgr::Inst()->GetLastErrorSource(), "textaccessor");
    EXPECT_EQ(ClMsgMgr::Inst()->GetLastErrorLine(), 111);
    EXPECT_EQ(acc.Write(), 0);
    EXPECT_EQ(sink.Bytes(), "\"abc\"\r\n");  // the earlier mode stays

    EXPECT_EQ(acc.SetMode(Fixed, NoQuote), 0);
    EXPECT_EQ(ClMsgMgr::Inst()->GetLastErrorCode(), 0);
    EXPECT_STREQ(ClMsgMgr::Inst()->GetLastErrorSource(), "");
    EXPECT_EQ(ClMsgMgr::Inst()->GetLastErrorLine(), 0);
}

TEST(SetMode, AttachRecordsSuccess) {
    const StTAFORMAT t[] = {TextCol("A", 3, 0)};
    char rec[4] = "";
    ClTextAccessor acc("M", t, 1, rec);
    ClMsgMgr::Inst()->SetLastError(-5, "x", 9);
    Sink sink;
    EXPECT_EQ(acc.Attach(&sink.stream), 0);
    EXPECT_EQ(ClMsgMgr::Inst()->GetLastErrorCode(), 0);
    EXPECT_EQ(ClMsgMgr::Inst()->GetLastErrorLine(), 0);
}

TEST(Construction, TableIsCopiedAndCountIsBounded) {
    StTAFORMAT t[1] = {TextCol("A", 3, 0)};
    char rec[4] = "abc";
    ClTextAccessor acc("K", t, 1, rec);
    t[0].width = 1;  // changing the caller's table afterwards does not reach the accessor
    EXPECT_EQ(acc.GetFormat()[0].width, 3);
    ClTextAccessor none("Z", t, -3, rec);
    EXPECT_EQ(none.GetFormatCount(), 0);
    // No more items than there are masks.
    const std::vector<StTAFORMAT> many(250, TextCol("A", 3, 0));
    ClTextAccessor bounded("M", many.data(), 250, rec);
    EXPECT_EQ(bounded.GetFormatCount(), ClTextAccessor::kMaxItems);
}

TEST(WriteRow, RowLongerThanTheRowBufferComesOutWhole) {
    // Six items of 1000 bytes: more than the accessor renders in one piece.
    std::vector<StTAFORMAT> t;
    char rec[6 * 1001] = {};
    std::string expected;
    for (int i = 0; i < 6; ++i) {
        t.push_back(TextCol("T", 1000, i * 1001));
        std::memset(rec + i * 1001, 'a' + i, 1000);
        expected += std::string(1000, static_cast<char>('a' + i)) + (i < 5 ? "," : "\r\n");
    }
    ClTextAccessor acc("L", t.data(), 6, rec);
    Sink sink;
    acc.Attach(&sink.stream);
    acc.SetMode(Comma, NoQuote);
    ASSERT_EQ(acc.Write(), 0);
    EXPECT_EQ(sink.Bytes(), expected);
}

// Without an order the items of a delimited row are rendered by masks looked at eight at a time;
// with the same items through an order list they take the item-by-item path. Both must give the
// same bytes for every mix of masks, kinds and row lengths, runs across the eight-item steps
// included.
TEST(WriteRow, MasksInStepsGiveTheBytesOfTheItemPath) {
    // Each item owns 16 record bytes: texts of every width up to their field (unterminated
    // ones too), integers of 1 to 8 bytes, amounts with 0 to 4 decimals, unsigned items.
    std::vector<StTAFORMAT> t;
    unsigned char rec[37 * 16] = {};
    for (int i = 0; i < 37; ++i) {
        unsigned char* v = rec + i * 16;
        const int64_t x = (i % 2 ? -1 : 1) * (int64_t(1) << (i % 63)) * 7919;
        switch (i % 5) {
            case 0:
            case 1: {
                const int width = 1 + i % 15;
                t.push_back(Col("T", width, ItemText, i * 16, i % 7 == 0 ? width : width + 1));
                for (int k = 0; k < width - i % 3; ++k) v[k] = static_cast<unsigned char>('a' + (i + k) % 26);
                break;
            }
            case 2: t.push_back(Col("I", 12, ItemSigned, i * 16, 1 << (i % 4))); break;
            case 3: t.push_back(Col("M", 15, ItemSigned, i * 16, 8, i % 5)); break;
            default: t.push_back(Col("U", 9, ItemUnsigned, i * 16, 4, i % 3)); break;
        }
        if (t.back().type != ItemText) std::memcpy(v, &x, 8);
    }
    std::vector<StTAORDER> order;
    for (int i = 0; i < 37; ++i) order.push_back(StTAORDER{i});

    const _Delimiter delimiters[] = {Comma, Tab, Space};
    const _Quote quotes[] = {NoQuote, DoubleQuote};
    for (long count : {1L, 7L, 8L, 9L, 16L, 17L, 37L}) {
        for (unsigned seed = 1; seed <= 40; ++seed) {
            ClTextAccessor steps("S", t.data(), count, rec), items("I", t.data(), count, rec);
            items.SetSelectFlag(0);
            items.SetOrder(order.data(), count);
            unsigned r = seed;
            for (long i = 0; i < count; ++i) {
                r = r * 1103515245u + 12345u;
                const long masks[] = {0, 0, 1, 1, 1, 2, 7};
                const long mask = seed == 1 ? 0 : (seed == 2 ? 1 : masks[(r >> 16) % 7]);
                steps.SetMask(i, mask);
                items.SetMask(i, mask);
            }
            for (_Delimiter d : delimiters) {
                for (_Quote q : quotes) {
                    Sink a, b;
                    steps.Attach(&a.stream);
                    items.Attach(&b.stream);
                    steps.SetMode(d, q);
                    items.SetMode(d, q);
                    ASSERT_EQ(steps.Write(), 0);
                    ASSERT_EQ(items.Write(), 0);
                    ASSERT_EQ(a.Bytes(), b.Bytes()) << "count " << count << ", seed " << seed << ", mode " << d;
                }
            }
        }
    }
}

// Texts are copied eight bytes at a time while their field has eight more; every length, in fields
// of every width, must come out as a byte-wise copy cut at the width or the field.
TEST(WriteRow, TextsOfEveryLengthAndFieldAreCopiedWhole) {
    for (int width = 1; width <= 20; ++width) {
        for (int length = 0; length <= 22; ++length) {
            char rec[32] = {};
            for (int k = 0; k < length && k < 31; ++k) rec[k] = static_cast<char>('a' + k);
            const int size = length % 3 == 0 ? width : width + 1;  // unterminated fields too
            const StTAFORMAT t[] = {Col("T", width, ItemText, 0, size)};
            ClTextAccessor acc("T", t, 1, rec);
            Sink sink;
            acc.Attach(&sink.stream);
            acc.SetMode(Comma, NoQuote);
            ASSERT_EQ(acc.Write(), 0);
            const int cut = std::min({length, width, size});
            EXPECT_EQ(sink.Bytes(), std::string(rec, static_cast<size_t>(cut)) + "\r\n") << width << " " << length;
        }
    }
}
