// savedpath_test.cpp - the settings file of remembered output paths, on real files.
#include "savedpath.h"

#include <gtest/gtest.h>

#ifndef _WIN32
#include <sys/stat.h>
#endif

#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "buildtable.h"
#include "osapi.h"
#include "pathrules.h"
#include "platform/mapped_temp.h"

namespace {

class SavedPath : public ::testing::Test {
protected:
    const StBUILDINFO& Edition3() { return *FindBuild(3); }
    const StBUILDINFO& Edition5() { return *FindBuild(5); }
    std::string Folder() const { return m_temp.Win("cfg\\"); }
    std::string FileBytes(const char* name = "Marlo3Export.env") const {
        return ReadBytes(m_temp.Native(std::string("cfg/") + name));
    }
    void SetFile(const std::string& bytes, const char* name = "Marlo3Export.env") {
        std::filesystem::create_directories(m_temp.Native("cfg"));
        WriteBytes(m_temp.Native(std::string("cfg/") + name), bytes);
    }
    // The path remembered for owner, or "<none>".
    std::string Load(const StBUILDINFO& build, const StSAVEDPATHOWNER& owner) {
        char path[kPathRoom];
        std::memset(path, '#', sizeof path);
        if (LoadSavedPath(Folder().c_str(), build, owner, path) != 1) {
            // Not found leaves the caller's buffer as it was.
            EXPECT_EQ(std::string(kPathRoom, '#'), std::string(path, kPathRoom));
            return "<none>";
        }
        EXPECT_EQ(std::string(kPathRoom - std::strlen(path), '\0'),
                  std::string(path + std::strlen(path), kPathRoom - std::strlen(path)));
        return path;
    }
    int Store(const StBUILDINFO& build, const StSAVEDPATHOWNER& owner, const std::string& path) {
        return StoreSavedPath(Folder().c_str(), build, owner, path.c_str());
    }

    MappedTemp m_temp;
};

}  // namespace

TEST_F(SavedPath, FirstSaveCreatesFolderAndFile) {
    EXPECT_EQ("<none>", Load(Edition3(), {"u1", 7, "ID1"}));
    // The settings folder is two levels deep and missing altogether.
    const std::string deep = m_temp.Win("a\\b\\");
    EXPECT_EQ(1, StoreSavedPath(deep.c_str(), Edition3(), {"u1", 7, "ID1"}, "C:\\out\\a.csv"));
    EXPECT_EQ("u1/7/ID1:C:\\out\\a.csv\n", ReadBytes(m_temp.Native("a/b/Marlo3Export.env")));
    // Nothing else is left beside it but the lock file, in particular no half-written sibling.
    int entries = 0;
    for (const auto& entry : std::filesystem::directory_iterator(m_temp.Native("a/b"))) {
        if (entry.path().filename() != "Marlo3Export.lck") ++entries;
    }
    EXPECT_EQ(1, entries);
}

TEST_F(SavedPath, KeyFormatPerBuild) {
    ASSERT_EQ(1, Store(Edition3(), {"u1", -3, "ID1"}, "C:\\x.csv"));
    ASSERT_EQ(1, Store(Edition5(), {"u1", -3, "ID1"}, "C:\\y.csv"));
    EXPECT_EQ("u1/-3/ID1:C:\\x.csv\n", FileBytes("Marlo3Export.env"));
    EXPECT_EQ("u1/ID1:C:\\y.csv\n", FileBytes("Marlo5Export.env"));

    // Edition 3 keeps a path per selection; the others share one across selections.
    ASSERT_EQ(1, Store(Edition3(), {"u1", 4, "ID1"}, "C:\\x4.csv"));
    EXPECT_EQ("C:\\x.csv", Load(Edition3(), {"u1", -3, "ID1"}));
    EXPECT_EQ("C:\\x4.csv", Load(Edition3(), {"u1", 4, "ID1"}));
    ASSERT_EQ(1, Store(Edition5(), {"u1", 4, "ID1"}, "C:\\y4.csv"));
    EXPECT_EQ("u1/ID1:C:\\y4.csv\n", FileBytes("Marlo5Export.env"));
    EXPECT_EQ("C:\\y4.csv", Load(Edition5(), {"u1", -3, "ID1"}));
}

TEST_F(SavedPath, SavingAgainMovesTheLineToTheEnd) {
    SetFile("a/1/D:C:\\a\nb/1/D:C:\\b\nc/1/D:C:\\c\n");
    ASSERT_EQ(1, Store(Edition3(), {"b", 1, "D"},
                       "D:\\new\\"
                       "\x95\x5C.csv"));
    EXPECT_EQ("a/1/D:C:\\a\nc/1/D:C:\\c\nb/1/D:D:\\new\\\x95\x5C.csv\n", FileBytes());
    ASSERT_EQ(1, Store(Edition3(), {"a", 1, "D"}, ""));
    EXPECT_EQ("c/1/D:C:\\c\nb/1/D:D:\\new\\\x95\x5C.csv\na/1/D:\n", FileBytes());
    // A remembered empty path is found, as empty.
    EXPECT_EQ("", Load(Edition3(), {"a", 1, "D"}));
    EXPECT_EQ("C:\\c", Load(Edition3(), {"c", 1, "D"}));
}

