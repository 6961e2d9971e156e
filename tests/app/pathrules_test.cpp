// pathrules_test.cpp - path rules and folder creation on real folders under mapped drives.
#include "pathrules.h"

#include <gtest/gtest.h>

#include <atomic>
#include <cstring>
#include <filesystem>
#include <string>
#include <thread>
#include <vector>

#include "osapi.h"
#include "platform/mapped_temp.h"

namespace {

const std::string kHyo = "\x95\x5C";  // 表
const std::string kSo = "\x83\x5C";   // ソ
const std::string kPo = "\x83\x7C";   // ポ

struct StBUF {
    char text[kPathRoom];
    explicit StBUF(const std::string& s) {
        std::memset(text, 0, sizeof text);
        std::strncpy(text, s.c_str(), kPathRoom - 1);
    }
};

std::string FolderPart(const std::string& path, bool* ok = nullptr) {
    StBUF b(path);
    const bool result = GetFolderPart(b.text);
    if (ok) *ok = result;
    return b.text;
}

// A name the file system refuses to create although the path rules let it through.
std::string UncreatableName() {
#ifdef _WIN32
    return "c?d";
#else
    std::string name;
    for (int i = 0; i < 90; ++i) name += kHyo;  // 270 bytes in UTF-8: beyond a name's limit
    return name;
#endif
}

}  // namespace

TEST(IsValidPathText, CharacterRule) {
    EXPECT_TRUE(IsValidPathText("C:\\out\\data.csv"));
    EXPECT_TRUE(IsValidPathText(("C:\\" + kHyo + "\\" + kSo + kPo + ".csv").c_str()));
    EXPECT_TRUE(IsValidPathText("data.csv"));
    EXPECT_FALSE(IsValidPathText("C:\\out\\*.csv"));  // the default proposal
    EXPECT_FALSE(IsValidPathText("C:\\out\\a:b.csv"));
    EXPECT_FALSE(IsValidPathText("C:\\out\\a,b.csv"));
    EXPECT_FALSE(IsValidPathText("C:\\out;x\\b.csv"));
    for (const char* bad : {"/", "?", "\"", ">", "<", "|"})
        EXPECT_FALSE(IsValidPathText((std::string("C:\\a") + bad + "b").c_str())) << bad;
    EXPECT_FALSE(IsValidPathText("C:\\a\\\\b.csv"));
    EXPECT_FALSE(IsValidPathText("a\\\\b"));  // no colon: the whole text is examined for pairs
    // Before the drive colon only the doubled backslash counts.
    EXPECT_TRUE(IsValidPathText(",:\\x"));
    // Control characters, which Windows refuses in names, anywhere.
    for (const char* bad : {"C:\\a\tb.csv", "C:\\a\x01.csv", "C:\\a\x1F", "\x0D:\\a.csv"})
        EXPECT_FALSE(IsValidPathText(bad)) << bad;
}

TEST(IsValidPathText, NetworkPaths) {
    EXPECT_TRUE(IsValidPathText("\\\\srv\\share\\data.csv"));
    EXPECT_FALSE(IsValidPathText("\\\\srv\\\\share\\data.csv"));
    EXPECT_FALSE(IsValidPathText("\\\\srv\\share\\a:b"));  // colon anywhere after the two bytes
    // A pair starting at index 2 is not examined; a third backslash at the start passes.
    EXPECT_TRUE(IsValidPathText("\\\\\\srv\\share\\f"));
    EXPECT_TRUE(IsValidPathText("\\\\\\\\srv"));
    EXPECT_FALSE(IsValidPathText("\\\\\\\\\\srv"));  // the pair at index 3
}

TEST(IsDriveUsable, LettersAndIndex) {
    OsResetDrives();
    // Z: is fixed and "/" readable and writable by default, like Wine's.
    EXPECT_TRUE(IsDriveUsable('Z', AccessReadWrite));
    EXPECT_TRUE(IsDriveUsable('z', AccessReadWrite));
    EXPECT_TRUE(IsDriveUsable('Q', AccessReadWrite));  // no root dir: passes this rule
    for (char c : {'1', ' ', '[', '`', '{', '@', '\x95', '\0'})
        EXPECT_FALSE(IsDriveUsable(c, AccessReadWrite)) << int(c);
}

