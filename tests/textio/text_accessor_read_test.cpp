// text_accessor_read_test.cpp - splitting, converting and counting lines read back by the accessor.
#include <gtest/gtest.h>

#include <climits>
#include <cstring>
#include <string>
#include <utility>
#include <vector>

#include "table_helpers.h"
#include "textaccessor.h"

namespace {

struct Rec {
    char a[9];
    char b[9];
    char c[9];
    char pad[1];
    int64_t amount;
    int32_t n;
};

const StTAFORMAT kThreeTexts[] = {TextCol("A", 8, offsetof(Rec, a)), TextCol("B", 8, offsetof(Rec, b)),
                                  TextCol("C", 8, offsetof(Rec, c))};

// An accessor of the given table reading the given bytes.
class Reader {
public:
    Reader(const StTAFORMAT* table, long count, const std::string& bytes, _Delimiter mode = Comma,
           _Quote quote = NoQuote)
        : acc("R", table, count, &rec) {
        std::memset(&rec, 0, sizeof rec);
        sink.stream.str(bytes);
        acc.Attach(&sink.stream);
        acc.SetMode(mode, quote);
    }
    Rec rec;
    Sink sink;
    ClTextAccessor acc;
};

// Reads one number through a one-item table; in Fixed mode the item keeps all its blanks.
long ReadNumber(const std::string& text, int64_t* value, _Delimiter mode = Fixed) {
    const StTAFORMAT t[] = {Col("V", static_cast<int>(text.size()), ItemSigned, offsetof(Rec, amount), 8)};
    Reader r(t, 1, text + "\r\n", mode);
    r.rec.amount = 777;
    const long result = r.acc.Read();
    *value = r.rec.amount;
    return result;
}

}  // namespace

TEST(ReadComma, ItemsTextsAndAbsentItems) {
    Reader r(kThreeTexts, 3, "x, y ,z\r\na,b,\r\n,,\r\n");
    ASSERT_EQ(r.acc.Read(), 0);
    EXPECT_STREQ(r.rec.a, "x");
    EXPECT_STREQ(r.rec.b, "y");  // blanks around an unquoted item are dropped
    EXPECT_STREQ(r.rec.c, "z");
    std::strcpy(r.rec.c, "keep");
    ASSERT_EQ(r.acc.Read(), 0);  // a,b, is three items, the last absent
    EXPECT_STREQ(r.rec.a, "a");
    EXPECT_STREQ(r.rec.b, "b");
    EXPECT_STREQ(r.rec.c, "");  // an absent text item stores an empty text
    EXPECT_EQ(r.acc.Read(), 0);  // two commas: three absent items
    EXPECT_EQ(r.acc.Read(), 1);
}

TEST(ReadComma, EmptyLineIsOneAbsentItem) {
    const StTAFORMAT one[] = {TextCol("A", 8, 0)};
    Reader r(one, 1, "\r\n", Comma);
    EXPECT_EQ(r.acc.Read(), 0);
    Reader two(kThreeTexts, 2, "\r\n", Comma);
    EXPECT_EQ(two.acc.Read(), 2);
}

TEST(ReadComma, ItemCountMustMatch) {
    Reader few(kThreeTexts, 3, "a,b\r\n");
    EXPECT_EQ(few.acc.Read(), 2);
    Reader many(kThreeTexts, 3, "a,b,c,d\r\n");
    EXPECT_EQ(many.acc.Read(), 2);
}

TEST(ReadComma, QuotedItems) {
    Reader r(kThreeTexts, 3, "\"a,b\" , '' ,\"x'y\"\r\n");
    ASSERT_EQ(r.acc.Read(), 0);
    EXPECT_STREQ(r.rec.a, "a,b");
    EXPECT_STREQ(r.rec.b, "");
    EXPECT_STREQ(r.rec.c, "x'y");
}

