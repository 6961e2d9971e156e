// text_file_test.cpp - open modes, outcomes recorded with the last-error store, bytes on disk.
#include <gtest/gtest.h>

#include <cstring>

#include "errorstore.h"
#include "table_helpers.h"
#include "testutil.h"
#include "textaccessor.h"
#include "textfile.h"

namespace {

void ExpectRecorded(long code, const char* source, long line) {
    EXPECT_EQ(ClMsgMgr::Inst()->GetLastErrorCode(), code);
    EXPECT_STREQ(ClMsgMgr::Inst()->GetLastErrorSource(), source);
    EXPECT_EQ(ClMsgMgr::Inst()->GetLastErrorLine(), line);
}

const TFOpenMode kWriteOver = TFWrite | TFOverwrite;

}  // namespace

TEST(TextFileClose, NeverOpenedOrTwiceSucceeds) {
    ClTextFile file;
    ClMsgMgr::Inst()->SetLastError(-1, "x", 1);
    EXPECT_EQ(file.Close(), 0);
    ExpectRecorded(0, "", 0);
    TempDir dir;
    ASSERT_EQ(file.Open(dir.File("a.txt").c_str(), kWriteOver), 0);
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(file.Close(), 0);
    ExpectRecorded(0, "", 0);
}

TEST(TextFileOpen, PlainWriteRefusesExistingFile) {
    TempDir dir;
    const std::string path = dir.File("exists.txt");
    WriteBytes(path, "keep me");
    ClTextFile file;
    EXPECT_EQ(file.Open(path.c_str(), TFWrite), -1000);
    ExpectRecorded(-1000, "TextFile", 88);
    EXPECT_FALSE(file.IsOpen());
    EXPECT_EQ(ReadBytes(path), "keep me");

    EXPECT_EQ(file.Open(path.c_str(), TFRead | TFWrite), -1000);  // behaves as TFWrite
    EXPECT_EQ(ReadBytes(path), "keep me");

    EXPECT_EQ(file.Open(dir.File("new.txt").c_str(), TFWrite), 0);
    ExpectRecorded(0, "", 0);
}

TEST(TextFileOpen, OverwriteEmptiesAndAppendKeeps) {
    TempDir dir;
    const std::string path = dir.File("f.txt");
    WriteBytes(path, "old");
    {
        ClTextFile file;
        EXPECT_EQ(file.Open(path.c_str(), TFWrite | TFAppend), 0);
        EXPECT_EQ(file.Close(), 0);
    }
    EXPECT_EQ(ReadBytes(path), "old");
    {
        ClTextFile file;
        EXPECT_EQ(file.Open(path.c_str(), kWriteOver), 0);
    }
    EXPECT_EQ(ReadBytes(path), "");
}

TEST(TextFileOpen, AppendWritesAtTheEnd) {
    TempDir dir;
    const std::string path = dir.File("log.txt");
    WriteBytes(path, "one\r\n");
    char text[] = "two";
    const StTAFORMAT t[] = {TextCol("A", 8, 0)};
    char rec[9] = "";
    ClTextAccessor acc("A", t, 1, rec);
    ClTextFile file;
    ASSERT_EQ(file.Open(path.c_str(), TFWrite | TFAppend), 0);
    file.Attach(&acc);
    EXPECT_EQ(acc.CommentWrite(text), 0);
    file.Close();
    EXPECT_EQ(ReadBytes(path), "one\r\ntwo\r\n");

    ASSERT_EQ(file.Open(path.c_str(), TFWrite | TFAppend | TFOverwrite), 0);
    file.Attach(&acc);
    EXPECT_EQ(acc.CommentWrite(text), 0);
    file.Close();
    EXPECT_EQ(ReadBytes(path), "two\r\n");
}