TEST(IsDriveUsable, DriveTypes) {
    MappedTemp temp;
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);
    const std::string base = temp.Dir().Path();
    const char* folder = base.c_str();
    const std::string missing = temp.Native("missing");
    struct {
        char letter;
        const char* folder;
        unsigned type;
        bool usable;
    } cases[] = {
        {'B', folder, DriveUnknown, false},
        {'C', folder, DriveFixed, true},
        {'D', missing.c_str(), DriveFixed, false},
        {'E', "", DriveRemovable, false},
        {'F', folder, DriveRemovable, true},
        {'G', folder, DriveRemote, true},
        {'H', missing.c_str(), DriveRemote, false},
        {'I', folder, DriveCdRom, false},
        {'J', folder, DriveRamDisk, false},
        {'K', folder, 7, true},
        {'L', "", 7, true},
    };
    for (const auto& c : cases) {
        ASSERT_TRUE(OsMapDrive(c.letter, c.folder, c.type));
        EXPECT_EQ(IsDriveUsable(c.letter, AccessReadWrite), c.usable) << c.letter << " type " << c.type;
        EXPECT_EQ(IsDriveUsable(static_cast<char>(c.letter + 32), AccessReadWrite), c.usable) << c.letter;
    }
    // The path rule uses the first byte and mode 6.
    EXPECT_TRUE(IsValidDrive("C:\\x.csv"));
    EXPECT_FALSE(IsValidDrive("I:\\x.csv"));
    EXPECT_FALSE(IsValidDrive("E:\\x.csv"));
    EXPECT_FALSE(IsValidDrive("C:\\a\\\\x.csv"));
    // A path that lies in a current folder is no drive: one without "X:", whatever its first
    // letter, and "C:name" in drive C's current folder, which the run made the program's own.
    for (const char* rootless : {"Cx.csv", "ZorvanDef.ini", "C", "\\x.csv", "C:x.csv", "C:ZorvanDef.ini", "C:"})
        EXPECT_FALSE(IsValidDrive(rootless)) << rootless;
}

TEST(IsValidDrive, NetworkShareMustBeReachable) {
    MappedTemp temp;
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);
    ASSERT_TRUE(OsSetShareFolder(temp.Dir().Path().c_str()));
    ASSERT_TRUE(OsCreateDirectory("\\\\srv"));
    ASSERT_TRUE(OsCreateDirectory("\\\\srv\\share"));
    EXPECT_TRUE(IsValidDrive("\\\\srv\\share\\x.csv"));
    EXPECT_TRUE(IsValidDrive("\\\\srv\\share\\"));
    EXPECT_FALSE(IsValidDrive("\\\\srv\\share"));  // no backslash after the share
    EXPECT_FALSE(IsValidDrive("\\\\srv"));
    EXPECT_FALSE(IsValidDrive("\\\\srv\\other\\x.csv"));
    ASSERT_TRUE(OsCreateDirectory(("\\\\" + kSo).c_str()));
    ASSERT_TRUE(OsCreateDirectory(("\\\\" + kSo + "\\s").c_str()));
    EXPECT_TRUE(IsValidDrive(("\\\\" + kSo + "\\s\\x.csv").c_str()));  // 0x5C in the server name
}

TEST(GetFolderPart, DriveAndDirectory) {
    bool ok = true;
    EXPECT_EQ(FolderPart("", &ok), "");
    EXPECT_FALSE(ok);
    EXPECT_EQ(FolderPart("C:\\out\\data.csv"), "C:\\out\\");
    EXPECT_EQ(FolderPart("C:\\out\\"), "C:\\out\\");
    EXPECT_EQ(FolderPart("C:data.csv"), "C:\\");
    EXPECT_EQ(FolderPart("C:"), "C:");
    EXPECT_EQ(FolderPart("C:\\" + kHyo + "\\" + kSo + ".csv"), "C:\\" + kHyo + "\\");
    EXPECT_EQ(FolderPart("C:\\" + kSo), "C:\\");
    EXPECT_EQ(FolderPart("\\\\srv\\share\\f.csv"), "\\\\srv\\share\\");
    FolderPart("data.csv", &ok);
    EXPECT_FALSE(ok);
}