TEST(ReadComma, QuoteSettingDecidesWhichQuoteOpens) {
    Reader dq(kThreeTexts, 3, "'a',b,c\r\n", Comma, DoubleQuote);
    EXPECT_EQ(dq.acc.Read(), 2);
    Reader none(kThreeTexts, 3, "'a',b,c\r\n", Comma, NoQuote);
    EXPECT_EQ(none.acc.Read(), 0);
    EXPECT_STREQ(none.rec.a, "a");
}

TEST(ReadComma, MalformedQuotingIsRefused) {
    Reader inside(kThreeTexts, 3, "a\"b,c,d\r\n");
    EXPECT_EQ(inside.acc.Read(), 2);
    Reader open(kThreeTexts, 3, "\"abc,d,e\r\n");
    EXPECT_EQ(open.acc.Read(), 2);
    Reader after(kThreeTexts, 3, "\"a\"x,b,c\r\n");
    EXPECT_EQ(after.acc.Read(), 2);
}

TEST(ReadComma, BlankEndsItemUnlessSpaceFlag) {
    Reader strict(kThreeTexts, 3, "a b,c,d\r\n");
    EXPECT_EQ(strict.acc.Read(), 2);
    Reader loose(kThreeTexts, 3, "a b  ,c,d e \r\n");
    loose.acc.SetSpaceFlag(1);
    ASSERT_EQ(loose.acc.Read(), 0);
    EXPECT_STREQ(loose.rec.a, "a b");
    EXPECT_STREQ(loose.rec.c, "d e ");  // at the end of the line the blanks stay
}

TEST(ReadComma, RequiredItemMustBePresent) {
    const StTAFORMAT t[] = {TextCol("A", 8, offsetof(Rec, a), 1), TextCol("B", 8, offsetof(Rec, b), 1)};
    Reader r(t, 2, "a,\r\nb,\"\"\r\n");
    EXPECT_EQ(r.acc.Read(), 2);
    EXPECT_STREQ(r.rec.a, "a");  // items before the failing one are stored
    EXPECT_EQ(r.acc.Read(), 0);  // a quoted empty item is present
}

TEST(ReadComma, TextLongerThanFieldIsRefused) {
    const StTAFORMAT t[] = {Col("A", 20, ItemText, 0, 4)};
    Reader r(t, 1, "abc\r\nabcd\r\n");
    EXPECT_EQ(r.acc.Read(), 0);
    EXPECT_EQ(r.acc.Read(), 2);
}

TEST(ReadTab, SpacesAreBlanksTabsSeparate) {
    Reader r(kThreeTexts, 3, " a \t\t'c'  \r\na b\tc\td\r\n", Tab);
    ASSERT_EQ(r.acc.Read(), 0);
    EXPECT_STREQ(r.rec.a, "a");
    EXPECT_STREQ(r.rec.b, "");
    EXPECT_STREQ(r.rec.c, "c");
    EXPECT_EQ(r.acc.Read(), 2);
}

TEST(ReadSpace, RunsOfBlanksSeparate) {
    Reader r(kThreeTexts, 3, "  a \t b 'c'\r\nb\"c\" x y\r\n", Space);
    ASSERT_EQ(r.acc.Read(), 0);
    EXPECT_STREQ(r.rec.a, "a");
    EXPECT_STREQ(r.rec.b, "b");
    EXPECT_STREQ(r.rec.c, "c");
    EXPECT_EQ(r.acc.Read(), 2);  // a quote inside an unquoted item
}

TEST(ReadSpace, QuotedItemsNeedNoBlankBetween) {
    Reader r(kThreeTexts, 3, "'' 'y'\"z\"\r\na b\r\n", Space);
    ASSERT_EQ(r.acc.Read(), 0);
    EXPECT_STREQ(r.rec.a, "");
    EXPECT_STREQ(r.rec.b, "y");
    EXPECT_STREQ(r.rec.c, "z");
    EXPECT_EQ(r.acc.Read(), 2);  // two items for a row of three
}