TEST(TextFileOpen, ReadNeedsAnExistingFile) {
    TempDir dir;
    ClTextFile file;
    EXPECT_EQ(file.Open(dir.File("missing.txt").c_str(), TFRead), -1000);
    ExpectRecorded(-1000, "TextFile", 88);
    EXPECT_FALSE(std::filesystem::exists(dir.File("missing.txt")));
    EXPECT_EQ(file.Open(dir.File("nowhere/x.txt").c_str(), kWriteOver), -1000);
    EXPECT_EQ(file.Open(dir.File("m.txt").c_str(), TFAppend), -1000);  // neither read nor write
    EXPECT_FALSE(std::filesystem::exists(dir.File("m.txt")));
}

TEST(TextFileAttach, NullAccessorIsRefused) {
    ClTextFile file;
    EXPECT_EQ(file.Attach(nullptr), -1003);
    ExpectRecorded(-1003, "TextFile", 129);
}

TEST(TextFileLifetime, DestroyingOpenFileClosesWithoutRecording) {
    TempDir dir;
    const std::string path = dir.File("d.txt");
    {
        ClTextFile file;
        ASSERT_EQ(file.Open(path.c_str(), kWriteOver), 0);
        const StTAFORMAT t[] = {TextCol("A", 8, 0)};
        char rec[9] = "row";
        ClTextAccessor acc("A", t, 1, rec);
        file.Attach(&acc);
        acc.SetMode(Comma, NoQuote);
        ASSERT_EQ(acc.Write(), 0);
        ClMsgMgr::Inst()->SetLastError(-42, "marker", 7);
    }
    ExpectRecorded(-42, "marker", 7);
    EXPECT_EQ(ReadBytes(path), "row\r\n");
}

TEST(TextFileBytes, RowsEndInCrLfAndTextsKeepBareLf) {
    TempDir dir;
    const std::string path = dir.File("rows.csv");
    struct {
        char a[20];
        int64_t amount;
    } rec;
    std::memset(&rec, 0, sizeof rec);
    std::strcpy(rec.a, "line1\nline2");
    rec.amount = -15000;
    const StTAFORMAT t[] = {TextCol("A", 19, 0), Col("V", 10, ItemSigned, 24, 8, 2)};
    ClTextAccessor acc("B", t, 2, &rec);
    ClTextFile file;
    ASSERT_EQ(file.Open(path.c_str(), kWriteOver), 0);
    file.Attach(&acc);
    acc.SetMode(Comma, NoQuote);
    ASSERT_EQ(acc.ItemNameWrite(), 0);
    ASSERT_EQ(acc.Write(), 0);
    char comment[] = "\x81\x60\n";
    ASSERT_EQ(acc.CommentWrite(comment), 0);
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(ReadBytes(path), "A,V\r\nline1\nline2,-1.50\r\n\x81\x60\n\r\n");
}

TEST(TextFileBytes, ReadingStripsCrOfCrLf) {
    TempDir dir;
    const std::string path = dir.File("in.csv");
    WriteBytes(path, "a,b\r\nc,d\ne,f");
    struct {
        char x[9];
        char y[9];
    } rec;
    const StTAFORMAT t[] = {TextCol("X", 8, 0), TextCol("Y", 8, 9)};
    ClTextAccessor acc("R", t, 2, &rec);
    ClTextFile file;
    ASSERT_EQ(file.Open(path.c_str(), TFRead), 0);
    file.Attach(&acc);
    acc.SetMode(Comma, NoQuote);
    std::string seen;
    while (acc.Read() == 0) seen += std::string(rec.x) + rec.y + "|";
    EXPECT_EQ(seen, "ab|cd|ef|");
    EXPECT_EQ(file.Close(), 0);
}

TEST(TextFileClose, UnwritableDataIsReported) {
    ClTextFile file;
    if (file.Open("/dev/full", TFWrite | TFAppend) != 0) GTEST_SKIP() << "no /dev/full here";
    const StTAFORMAT t[] = {TextCol("A", 8, 0)};
    char rec[9] = "data";
    ClTextAccessor acc("A", t, 1, rec);
    file.Attach(&acc);
    acc.SetMode(Comma, NoQuote);
    acc.Write();  // stays in the stream's buffer until the close
    EXPECT_EQ(file.Close(), -1000);
    ExpectRecorded(-1000, "TextFile", 112);
}