// Inputs longer than a path buffer: the folder part that does not fit is refused, path untouched.
TEST(GetFolderPart, FolderThatDoesNotFitIsRefused) {
    // The directory alone, cut to 260 bytes, and the drive exceed the room.
    std::string tooLong = "C:\\" + std::string(259, 'a') + "\\x.csv";
    // 260 bytes ending in "/": no room for the closing backslash.
    std::string noRoom = "C:\\" + std::string(256, 'a') + "/x";
    for (std::string* path : {&tooLong, &noRoom}) {
        std::vector<char> buffer(path->begin(), path->end());
        buffer.push_back('\0');
        EXPECT_FALSE(GetFolderPart(buffer.data())) << path->size();
        EXPECT_EQ(std::string(buffer.data()), *path);
    }
}

TEST(FolderExists, FolderPartOfPath) {
    MappedTemp temp;
    ASSERT_TRUE(OsCreateDirectory(temp.Win(kHyo).c_str()));
    EXPECT_TRUE(FolderExists((temp.Win(kHyo) + "\\data.csv").c_str()));
    EXPECT_TRUE(FolderExists((temp.Win(kHyo) + "\\").c_str()));
    // Without the closing backslash the last name is the file name: its folder is tested.
    EXPECT_TRUE(FolderExists(temp.Win(kSo).c_str()));
    EXPECT_FALSE(FolderExists((temp.Win(kSo) + "\\data.csv").c_str()));
    EXPECT_FALSE(FolderExists("data.csv"));
    EXPECT_FALSE(FolderExists(""));
}

TEST(CreateFolderChain, CreatesEveryMissingFolder) {
    MappedTemp temp;
    const std::string chain = temp.Win(kHyo + "\\" + kSo + "\\" + kPo + "\\");
    ASSERT_TRUE(CreateFolderChain(chain.c_str()));
    EXPECT_TRUE(OsIsDirectory(temp.Win(kHyo).c_str()));
    EXPECT_TRUE(OsIsDirectory(temp.Win(kHyo + "\\" + kSo).c_str()));
    EXPECT_TRUE(OsIsDirectory(chain.c_str()));
#ifndef _WIN32
    if (temp.Mapped()) {
        EXPECT_TRUE(std::filesystem::is_directory(temp.Native(u8"表/ソ/ポ")));
    }
#endif
    // Again: everything exists, nothing to do.
    EXPECT_TRUE(CreateFolderChain(chain.c_str()));
    // A file path: only its folders are made.
    const std::string file = temp.Win("a\\b\\out.csv");
    ASSERT_TRUE(CreateFolderChain(file.c_str()));
    EXPECT_TRUE(OsIsDirectory(temp.Win("a\\b").c_str()));
    EXPECT_EQ(OsGetFileStatus(file.c_str()).kind, FileNone);
}

TEST(CreateFolderChain, FailureRemovesOnlyWhatItCreated) {
    MappedTemp temp;
    ASSERT_TRUE(OsCreateDirectory(temp.Win("kept").c_str()));
    ASSERT_TRUE(WriteWin(temp.Win("kept\\file.txt"), "x"));
    const std::string chain = temp.Win("kept\\" + kHyo + "\\" + kSo + "\\" + UncreatableName() + "\\");
    EXPECT_FALSE(CreateFolderChain(chain.c_str()));
    EXPECT_FALSE(OsIsDirectory(temp.Win("kept\\" + kHyo + "\\" + kSo).c_str()));
    EXPECT_FALSE(OsIsDirectory(temp.Win("kept\\" + kHyo).c_str()));
    EXPECT_TRUE(OsIsDirectory(temp.Win("kept").c_str()));
    EXPECT_EQ(OsGetFileStatus(temp.Win("kept\\file.txt").c_str()).kind, FilePlain);
}

TEST(CreateFolderChain, FileInTheWay) {
    MappedTemp temp;
    ASSERT_TRUE(OsCreateDirectory(temp.Win("x").c_str()));
    ASSERT_TRUE(WriteWin(temp.Win("x\\y"), "file"));
    EXPECT_FALSE(CreateFolderChain(temp.Win("x\\y\\z\\").c_str()));
    EXPECT_EQ(OsGetFileStatus(temp.Win("x\\y").c_str()).kind, FilePlain);
    EXPECT_TRUE(OsIsDirectory(temp.Win("x").c_str()));
}

TEST(CreateFolderChain, RefusesRootlessAndOverlongPaths) {
    EXPECT_FALSE(CreateFolderChain(""));
    EXPECT_FALSE(CreateFolderChain("relative\\folder\\"));
    EXPECT_FALSE(CreateFolderChain("C:folder\\"));
    EXPECT_FALSE(CreateFolderChain(("C:\\" + std::string(258, 'a')).c_str()));
}