TEST(ReadFixed, WidthsMustAddUpToTheLine) {
    const StTAFORMAT t[] = {TextCol("A", 3, offsetof(Rec, a)), TextCol("B", 2, offsetof(Rec, b))};
    Reader r(t, 2, "a  bc\r\na  b\r\na  bcd\r\n", Fixed);
    ASSERT_EQ(r.acc.Read(), 0);
    EXPECT_STREQ(r.rec.a, "a  ");  // padding blanks come back
    EXPECT_STREQ(r.rec.b, "bc");
    EXPECT_EQ(r.acc.Read(), 2);
    EXPECT_EQ(r.acc.Read(), 2);
}

TEST(CheckNumeric, ParsesLikeTheWriterWrites) {
    int64_t v = 0;
    EXPECT_EQ(ReadNumber("1,234.5", &v), 0);
    EXPECT_EQ(v, 12345000);
    EXPECT_EQ(ReadNumber(".123456", &v), 0);
    EXPECT_EQ(v, 1234);
    EXPECT_EQ(ReadNumber("12a", &v), 0);
    EXPECT_EQ(v, 120000);
    EXPECT_EQ(ReadNumber(" -7 ", &v), 0);
    EXPECT_EQ(v, -70000);
    EXPECT_EQ(ReadNumber("+", &v), 0);
    EXPECT_EQ(v, 0);
    EXPECT_EQ(ReadNumber("-0.0001", &v), 0);
    EXPECT_EQ(v, -1);
}

TEST(CheckNumeric, RefusesMalformedNumbers) {
    int64_t v = 0;
    EXPECT_EQ(ReadNumber("1 2", &v), 2);
    EXPECT_EQ(ReadNumber("3-", &v), 2);
    EXPECT_EQ(ReadNumber("1.2.3", &v), 2);
}

TEST(CheckNumeric, EmptyLeavesValueUnchanged) {
    int64_t v = 0;
    EXPECT_EQ(ReadNumber("\"\"", &v, Tab), 0);  // a quoted empty item
    EXPECT_EQ(v, 777);
    EXPECT_EQ(ReadNumber("   ", &v), 0);
    EXPECT_EQ(v, 777);
}

TEST(CheckNumeric, BeyondSixtyFourBitsIsRefused) {
    int64_t v = 0;
    EXPECT_EQ(ReadNumber("922337203685477.5807", &v), 0);
    EXPECT_EQ(v, INT64_MAX);
    EXPECT_EQ(ReadNumber("-922337203685477.5808", &v), 0);
    EXPECT_EQ(v, INT64_MIN);
    EXPECT_EQ(ReadNumber("922337203685477.5808", &v), 2);
    EXPECT_EQ(ReadNumber("922337203685478", &v), 2);
    EXPECT_EQ(ReadNumber("99999999999999999999999", &v), 2);
    EXPECT_EQ(v, 777);
}

TEST(CheckNumeric, SmallIntegersAreTruncatedTowardZero) {
    const StTAFORMAT t[] = {Col("N", 8, ItemSigned, offsetof(Rec, n), 4)};
    Reader r(t, 1, "-1.9\r\n42\r\n", Tab);
    ASSERT_EQ(r.acc.Read(), 0);
    EXPECT_EQ(r.rec.n, -1);
    ASSERT_EQ(r.acc.Read(), 0);
    EXPECT_EQ(r.rec.n, 42);
}

TEST(ReadLines, CommentLinesSkippedAndCounted) {
    const StTAFORMAT one[] = {TextCol("A", 8, 0)};
    Reader r(one, 1, ";title\r\ndata\r\n");
    r.acc.SetCommentMark(";");
    ASSERT_EQ(r.acc.Read(), 0);
    EXPECT_STREQ(r.rec.a, "data");
    EXPECT_EQ(r.acc.GetPhysicalLineNo(), 2);
    EXPECT_EQ(r.acc.GetLogicalLineNo(), 1);
}