TEST_F(SavedPath, KeysMatchAtLineStartsOnly) {
    SetFile("AB/1/X:p\nC/1/X:q\n");
    EXPECT_EQ("<none>", Load(Edition3(), {"B", 1, "X"}));
    ASSERT_EQ(1, Store(Edition3(), {"B", 1, "X"}, "r"));
    EXPECT_EQ("AB/1/X:p\nC/1/X:q\nB/1/X:r\n", FileBytes());
    EXPECT_EQ("p", Load(Edition3(), {"AB", 1, "X"}));
    EXPECT_EQ("r", Load(Edition3(), {"B", 1, "X"}));
    // The same inside a path: a path that holds another key's text is not a key.
    SetFile("Z/1/X:C:\\B/1/X:\nB/1/X:s\n");
    EXPECT_EQ("s", Load(Edition3(), {"B", 1, "X"}));
}

// A file edited in Notepad (CR LF) or by an editor that writes CR alone: every line end is one, the
// path carries no CR, and a save writes LF lines and keeps every other user's line.
TEST_F(SavedPath, CrLfAndBareCrEndLinesToo) {
    SetFile("a/ID1:C:\\a.csv\r\nb/ID1:C:\\b.csv\rc/ID1:C:\\c.csv\r", "Marlo5Export.env");
    EXPECT_EQ("C:\\a.csv", Load(Edition5(), {"a", 0, "ID1"}));
    EXPECT_EQ("C:\\b.csv", Load(Edition5(), {"b", 0, "ID1"}));
    EXPECT_EQ("C:\\c.csv", Load(Edition5(), {"c", 0, "ID1"}));
    EXPECT_EQ(1, Store(Edition5(), {"b", 0, "ID1"}, "C:\\new.csv"));
    EXPECT_EQ("a/ID1:C:\\a.csv\nc/ID1:C:\\c.csv\nb/ID1:C:\\new.csv\n", FileBytes("Marlo5Export.env"));
}

// A user identifier may hold the key's own delimiters: a key that begins with another user's whole
// key is that other user's line, neither proposed to nor removed by them.
TEST_F(SavedPath, AKeyMatchesOnlyAsAWholeKey) {
    SetFile("ab/ID1:C:/ID1:C:\\theirs.csv\n", "Marlo5Export.env");  // user "ab/ID1:C:"
    EXPECT_EQ("<none>", Load(Edition5(), {"ab", 0, "ID1"}));
    EXPECT_EQ(1, Store(Edition5(), {"ab", 0, "ID1"}, "C:\\mine.csv"));
    EXPECT_EQ("ab/ID1:C:/ID1:C:\\theirs.csv\nab/ID1:C:\\mine.csv\n", FileBytes("Marlo5Export.env"));
    EXPECT_EQ("C:\\mine.csv", Load(Edition5(), {"ab", 0, "ID1"}));
    EXPECT_EQ("C:\\theirs.csv", Load(Edition5(), {"ab/ID1:C:", 0, "ID1"}));
}

TEST_F(SavedPath, LastLineWithoutLineFeed) {
    // Not written by the program, but a hand-edited file must not glue two lines together.
    SetFile("a/1/D:pa\nb/1/D:pb");
    EXPECT_EQ("pb", Load(Edition3(), {"b", 1, "D"}));
    ASSERT_EQ(1, Store(Edition3(), {"c", 1, "D"}, "pc"));
    EXPECT_EQ("a/1/D:pa\nb/1/D:pb\nc/1/D:pc\n", FileBytes());
    SetFile("a/1/D:pa\nb/1/D:pb");
    ASSERT_EQ(1, Store(Edition3(), {"b", 1, "D"}, "pb2"));
    EXPECT_EQ("a/1/D:pa\nb/1/D:pb2\n", FileBytes());
}

