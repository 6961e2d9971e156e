// text_file_test.cpp - open modes, outcomes recorded with the last-error store, bytes on disk.
#include <gtest/gtest.h>

#include <cstring>
#include <filesystem>
#include <fstream>
#ifndef _WIN32
#include <sys/resource.h>
#include <sys/stat.h>

#include <csignal>
#endif

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

// An open file is neither closed nor replaced by a second Open: its rows and its pending
// replacement stay, and the other path is not touched.
TEST(TextFileOpen, OpeningAnOpenFileFailsAndKeepsIt) {
    TempDir dir;
    const std::string first = dir.File("first.txt");
    WriteBytes(first, "old");
    const StTAFORMAT t[] = {TextCol("A", 8, 0)};
    char rec[9] = "row";
    ClTextAccessor acc("A", t, 1, rec);
    ClTextFile file;
    ASSERT_EQ(file.Open(first.c_str(), kWriteOver | TFReplace), 0);
    file.Attach(&acc);
    acc.SetMode(Comma, NoQuote);
    ASSERT_EQ(acc.Write(), 0);
    EXPECT_EQ(file.Open(dir.File("second.txt").c_str(), kWriteOver), -1000);
    ExpectRecorded(-1000, "TextFile", 88);
    EXPECT_TRUE(file.IsOpen());
    EXPECT_EQ(acc.Write(), 0);
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(ReadBytes(first), "row\r\nrow\r\n");
    EXPECT_FALSE(std::filesystem::exists(dir.File("second.txt")));
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

// Writes beyond the first bytes fail as on a full disk; POSIX only, where the limit exists.
class FileSizeLimit {
public:
#ifndef _WIN32
    explicit FileSizeLimit(rlim_t bytes) {
        std::signal(SIGXFSZ, SIG_IGN);  // the write fails instead of ending the process
        getrlimit(RLIMIT_FSIZE, &m_old);
        rlimit limit = m_old;
        limit.rlim_cur = bytes;
        m_ok = setrlimit(RLIMIT_FSIZE, &limit) == 0;
    }
    ~FileSizeLimit() { setrlimit(RLIMIT_FSIZE, &m_old); }
#else
    explicit FileSizeLimit(unsigned long) {}
#endif
    bool Works() const { return m_ok; }

private:
#ifndef _WIN32
    rlimit m_old;
#endif
    bool m_ok = false;
};

// One row of text through a fresh accessor; the accessor's result.
long WriteRow(ClTextFile& file, const std::string& text) {
    const StTAFORMAT t[] = {TextCol("A", 1000, 0)};
    char rec[1001] = {};
    std::memcpy(rec, text.data(), text.size() < 1000 ? text.size() : 1000);
    ClTextAccessor acc("A", t, 1, rec);
    file.Attach(&acc);
    acc.SetMode(Comma, NoQuote);
    return acc.Write();
}

size_t EntriesIn(const std::string& folder) {
    size_t n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder)) {
        (void)entry;
        ++n;
    }
    return n;
}

TEST(TextFileClose, UnwritableDataIsReported) {
    TempDir dir;
    ClTextFile file;
    ASSERT_EQ(file.Open(dir.File("full.txt").c_str(), kWriteOver), 0);
    const FileSizeLimit full(4);
    if (!full.Works()) GTEST_SKIP() << "no file size limit here";
    WriteRow(file, "data beyond the limit");  // stays in the stream's buffer until the close
    EXPECT_EQ(file.Close(), -1000);
    ExpectRecorded(-1000, "TextFile", 112);
}

TEST(TextFileOpen, OnlyPlainFilesAreReadOrWritten) {
    TempDir dir;
    ClTextFile file;
    std::filesystem::create_directory(dir.File("folder"));
    EXPECT_EQ(file.Open(dir.File("folder").c_str(), TFRead), -1000);
    EXPECT_EQ(file.Open(dir.File("folder").c_str(), kWriteOver), -1000);
#ifndef _WIN32
    EXPECT_EQ(file.Open("/dev/null", TFWrite | TFAppend), -1000);  // a device swallows the data
    ASSERT_EQ(mkfifo(dir.File("fifo").c_str(), 0600), 0);
    EXPECT_EQ(file.Open(dir.File("fifo").c_str(), TFRead), -1000);  // would wait for a writer
    EXPECT_EQ(file.Open(dir.File("fifo").c_str(), kWriteOver), -1000);
    // A link is followed for reading, never for writing: its target keeps its bytes.
    WriteBytes(dir.File("target.txt"), "target");
    std::filesystem::create_symlink(dir.File("target.txt"), dir.File("link.txt"));
    EXPECT_EQ(file.Open(dir.File("link.txt").c_str(), TFRead), 0);
    EXPECT_EQ(file.Open(dir.File("link.txt").c_str(), kWriteOver), -1000);
    EXPECT_EQ(file.Open(dir.File("link.txt").c_str(), kWriteOver | TFReplace), -1000);
    EXPECT_EQ(ReadBytes(dir.File("target.txt")), "target");
#endif
}

TEST(TextFileReplace, OldFileStaysUntilTheNewOneIsWhole) {
    TempDir dir;
    const std::string path = dir.File("data.csv");
    WriteBytes(path, "old");
    ClTextFile file;
    ASSERT_EQ(file.Open(path.c_str(), kWriteOver | TFReplace), 0);
    ASSERT_EQ(WriteRow(file, "new"), 0);
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(ReadBytes(path), "new\r\n");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);  // the temporary sibling has become the file
}