TEST(ReadLines, CommentLinesReportedWithoutSkip) {
    const StTAFORMAT one[] = {TextCol("A", 8, 0)};
    Reader r(one, 1, ";title\r\ndata\r\n");
    r.acc.SetCommentMark(";");
    r.acc.SetCommentSkip(0);
    EXPECT_EQ(r.acc.Read(), 3);
    EXPECT_STREQ(r.rec.a, "");
    ASSERT_EQ(r.acc.Read(), 0);
    EXPECT_STREQ(r.rec.a, "data");
    EXPECT_EQ(r.acc.GetPhysicalLineNo(), 2);
    EXPECT_EQ(r.acc.GetLogicalLineNo(), 1);
}

TEST(ReadLines, WithoutMarkBothCountersCountRows) {
    const StTAFORMAT one[] = {TextCol("A", 8, 0)};
    Reader r(one, 1, ";a\n;b\n;c\n");
    for (int i = 0; i < 3; ++i) ASSERT_EQ(r.acc.Read(), 0);
    EXPECT_EQ(r.acc.Read(), 1);
    EXPECT_EQ(r.acc.Read(), 1);  // and stays at the end
    EXPECT_EQ(r.acc.GetPhysicalLineNo(), 3);
    EXPECT_EQ(r.acc.GetLogicalLineNo(), 3);
}

TEST(ReadLines, LastLineWithoutLineEndIsARow) {
    const StTAFORMAT one[] = {TextCol("A", 8, 0)};
    Reader r(one, 1, "first\r\nlast");
    ASSERT_EQ(r.acc.Read(), 0);
    ASSERT_EQ(r.acc.Read(), 0);
    EXPECT_STREQ(r.rec.a, "last");
    EXPECT_EQ(r.acc.Read(), 1);
}

TEST(ReadLines, CrIsStrippedOnlyBeforeLineFeed) {
    const StTAFORMAT one[] = {Col("A", 20, ItemText, 0, 9)};
    Reader r(one, 1, "a\rb\r\n");
    ASSERT_EQ(r.acc.Read(), 0);
    EXPECT_STREQ(r.rec.a, "a\rb");
    char line[ClTextAccessor::kLineBytes];
    r.acc.GetReadLine(line);
    EXPECT_STREQ(line, "a\rb");
}

TEST(ReadLines, OverlongLineGivesTwoAndReadingGoesOn) {
    const StTAFORMAT t[] = {Col("A", 1023, ItemText, 0, 1024)};
    char big[1100];
    std::string exact(1023, 'e');
    std::string bytes = std::string(1500, 'x') + "\r\n" + exact + "\r\nnext\r\n";
    ClTextAccessor acc("L", t, 1, big);
    Sink sink;
    sink.stream.str(bytes);
    acc.Attach(&sink.stream);
    acc.SetMode(Comma, NoQuote);
    EXPECT_EQ(acc.Read(), 2);
    ASSERT_EQ(acc.Read(), 0);  // 1023 bytes and CR LF still fit
    EXPECT_EQ(std::string(big), exact);
    ASSERT_EQ(acc.Read(), 0);
    EXPECT_STREQ(big, "next");
    EXPECT_EQ(acc.GetPhysicalLineNo(), 3);
}

// An overlong line is a data line like any other unless the comment mark makes it a comment.
TEST(ReadLines, OverlongLineIsCountedAsItsKind) {
    const StTAFORMAT t[] = {Col("A", 1023, ItemText, 0, 1024)};
    char big[1100];
    ClTextAccessor acc("L", t, 1, big);
    Sink sink;
    sink.stream.str(std::string(1500, 'x') + "\r\n;" + std::string(1500, 'c') + "\r\ndata\r\n");
    acc.Attach(&sink.stream);
    acc.SetMode(Comma, NoQuote);
    EXPECT_EQ(acc.Read(), 2);
    EXPECT_EQ(acc.GetLogicalLineNo(), 1);
    acc.SetCommentMark(";");
    ASSERT_EQ(acc.Read(), 0);
    EXPECT_STREQ(big, "data");
    EXPECT_EQ(acc.GetPhysicalLineNo(), 3);
    EXPECT_EQ(acc.GetLogicalLineNo(), 2);
}

