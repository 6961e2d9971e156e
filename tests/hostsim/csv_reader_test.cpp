// csv_reader_test.cpp - the stand-in's CSV reader: quoted texts across lines, block ends, refusals.
#include <gtest/gtest.h>

#include <string>
#include <vector>

#include "csvreader.h"
#include "testutil.h"

namespace {

typedef std::vector<std::string> Cells;

// Every row of the file with the line it starts on, and what ended the reading where.
struct StREADALL {
    std::vector<Cells> rows;
    std::vector<long> lines;
    _CsvRead end = CsvEnd;
    long endLine = 0;
};

StREADALL ReadAll(const std::string& bytes) {
    TempDir dir;
    WriteBytes(dir.File("t.csv"), bytes);
    ClCsvReader reader;
    StREADALL all;
    EXPECT_TRUE(reader.Open(dir.File("t.csv").c_str()));
    while ((all.end = reader.Next()) == CsvRow) {
        Cells cells;
        for (long i = 0; i < reader.Cells(); ++i) cells.emplace_back(reader.Cell(i), reader.CellLength(i));
        all.rows.push_back(cells);
        all.lines.push_back(reader.Line());
    }
    all.endLine = reader.Line();
    return all;
}

}  // namespace

TEST(CsvReader, QuotedTextsHoldCommasDoubledQuotesAndLineBreaks) {
    const StREADALL r = ReadAll(";title,line\r\n"
                                "\"a,b\" ,\"say \"\"hi\"\"\",\"1\r\n2\n3\r4\"\r\n"
                                "\r\n  \t\r\n"
                                " x  , y ,z  \n"
                                "last\r");
    EXPECT_EQ(r.end, CsvEnd);
    ASSERT_EQ(r.rows.size(), 3u);
    EXPECT_EQ(r.rows[0], (Cells{"a,b", "say \"hi\"", "1\r\n2\n3\r4"}));
    EXPECT_EQ(r.rows[1], (Cells{"x", "y", "z  "}));  // blanks at the end of a line stay
    EXPECT_EQ(r.rows[2], (Cells{"last"}));
    // Every line break counts, those inside quotes too.
    EXPECT_EQ(r.lines, (std::vector<long>{2, 8, 9}));
}

TEST(CsvReader, ALeadByteTakesOnlyATrailByte) {
    // 表 (0x95 0x5C) is one character; a lead byte before a comma or a quote mark stands alone.
    const StREADALL r = ReadAll("\x95\x5C,\x95,\"\x83\"\r\n");
    ASSERT_EQ(r.rows.size(), 1u);
    EXPECT_EQ(r.rows[0], (Cells{"\x95\x5C", "\x95", "\x83"}));
}

TEST(CsvReader, ARowAcrossTheEndOfABlockReadsWhole) {
    // A comment line before the rows moves the end of the first 64 KiB block over every byte of
    // the first row: a doubled quote, a CR LF and a double-byte character inside quotes.
    for (long shift = 0; shift < 40; ++shift) {
        const StREADALL r = ReadAll(";" + std::string(65536 - shift, 'c') + "\r\n"
                                    "7,\"a\"\"b\r\n\x95\x5C\",end\r\n8,x,y\r\n");
        ASSERT_EQ(r.end, CsvEnd) << shift;
        ASSERT_EQ(r.rows.size(), 2u) << shift;
        EXPECT_EQ(r.rows[0], (Cells{"7", "a\"b\r\n\x95\x5C", "end"})) << shift;
        EXPECT_EQ(r.rows[1], (Cells{"8", "x", "y"})) << shift;
        EXPECT_EQ(r.lines, (std::vector<long>{2, 4})) << shift;
    }
}

TEST(CsvReader, RefusalsNameTheLineOfTheRow) {
    const std::string cell255(255, 'x');
    const std::string longest = cell255 + "," + cell255 + "," + cell255 + "," + cell255;  // 1023 bytes
    struct Case {
        std::string bytes;
        _CsvRead end;
        long line;
    } cases[] = {
        {"a,b\r\nc\rd\r\n", CsvBareCr, 2},
        {"a\r\n;title\rb\r\n", CsvBareCr, 2},
        {"a,\"b\r\nc\r\n", CsvMalformed, 1},  // not closed
        {"a,\"b\"c\r\n", CsvMalformed, 1},
        {"a,b\"c\r\n", CsvMalformed, 1},
        {"a,'b'\r\n", CsvMalformed, 1},
        {std::string("a\r\nb\0c\r\n", 8), CsvMalformed, 2},
        {"a\r\n" + longest + "\r\n" + longest + "y\r\n", CsvMalformed, 3},
        {"a\r\n" + std::string(263, 'x') + "\r\n" + std::string(264, 'x') + "\r\n", CsvMalformed, 3},
        {std::string(64, ',') + "\r\n", CsvMalformed, 1},  // 65 cells
    };
    for (const Case& c : cases) {
        const StREADALL r = ReadAll(c.bytes);
        EXPECT_EQ(r.end, c.end) << c.bytes.substr(0, 40);
        EXPECT_EQ(r.endLine, c.line) << c.bytes.substr(0, 40);
    }
}