TEST_F(SavedPath, LargeFileAndLongKeys) {
    std::string content;
    for (int i = 0; i < 2000; ++i) content += "user" + std::to_string(i) + "/1/DATA:C:\\exports\\file.csv\n";
    ASSERT_GT(content.size(), 65536u);  // beyond 16-bit offsets and lengths, signed or not
    SetFile(content);
    EXPECT_EQ("C:\\exports\\file.csv", Load(Edition3(), {"user1999", 1, "DATA"}));
    ASSERT_EQ(1, Store(Edition3(), {"user1000", 1, "DATA"}, "D:\\moved.csv"));
    std::string expected = content;
    const std::string moved = "user1000/1/DATA:C:\\exports\\file.csv\n";
    expected.erase(expected.find("\n" + moved) + 1, moved.size());
    expected += "user1000/1/DATA:D:\\moved.csv\n";
    EXPECT_EQ(expected, FileBytes());

    // The longest identifiers the host hands out: 64-byte user, 34-byte data set, far beyond 50
    // bytes of key. Two users alike in their first 60 bytes keep their own paths.
    const std::string userA = std::string(60, 'u') + "AAAA";
    const std::string userB = std::string(60, 'u') + "BBBB";
    const std::string dataSet(34, 'd');
    const std::string longPath = "C:\\" + std::string(256, 'p');  // 259 bytes
    ASSERT_EQ(1, Store(Edition3(), {userA.c_str(), -2147483647 - 1, dataSet.c_str()}, longPath));
    ASSERT_EQ(1, Store(Edition3(), {userB.c_str(), -2147483647 - 1, dataSet.c_str()}, "C:\\b.csv"));
    EXPECT_EQ(longPath, Load(Edition3(), {userA.c_str(), -2147483647 - 1, dataSet.c_str()}));
    EXPECT_EQ("C:\\b.csv", Load(Edition3(), {userB.c_str(), -2147483647 - 1, dataSet.c_str()}));
    const std::string tail = FileBytes().substr(expected.size());
    EXPECT_EQ(userA + "/-2147483648/" + dataSet + ":" + longPath + "\n" + userB + "/-2147483648/" + dataSet +
                  ":C:\\b.csv\n",
              tail);
}

TEST_F(SavedPath, FailedWriteLeavesTheOldFile) {
    const std::string old = "a/1/D:C:\\a\nb/1/D:C:\\b\n";
    SetFile(old);
    // A folder under the fixed sibling name that saves once used no longer stands in the way: every
    // save writes a sibling of its own.
    std::filesystem::create_directory(m_temp.Native("cfg/Marlo3Export.tmp"));
    EXPECT_EQ(1, Store(Edition3(), {"a", 1, "D"}, "C:\\new"));
    EXPECT_EQ("b/1/D:C:\\b\na/1/D:C:\\new\n", FileBytes());
    EXPECT_TRUE(std::filesystem::is_directory(m_temp.Native("cfg/Marlo3Export.tmp")));
    // A read-only file is left as it is, as Windows refuses to replace it; its mode too.
    namespace fs = std::filesystem;
    const std::string settings = m_temp.Native("cfg/Marlo3Export.env");
    const fs::perms writable = fs::perms::owner_write | fs::perms::group_write | fs::perms::others_write;
    fs::permissions(settings, writable, fs::perm_options::remove);
    EXPECT_EQ(0, Store(Edition3(), {"b", 1, "D"}, "C:\\other"));
    EXPECT_EQ("b/1/D:C:\\b\na/1/D:C:\\new\n", FileBytes());
    EXPECT_EQ(fs::perms::none, fs::status(settings).permissions() & writable);
    fs::permissions(settings, fs::perms::owner_write, fs::perm_options::add);
#ifndef _WIN32
    // Otherwise the replacement keeps the old file's mode.
    fs::permissions(settings, fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read);
    EXPECT_EQ(1, Store(Edition3(), {"b", 1, "D"}, "C:\\other"));
    EXPECT_EQ(fs::perms::owner_read | fs::perms::owner_write | fs::perms::group_read, fs::status(settings).permissions());
#endif

    // A settings name taken by a folder is not overwritten either.
    std::filesystem::create_directory(m_temp.Native("cfg/Marlo5Export.env"));
    EXPECT_EQ(0, Store(Edition5(), {"a", 1, "D"}, "C:\\new"));
    EXPECT_TRUE(std::filesystem::is_directory(m_temp.Native("cfg/Marlo5Export.env")));
}

#ifndef _WIN32
// A settings file that is a link is read through it and saved by replacing the file it leads to;
// the link stays. A link that leads nowhere or to a FIFO saves nothing, and nothing waits on it.
TEST_F(SavedPath, LinkIsReadThroughAndItsFileReplaced) {
    namespace fs = std::filesystem;
    fs::create_directories(m_temp.Native("cfg"));
    fs::create_directories(m_temp.Native("real"));
    const std::string file = m_temp.Native("real/settings.env");
    WriteBytes(file, "a/1/D:C:\\a\n");
    fs::create_symlink(file, m_temp.Native("cfg/Marlo3Export.env"));
    EXPECT_EQ("C:\\a", Load(Edition3(), {"a", 1, "D"}));
    ASSERT_EQ(1, Store(Edition3(), {"b", 1, "D"}, "C:\\b"));
    EXPECT_TRUE(fs::is_symlink(m_temp.Native("cfg/Marlo3Export.env")));
    EXPECT_EQ("a/1/D:C:\\a\nb/1/D:C:\\b\n", ReadBytes(file));
    // The file and the lock beside it, which guards the file rather than the link.
    EXPECT_EQ(2, std::distance(fs::directory_iterator(m_temp.Native("real")), fs::directory_iterator()));
    EXPECT_TRUE(fs::exists(m_temp.Native("real/settings.lck")));

    fs::remove(file);
    EXPECT_EQ(0, Store(Edition3(), {"b", 1, "D"}, "C:\\c"));
    EXPECT_FALSE(fs::exists(file));
    ASSERT_EQ(0, mkfifo(file.c_str(), 0600));
    EXPECT_EQ("<none>", Load(Edition3(), {"a", 1, "D"}));
    EXPECT_EQ(0, Store(Edition3(), {"b", 1, "D"}, "C:\\c"));
}
#endif