TEST(ReadLines, LineLimitCountsTheBytesBeforeTheLineEnd) {
    const StTAFORMAT t[] = {Col("A", 1023, ItemText, 0, 1024)};
    char big[1100];
    ClTextAccessor acc("L", t, 1, big);
    Sink sink;
    // 1024 bytes and LF: one too many. 1023 bytes and a CR at the end of the file: the CR goes.
    sink.stream.str(std::string(1024, 'x') + "\n" + std::string(1023, 'e') + "\r");
    acc.Attach(&sink.stream);
    acc.SetMode(Comma, NoQuote);
    EXPECT_EQ(acc.Read(), 2);
    ASSERT_EQ(acc.Read(), 0);
    EXPECT_EQ(std::string(big), std::string(1023, 'e'));
    EXPECT_EQ(acc.Read(), 1);
}

TEST(ReadLines, OrderedRowIsReadInOrder) {
    StTAORDER order[2] = {{2}, {0}};
    Reader r(kThreeTexts, 3, "c,a\r\n");
    r.acc.SetOrder(order, 2);
    r.acc.SetSelectFlag(0);
    ASSERT_EQ(r.acc.Read(), 0);
    EXPECT_STREQ(r.rec.c, "c");
    EXPECT_STREQ(r.rec.a, "a");
}

TEST(ReadLines, RowOfMoreThanHundredItemsIsRefused) {
    StTAFORMAT t[101];
    for (auto& f : t) f = Col("X", 1, ItemText, 0, 2);
    char rec[2];
    ClTextAccessor acc("W", t, 101, rec);
    Sink sink;
    sink.stream.str(std::string(100, ',') + "\r\n");
    acc.Attach(&sink.stream);
    acc.SetMode(Comma, NoQuote);
    EXPECT_EQ(acc.Read(), 2);
}

// What the writer writes, the reader reads back, in every mode.
TEST(ReadRoundTrip, EveryModeGivesTheRecordBack) {
    const StTAFORMAT t[] = {TextCol("A", 8, offsetof(Rec, a)), Col("AMT", 14, ItemSigned, offsetof(Rec, amount), 8, 4),
                            Col("N", 6, ItemSigned, offsetof(Rec, n), 4)};
    const _Delimiter modes[] = {Fixed, Comma, Tab, Space};
    for (_Delimiter mode : modes) {
        Rec out;
        std::memset(&out, 0, sizeof out);
        std::strcpy(out.a, mode == Fixed ? "x y     " : "x\x95\x5C");
        out.amount = -123456789;
        out.n = -77;
        ClTextAccessor writer("W", t, 3, &out);
        Sink sink;
        writer.Attach(&sink.stream);
        writer.SetMode(mode, mode == Fixed ? NoQuote : DoubleQuote);
        ASSERT_EQ(writer.Write(), 0);

        Rec in;
        std::memset(&in, 0, sizeof in);
        ClTextAccessor reader("W", t, 3, &in);
        reader.Attach(&sink.stream);
        reader.SetMode(mode, mode == Fixed ? NoQuote : DoubleQuote);
        ASSERT_EQ(reader.Read(), 0) << "mode " << mode << ": " << sink.Bytes();
        EXPECT_STREQ(in.a, out.a);
        EXPECT_EQ(in.amount, out.amount);
        EXPECT_EQ(in.n, out.n);
    }
}