TEST(RemoveCreatedFolders, StopFolderAndSingleRemoval) {
    MappedTemp temp;
    const std::string deep = temp.Win("base\\one\\two\\");
    StMADEFOLDERS made;
    ASSERT_TRUE(CreateFolderChain(deep.c_str(), &made));
    EXPECT_EQ(made.count, 3u);
    // Another root, or a stop folder that is not above the path: nothing is removed.
    EXPECT_FALSE(RemoveCreatedFolders(deep.c_str(), "Q:\\base\\", made));
    EXPECT_FALSE(RemoveCreatedFolders(deep.c_str(), temp.Win("other\\").c_str(), made));
    EXPECT_TRUE(OsIsDirectory(deep.c_str()));
    // Without a stop folder only the deepest existing one goes.
    EXPECT_TRUE(RemoveCreatedFolders(deep.c_str(), nullptr, made));
    EXPECT_FALSE(OsIsDirectory(deep.c_str()));
    EXPECT_TRUE(OsIsDirectory(temp.Win("base\\one").c_str()));
    // The stop folder matches without regard to case and is kept.
    ASSERT_TRUE(CreateFolderChain(deep.c_str(), &made));
    EXPECT_EQ(made.count, 1u);
    StMADEFOLDERS all = made;
    ASSERT_TRUE(OsFileIdentity(temp.Win("base\\one").c_str(), &all.ids[all.count++]));
    std::string stop = temp.Win("BASE\\");
    EXPECT_TRUE(RemoveCreatedFolders((deep + "file.csv").c_str(), stop.c_str(), all));
    EXPECT_FALSE(OsIsDirectory(temp.Win("base\\one").c_str()));
    EXPECT_TRUE(OsIsDirectory(temp.Win("base").c_str()));
}

// A folder that another program made in the chain, or in the place of one this call made, is
// never removed, nor anything above it.
TEST(RemoveCreatedFolders, OnlyFoldersThisCallMade) {
    MappedTemp temp;
    const std::string deep = temp.Win("base\\one\\two\\");
    StMADEFOLDERS made;
    ASSERT_TRUE(CreateFolderChain(deep.c_str(), &made));
    // The folder moved aside and another made under its name.
    std::filesystem::rename(temp.Native("base/one/two"), temp.Native("base/moved"));
    ASSERT_TRUE(OsCreateDirectory(deep.c_str()));
    EXPECT_TRUE(RemoveCreatedFolders(deep.c_str(), temp.Win("").c_str(), made));
    EXPECT_TRUE(OsIsDirectory(deep.c_str()));
}

// Creations of one chain at once: a folder another creation made a moment earlier counts as
// made, and none removes what another made.
TEST(CreateFolderChain, ChainsMadeAtOnceAllSucceed) {
    MappedTemp temp;
    std::string chain = temp.Win("");
    for (int level = 0; level < 13; ++level) chain += "level" + std::to_string(level) + "\\";
    for (int round = 0; round < 5; ++round) {
        std::vector<std::thread> creators;
        std::vector<int> results(8, -1);
        std::atomic<bool> go{false};  // all at once, as programs started together
        for (int i = 0; i < 8; ++i)
            creators.emplace_back([&, i] {
                while (!go) std::this_thread::yield();
                results[static_cast<size_t>(i)] = CreateFolderChain(chain.c_str());
            });
        go = true;
        for (std::thread& creator : creators) creator.join();
        EXPECT_EQ(results, std::vector<int>(8, 1)) << "round " << round;
        EXPECT_TRUE(OsIsDirectory(chain.c_str()));
        std::filesystem::remove_all(temp.Native("level0"));
    }
}

TEST(RemoveCreatedFolders, DoubleByteNamesDownToTheRoot) {
    MappedTemp temp;
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);  // needs the folder to be a drive of its own
    const std::string deep = "M:\\" + kHyo + "\\" + kSo + "\\" + kPo + "\\";
    StMADEFOLDERS made;
    ASSERT_TRUE(CreateFolderChain(deep.c_str(), &made));
    EXPECT_TRUE(RemoveCreatedFolders(deep.c_str(), "M:\\", made));
    EXPECT_FALSE(OsIsDirectory(("M:\\" + kHyo).c_str()));
    EXPECT_TRUE(OsIsDirectory("M:\\"));
}