TEST(TextFileReplace, FailedWriteLeavesTheOldFile) {
    TempDir dir;
    const std::string path = dir.File("data.csv");
    WriteBytes(path, "old");
    ClTextFile file;
    ASSERT_EQ(file.Open(path.c_str(), kWriteOver | TFReplace), 0);
    {
        const FileSizeLimit full(8);
        if (!full.Works()) GTEST_SKIP() << "no file size limit here";
        WriteRow(file, std::string(999, 'x'));
        EXPECT_EQ(file.Close(), -1000);
    }
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);  // the partial sibling is removed
}

TEST(TextFileReplace, TwoWritersNeverMixTheirBytes) {
    TempDir dir;
    const std::string path = dir.File("data.csv");
    ClTextFile first, second;
    ASSERT_EQ(first.Open(path.c_str(), kWriteOver | TFReplace), 0);
    ASSERT_EQ(second.Open(path.c_str(), kWriteOver | TFReplace), 0);
    for (int i = 0; i < 50; ++i) {
        WriteRow(first, std::string(900, 'a'));
        WriteRow(second, "b");
    }
    EXPECT_EQ(first.Close(), 0);
    EXPECT_EQ(second.Close(), 0);
    std::string expected;
    for (int i = 0; i < 50; ++i) expected += "b\r\n";
    EXPECT_EQ(ReadBytes(path), expected);  // the last to finish, whole
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}

#ifdef _WIN32
TEST(TextFileReplace, FileHeldOpenByAnotherProgramStays) {
    TempDir dir;
    const std::string path = dir.File("data.csv");
    WriteBytes(path, "old");
    std::ifstream spreadsheet(path, std::ios::binary);  // the runtime shares reading and writing only
    ASSERT_TRUE(spreadsheet.is_open());
    ClTextFile file;
    ASSERT_EQ(file.Open(path.c_str(), kWriteOver | TFReplace), 0);
    WriteRow(file, "new");
    EXPECT_EQ(file.Close(), -1000);
    spreadsheet.close();
    EXPECT_EQ(ReadBytes(path), "old");
    EXPECT_EQ(EntriesIn(dir.Path()), 1u);
}
#endif

// One accessor reads and then writes through one stream: the row goes where the reading ended.
TEST(TextFileRead, RowWrittenAfterReadingToTheEndIsTaken) {
    TempDir dir;
    const std::string path = dir.File("log.txt");
    WriteBytes(path, "one\r\ntwo\r\n");
    const StTAFORMAT t[] = {TextCol("A", 8, 0)};
    char rec[9] = "";
    ClTextAccessor acc("A", t, 1, rec);
    ClTextFile file;
    ASSERT_EQ(file.Open(path.c_str(), TFWrite | TFAppend), 0);
    file.Attach(&acc);
    acc.SetMode(Comma, NoQuote);
    ASSERT_EQ(acc.Read(), 0);
    ASSERT_EQ(acc.Read(), 0);
    ASSERT_EQ(acc.Read(), 1);
    std::strcpy(rec, "three");
    EXPECT_EQ(acc.Write(), 0);
    char text[] = "four";
    EXPECT_EQ(acc.CommentWrite(text), 0);
    EXPECT_EQ(file.Close(), 0);
    EXPECT_EQ(ReadBytes(path), "one\r\ntwo\r\nthree\r\nfour\r\n");
}

// The end of the file is the end for the reader: what another program appends later is not read.
TEST(TextFileRead, EndOfFileStaysTheEndWhenTheFileGrows) {
    TempDir dir;
    const std::string path = dir.File("grows.txt");
    WriteBytes(path, "one\r\n");
    const StTAFORMAT t[] = {TextCol("A", 8, 0)};
    char rec[9] = "";
    ClTextAccessor acc("A", t, 1, rec);
    ClTextFile file;
    ASSERT_EQ(file.Open(path.c_str(), TFRead), 0);
    file.Attach(&acc);
    acc.SetMode(Comma, NoQuote);
    ASSERT_EQ(acc.Read(), 0);
    ASSERT_EQ(acc.Read(), 1);
    std::ofstream(path, std::ios::binary | std::ios::app) << "two\r\n";
    EXPECT_EQ(acc.Read(), 1);
    EXPECT_STREQ(rec, "one");
}

TEST(TextFileRead, ReadErrorEndsTheReadWithoutException) {
    TempDir dir;
    // A folder opened as a stream: the first read fails (EISDIR), as EIO or a lost share would.
    std::fstream folder(dir.Path(), std::ios::in | std::ios::binary);
    if (!folder.is_open()) GTEST_SKIP() << "the runtime does not open folders as streams";
    const StTAFORMAT t[] = {TextCol("A", 8, 0)};
    char rec[9] = {};
    ClTextAccessor acc("A", t, 1, rec);
    acc.Attach(&folder);
    acc.SetMode(Comma, NoQuote);
    EXPECT_EQ(acc.Read(), 2);
    EXPECT_TRUE(folder.bad());
    EXPECT_EQ(acc.Read(), 1);
}