#ifndef _WIN32
// Users whose settings folders each hold a link to one shared file save at once: they meet at the
// lock beside that file, and every line is kept.
TEST_F(SavedPath, SavesThroughLinksToOneFileKeepEveryLine) {
    namespace fs = std::filesystem;
    fs::create_directories(m_temp.Native("shared"));
    WriteBytes(m_temp.Native("shared/settings.env"), "");
    std::vector<std::thread> savers;
    std::vector<int> results(8, -1);
    for (int i = 0; i < 8; ++i) {
        const std::string folder = "cfg" + std::to_string(i);
        fs::create_directories(m_temp.Native(folder));
        fs::create_symlink(m_temp.Native("shared/settings.env"), m_temp.Native(folder + "/Marlo3Export.env"));
        savers.emplace_back([this, i, folder, &results] {
            const std::string user = "u" + std::to_string(i);
            results[static_cast<size_t>(i)] = StoreSavedPath(m_temp.Win(folder + "\\").c_str(), Edition3(),
                                                             {user.c_str(), 1, "D"}, ("C:\\" + user).c_str());
        });
    }
    for (std::thread& saver : savers) saver.join();
    EXPECT_EQ(results, std::vector<int>(8, 1));
    const std::string kept = ReadBytes(m_temp.Native("shared/settings.env"));
    for (int i = 0; i < 8; ++i) EXPECT_NE(kept.find("u" + std::to_string(i) + "/1/D:"), std::string::npos) << kept;
}
#endif

// Ten saves at once, each with a file handle and a lock of its own as separate programs have:
// every line is kept.
TEST_F(SavedPath, SavesAtOnceKeepEveryLine) {
    SetFile("");
    std::vector<std::thread> savers;
    std::vector<int> results(10, -1);
    for (int i = 0; i < 10; ++i) {
        savers.emplace_back([this, i, &results] {
            const std::string user = "u" + std::to_string(i);
            results[static_cast<size_t>(i)] = Store(Edition3(), {user.c_str(), 1, "D"}, "C:\\" + user);
        });
    }
    for (std::thread& saver : savers) saver.join();
    EXPECT_EQ(results, std::vector<int>(10, 1));
    for (int i = 0; i < 10; ++i) {
        const std::string user = "u" + std::to_string(i);
        EXPECT_EQ("C:\\" + user, Load(Edition3(), {user.c_str(), 1, "D"}));
    }
}

// Found by fuzzing: with the owner's line twice, removing only the first let the second shadow
// the new line.
TEST_F(SavedPath, SaveRemovesEveryLineOfTheOwner) {
    SetFile("a/1/D:C:\\old\nb/1/D:C:\\b\na/1/D:C:\\older\n");
    ASSERT_EQ(1, Store(Edition3(), {"a", 1, "D"}, "C:\\new"));
    EXPECT_EQ("b/1/D:C:\\b\na/1/D:C:\\new\n", FileBytes());
    EXPECT_EQ("C:\\new", Load(Edition3(), {"a", 1, "D"}));
}

TEST_F(SavedPath, NothingSavedWithoutFolderOrForUnfitPaths) {
    EXPECT_EQ(0, StoreSavedPath("", Edition3(), {"a", 1, "D"}, "C:\\x"));
    EXPECT_EQ(0, Store(Edition3(), {"a", 1, "D"}, "C:\\x\nb/1/D:C:\\y"));            // would forge a line
    EXPECT_EQ(0, Store(Edition3(), {"a", 1, "D"}, "C:\\" + std::string(258, 'p')));  // 261 bytes
    EXPECT_FALSE(std::filesystem::exists(m_temp.Native("cfg/Marlo3Export.env")));
    // A stored path too long for the caller's buffer would be proposed cut: not proposed at all.
    SetFile("a/1/D:C:\\" + std::string(258, 'p') + "\n");
    EXPECT_EQ("<none>", Load(Edition3(), {"a", 1, "D"}));
}