namespace {

// Where each item of a row lies: its offset in the line (-1 absent) and its length.
using Items = std::vector<std::pair<long, long>>;

// The comma rule written out byte by byte, as the scanner stood before its byte-class table.
long ReferenceComma(const char* line, long size, long wanted, bool blanksEnd, _Quote quote, Items& out) {
    auto add = [&](long start, long length) {
        if (static_cast<long>(out.size()) >= wanted) return false;
        out.push_back({start, length});
        return true;
    };
    auto blank = [](char c) { return c == ' ' || c == '\t'; };
    auto isQuote = [](char c) { return c == '\'' || c == '"'; };
    long p = 0;
    for (;;) {
        while (p < size && blank(line[p])) ++p;
        if (p >= size) return add(-1, 0) && static_cast<long>(out.size()) == wanted ? 0 : 2;
        if (line[p] == ',') {
            if (!add(-1, 0)) return 2;
            ++p;
            continue;
        }
        if (isQuote(line[p])) {
            const char q = line[p];
            if ((quote == SingleQuote && q != '\'') || (quote == DoubleQuote && q != '"')) return 2;
            long e = p + 1;
            while (e < size && line[e] != q) ++e;
            if (e >= size || !add(p + 1, e - p - 1)) return 2;
            p = e + 1;
        } else {
            const long start = p;
            while (p < size && line[p] != ',' && !isQuote(line[p]) && !(blanksEnd && blank(line[p]))) ++p;
            if (p < size && isQuote(line[p])) return 2;
            long end = p;
            if (p < size && line[p] == ',')
                while (end > start && blank(line[end - 1])) --end;
            if (!add(start, end - start)) return 2;
            if (p >= size) break;
        }
        while (p < size && blank(line[p])) ++p;
        if (p >= size) break;
        if (line[p] != ',') return 2;
        ++p;
    }
    return static_cast<long>(out.size()) == wanted ? 0 : 2;
}

// An accessor that notes the texts of the items of each row it reads.
class SplitRecorder : public ClTextAccessor {
public:
    SplitRecorder(const StTAFORMAT* table, long count) : ClTextAccessor("S", table, count, &m_record) {}
    std::vector<std::string> items;

    // Read's answer for the line, with the texts of its items.
    long ReadSplit() {
        std::memset(&m_record, 0, sizeof m_record);
        items.clear();
        const long r = Read();
        if (r != 0) return r;
        for (const char* text : {m_record.a, m_record.b, m_record.c}) items.push_back(text);
        items.resize(static_cast<size_t>(GetFormatCount()));
        return 0;
    }

private:
    Rec m_record;
};

}  // namespace

// Every line of up to five bytes of blanks, commas, quotes, NULs and an ordinary byte, under
// every setting, splits as the byte-by-byte rule splits it.
TEST(ReadComma, SplitsAsTheByteByByteRule) {
    const char alphabet[] = {'a', ' ', '\t', ',', '"', '\'', '\0'};
    std::vector<std::string> lines{""};
    for (size_t from = 0, to = 1, length = 1; length <= 5; ++length, from = to, to = lines.size())
        for (size_t i = from; i < to; ++i)
            for (char c : alphabet) lines.push_back(lines[i] + c);
    std::string bytes;
    for (const std::string& line : lines) bytes += line + "\n";
    for (long wanted = 1; wanted <= 3; ++wanted)
        for (int spaceFlag = 0; spaceFlag <= 1; ++spaceFlag)
            for (_Quote quote : {NoQuote, SingleQuote, DoubleQuote}) {
                SplitRecorder acc(kThreeTexts, wanted);
                Sink sink;
                sink.stream.str(bytes);
                acc.Attach(&sink.stream);
                acc.SetMode(Comma, quote);
                acc.SetSpaceFlag(spaceFlag);
                for (const std::string& line : lines) {
                    Items expected;
                    const long r = ReferenceComma(line.c_str(), static_cast<long>(strnlen(line.c_str(), 1023)),
                                                  wanted, spaceFlag == 0, quote, expected);
                    ASSERT_EQ(acc.ReadSplit(), r) << "line \"" << line << "\" wanted " << wanted << " spaceFlag " << spaceFlag
                                             << " quote " << quote;
                    if (r == 0) {
                        // An absent item reads as an empty text.
                        std::vector<std::string> texts;
                        for (const auto& item : expected)
                            texts.push_back(item.first < 0 ? "" : line.substr(item.first, item.second));
                        ASSERT_EQ(acc.items, texts) << "line \"" << line << "\"";
                    }
                }
            }
}
