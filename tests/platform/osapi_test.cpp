// osapi_test.cpp - the platform layer on real folders: drives, Shift-JIS names, files, INI, processes.
#include "osapi.h"
#include "tempfile.h"

#include <gtest/gtest.h>

#ifdef _WIN32
#include <windows.h>
#else
#include <signal.h>
#include <sys/stat.h>
#endif

#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <string>

#include "file_holder.h"
#include "mapped_temp.h"
#include "textfile.h"

namespace {

const std::string kHyo = "\x95\x5C";  // 表: trail byte is a backslash
const std::string kSo = "\x83\x5C";   // ソ
const std::string kPo = "\x83\x7C";   // ポ: trail byte is "|"

// How many of our temporaries lie in a folder.
int Temporaries(const std::string& folder) {
    int n = 0;
    for (const auto& entry : std::filesystem::directory_iterator(folder))
        n += ClTempFile::IsTemporaryName(entry.path().filename().string().c_str());
    return n;
}

std::string ProfileOf(const std::string& file, const char* section, const char* key, const char* def,
                      unsigned long room = 16, unsigned long* count = nullptr) {
    char buffer[64];
    std::memset(buffer, 'x', sizeof buffer);
    const unsigned long n = OsGetProfileString(section, key, def, buffer, room, file.c_str());
    if (count) *count = n;
    return std::string(buffer);
}

}  // namespace

TEST(PlatformDrives, DefaultsLikeWine) {
    OsResetDrives();
    EXPECT_EQ(OsGetDriveType("Z:\\"), static_cast<unsigned>(DriveFixed));
    EXPECT_EQ(OsGetDriveType("Q:\\"), static_cast<unsigned>(DriveNoRootDir));
    EXPECT_TRUE(OsIsDirectory("Z:\\"));
}

TEST(PlatformDrives, MappedTypesAndMedium) {
    MappedTemp temp;
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);
    const std::string folder = temp.Dir().Path();
    ASSERT_TRUE(OsMapDrive('d', folder.c_str(), DriveCdRom));
    ASSERT_TRUE(OsMapDrive('E', "", DriveRemovable));
    ASSERT_TRUE(OsMapDrive('R', folder.c_str(), DriveRamDisk));
    EXPECT_EQ(OsGetDriveType("D:\\"), static_cast<unsigned>(DriveCdRom));
    EXPECT_EQ(OsGetDriveType("e:\\"), static_cast<unsigned>(DriveRemovable));
    EXPECT_EQ(OsGetDriveType("R:\\"), static_cast<unsigned>(DriveRamDisk));
    EXPECT_EQ(OsGetDriveType("M:\\"), static_cast<unsigned>(DriveFixed));
    // The CD-ROM folder stays writable: only its type tells it apart.
    EXPECT_TRUE(OsCanAccess("D:\\", AccessReadWrite));
    EXPECT_FALSE(OsCanAccess("E:\\", AccessExists));  // no medium
    EXPECT_FALSE(OsIsDirectory("E:\\"));
    EXPECT_TRUE(OsUnmapDrive('D'));
    EXPECT_EQ(OsGetDriveType("D:\\"), static_cast<unsigned>(DriveNoRootDir));
    EXPECT_FALSE(OsMapDrive('1', folder.c_str(), DriveFixed));
}

TEST(PlatformDrives, ConfiguredFromEnvironment) {
    MappedTemp temp;
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);
#ifndef _WIN32
    const std::string folder = temp.Dir().Path();
    const std::string entries =
        "C=" + folder + ":cdrom;e=:removable;F=" + folder + ";N=/nowhere:remote;bad;Z=/:ramdisk";
    setenv("ASSETEXPORT_DRIVES", entries.c_str(), 1);
    setenv("ASSETEXPORT_SHARES", folder.c_str(), 1);
    OsResetDrives();
    unsetenv("ASSETEXPORT_DRIVES");
    unsetenv("ASSETEXPORT_SHARES");
    EXPECT_EQ(OsGetDriveType("C:\\"), static_cast<unsigned>(DriveCdRom));
    EXPECT_EQ(OsGetDriveType("E:\\"), static_cast<unsigned>(DriveRemovable));
    EXPECT_EQ(OsGetDriveType("F:\\"), static_cast<unsigned>(DriveFixed));  // no type: fixed
    EXPECT_EQ(OsGetDriveType("N:\\"), static_cast<unsigned>(DriveRemote));
    EXPECT_EQ(OsGetDriveType("Z:\\"), static_cast<unsigned>(DriveRamDisk));
    EXPECT_TRUE(OsIsDirectory("F:\\"));
    EXPECT_FALSE(OsCanAccess("N:\\", AccessReadWrite));
    std::filesystem::create_directories(temp.Native("srv/share"));
    EXPECT_TRUE(OsIsDirectory("\\\\srv\\share"));
    OsResetDrives();
    EXPECT_EQ(OsGetDriveType("C:\\"), static_cast<unsigned>(DriveNoRootDir));
    EXPECT_FALSE(OsIsDirectory("\\\\srv\\share"));
#endif
}

TEST(PlatformPaths, NativeFormOfDriveShareAndPlainPaths) {
    MappedTemp temp;
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);
    std::string native;
    ASSERT_TRUE(OsNativePath(("M:\\" + kHyo + "\\" + kSo + kPo + ".csv").c_str(), native));
    EXPECT_EQ(native, temp.Dir().Path() + u8"/表/ソポ.csv");
    ASSERT_TRUE(OsNativePath("m:", native));
    EXPECT_EQ(native, temp.Dir().Path());
    ASSERT_TRUE(OsNativePath("Z:\\tmp\\x", native));
    EXPECT_EQ(native, "/tmp/x");
    EXPECT_FALSE(OsNativePath("Q:\\x", native));              // no drive behind Q:
    EXPECT_FALSE(OsNativePath("\\\\srv\\share\\x", native));  // no folder for shares yet
    ASSERT_TRUE(OsSetShareFolder(temp.Dir().Path().c_str()));
    ASSERT_TRUE(OsNativePath("\\\\srv\\share\\x", native));
    EXPECT_EQ(native, temp.Dir().Path() + "/srv/share/x");
    EXPECT_FALSE(OsNativePath("M:\\\x81\x20", native));  // not Shift-JIS
    ASSERT_TRUE(OsNativePath("rel\\name", native));
    EXPECT_EQ(native, "rel/name");
}

TEST(PlatformPaths, DriveMapResolvesAsWindowsDoes) {
    MappedTemp temp;
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);
    const std::string root = temp.Dir().Path();
    std::string native;
    ASSERT_TRUE(OsNativePath("M:\\..\\..\\escaped.csv", native));  // ".." stops at the root
    EXPECT_EQ(native, root + "/escaped.csv");
    ASSERT_TRUE(OsNativePath("M:\\a\\.\\b\\..\\c.csv", native));
    EXPECT_EQ(native, root + "/a/c.csv");
    ASSERT_TRUE(OsNativePath(("M:\\" + kHyo + ". \\name.csv. .").c_str(), native));  // trailing dots, blanks
    EXPECT_EQ(native, root + u8"/表/name.csv");
    ASSERT_TRUE(OsSetShareFolder(root.c_str()));
    ASSERT_TRUE(OsNativePath("\\\\srv\\share\\..\\..\\..\\x", native));
    EXPECT_EQ(native, root + "/srv/share/x");
    // Reserved device names, with any extension, name no file; lookalikes do.
    for (const char* device : {"M:\\NUL", "M:\\con.csv", "M:\\a\\LPT1.txt", "M:\\Com9", "M:\\aux .x", "M:\\PRN\\x"})
        EXPECT_FALSE(OsNativePath(device, native)) << device;
    for (const char* name : {"M:\\CONSOLE.csv", "M:\\COM0", "M:\\nul1", "M:\\x.con"})
        EXPECT_TRUE(OsNativePath(name, native)) << name;
    EXPECT_EQ(OsGetFileStatus("M:\\a\\nul.csv").kind, FileSpecial);
}

#ifndef _WIN32
TEST(PlatformFiles, LinksAndFifosAreSpecial) {
    MappedTemp temp;
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);
    WriteBytes(temp.Native("file"), "x");
    std::filesystem::create_symlink(temp.Native("file"), temp.Native("link"));
    ASSERT_EQ(mkfifo(temp.Native("fifo").c_str(), 0600), 0);
    EXPECT_EQ(OsGetFileStatus(temp.Win("link").c_str()).kind, FileSpecial);
    EXPECT_EQ(OsGetFileStatus(temp.Win("fifo").c_str()).kind, FileSpecial);
    EXPECT_EQ(OsRuntimeFileKind(temp.Native("link").c_str(), true), FilePlain);
    EXPECT_EQ(OsRuntimeFileKind(temp.Native("link").c_str(), false), FileSpecial);
}
#endif

// Real tags as Windows sets them: only a name surrogate is a link; a file that OneDrive, system
// compression or deduplication tagged is an ordinary file or folder, to be overwritten as any other.
TEST(PlatformFiles, OnlyNameSurrogateReparsePointsAreLinks) {
    const unsigned long kFile = 0x20, kFolder = 0x10, kReparse = 0x400;
    const struct {
        const char* name;
        unsigned long tag;
        bool link;
    } tags[] = {{"CLOUD (OneDrive)", 0x9000001A, false},
                {"CLOUD_6 (OneDrive)", 0x9000601A, false},
                {"CLOUD_F", 0x9000F01A, false},
                {"WOF (system compression)", 0x80000017, false},
                {"DEDUP", 0x80000013, false},
                {"APPEXECLINK", 0x8000001B, false},
                {"SYMLINK", 0xA000000C, true},
                {"MOUNT_POINT (junction)", 0xA0000003, true},
                {"LX_SYMLINK", 0xA000001D, true},
                {"none readable", 0, true}};
    for (const auto& tag : tags) {
        SCOPED_TRACE(tag.name);
        EXPECT_EQ(OsKindOfAttributes(kFile | kReparse, tag.tag), tag.link ? FileSpecial : FilePlain);
        EXPECT_EQ(OsKindOfAttributes(kFolder | kReparse, tag.tag), tag.link ? FileSpecial : FileFolder);
        // A tag means nothing without the attribute.
        EXPECT_EQ(OsKindOfAttributes(kFile, tag.tag), FilePlain);
    }
}

#ifdef _WIN32
// A real symbolic link, where the system lets a test make one (Wine 8 answers success and makes
// none), is neither replaced nor looked through.
TEST(PlatformFiles, SymbolicLinkIsStillRefused) {
    TempDir dir;
    const std::string target = dir.File("target.csv");
    WriteBytes(target, "old");
    const std::string link = dir.File("link.csv");
    CreateSymbolicLinkA(link.c_str(), target.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    if (GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "this system makes no symbolic link here (developer mode off, or Wine)";
    EXPECT_EQ(OsGetFileStatus(link.c_str()).kind, FileSpecial);
    EXPECT_EQ(OsRuntimeFileKind(link.c_str(), false), FileSpecial);
    const std::string fresh = dir.File("fresh.csv");
    WriteBytes(fresh, "new");
    EXPECT_FALSE(OsReplaceRuntimeFile(fresh.c_str(), link.c_str()));
    EXPECT_EQ(ReadBytes(target), "old");
}

// A scanner holds the target without sharing for a moment: the replacement waits for it; held
// longer than the retries last, it fails with both files as they were.
TEST(PlatformFiles, ReplacementWaitsForAShortHolderOnly) {
    TempDir dir;
    const std::string target = dir.File("data.csv");
    for (const unsigned long holdMs : {300ul, 5000ul}) {
        SCOPED_TRACE(holdMs);
        WriteBytes(target, "old");
        const std::string fresh = dir.File("fresh.tmp");
        WriteBytes(fresh, "new");
        bool replaced = false;
        {
            ClFileHolder holder(target, holdMs);
            ASSERT_TRUE(holder.Holds());
            replaced = OsReplaceRuntimeFile(fresh.c_str(), target.c_str());
        }
        EXPECT_EQ(replaced, holdMs < 1000);
        EXPECT_EQ(ReadBytes(target), replaced ? "new" : "old");
        EXPECT_EQ(std::filesystem::exists(fresh), !replaced);
        std::filesystem::remove(fresh);
    }
}
#endif

TEST(PlatformFiles, TemporariesAreUniqueSiblingsKeptWholeOrNotAtAll) {
    TempDir dir;
    const std::string target = dir.File("data.csv");
    ClTempFile a, b;
    ASSERT_TRUE(a.Create(target.c_str()));
    ASSERT_TRUE(b.Create(target.c_str()));
    EXPECT_NE(a.Path(), b.Path());
    EXPECT_EQ(a.Path().substr(0, dir.Path().size()), dir.Path());
    EXPECT_LE(a.Path().size() - dir.Path().size() - 1, 16u);  // fits where the log name fits
    EXPECT_TRUE(ClTempFile::IsTemporaryName(a.Path().c_str() + dir.Path().size() + 1));
    std::ostream(&a) << "new";
    WriteBytes(target, "old");
    const StFILEID made = a.Identity();
    EXPECT_TRUE(a.Keep());
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_FALSE(std::filesystem::exists(a.Path()));
    StFILEID placed;
    ASSERT_TRUE(OsRuntimeFileIdentity(target.c_str(), &placed));
    EXPECT_EQ(placed, made);
    // A read-only target is refused, as Windows refuses it; the temporary goes all the same.
    std::filesystem::permissions(target, std::filesystem::perms::owner_write | std::filesystem::perms::group_write |
                                             std::filesystem::perms::others_write,
                                 std::filesystem::perm_options::remove);
    std::ostream(&b) << "newer";
    EXPECT_FALSE(b.Keep());
    EXPECT_EQ(ReadBytes(target), "new");
    EXPECT_FALSE(std::filesystem::exists(b.Path()));
    std::filesystem::permissions(target, std::filesystem::perms::owner_write, std::filesystem::perm_options::add);
}

// One file however its path is spelt, and only that file: what exists by its identity, what does
// not (yet) by its name in its folder.
TEST(PlatformFiles, SameFileHoweverSpelt) {
    MappedTemp temp;
    ASSERT_TRUE(OsCreateDirectory(temp.Win("set").c_str()));
    const std::string file = temp.Win("set\\Marlo3Export.env");
    ASSERT_TRUE(WriteWin(file, "x"));
    for (const std::string& same : {temp.Win("set\\.\\Marlo3Export.env"), temp.Win("set\\sub\\..\\Marlo3Export.env"),
                                    temp.Win("set\\Marlo3Export.env."), temp.Win("set\\Marlo3Export.env . "),
                                    temp.Win("set\\MARLO3EXPORT.ENV")})
        EXPECT_TRUE(OsSameFile(same.c_str(), file.c_str())) << same;
    EXPECT_FALSE(OsSameFile(temp.Win("set\\Marlo5Export.env").c_str(), file.c_str()));
    EXPECT_FALSE(OsSameFile(temp.Win("Marlo3Export.env").c_str(), file.c_str()));
    // Not there yet: the same name in the same folder, however the folder is spelt.
    EXPECT_TRUE(OsSameFile(temp.Win("set\\new.csv").c_str(), temp.Win("x\\..\\set\\NEW.csv.").c_str()));
    EXPECT_FALSE(OsSameFile(temp.Win("set\\new.csv").c_str(), temp.Win("new.csv").c_str()));
#ifdef _WIN32
    char shortName[MAX_PATH];
    const DWORD n = GetShortPathNameA(file.c_str(), shortName, sizeof shortName);
    if (n == 0 || n >= sizeof shortName || file == shortName) GTEST_SKIP() << "no short names on this volume";
    EXPECT_TRUE(OsSameFile(shortName, file.c_str())) << shortName;
    std::string full;
    ASSERT_TRUE(OsFullPath(shortName, full));
    EXPECT_EQ(full, file);
#else
    // Another drive onto the folder, and a link to the file.
    ASSERT_TRUE(OsMapDrive('N', temp.Native("set").c_str(), DriveFixed));
    EXPECT_TRUE(OsSameFile("N:\\Marlo3Export.env", file.c_str()));
    EXPECT_TRUE(OsSameFile("N:\\other.csv", temp.Win("set\\Other.csv").c_str()));
    std::filesystem::create_symlink(temp.Native("set/Marlo3Export.env"), temp.Native("link.env"));
    EXPECT_TRUE(OsSameFile(temp.Win("link.env").c_str(), file.c_str()));
#endif
}

// However a program ends while it writes, its temporary goes: Discard or destruction, an ending
// signal (POSIX), or being ended outright (Windows: Task Manager, or the console's Ctrl+C, Ctrl+Break
// and close, which end it the same way). What a kill no program sees (SIGKILL) leaves is removed
// by the next temporary made in that folder.
TEST(PlatformFiles, TemporariesGoOnEveryWayOut) {
    GTEST_FLAG_SET(death_test_style, "threadsafe");
    // A death test's child runs this test anew: the folder has a fixed name so that it finds it.
    const std::string folder = (std::filesystem::temp_directory_path() / "aetest-temporaries").string();
    std::filesystem::create_directories(folder);
    const std::string target = folder + "/data.csv";
    const auto writeAndEnd = [&](void (*end)()) {
        ClTempFile temporary;
        if (!temporary.Create(target.c_str())) std::_Exit(9);
        std::ostream(&temporary) << std::string(100000, 'x');
        end();
    };
    {
        ClTempFile discarded;
        ASSERT_TRUE(discarded.Create(target.c_str()));
        ASSERT_EQ(Temporaries(folder), 1);
    }
    EXPECT_EQ(Temporaries(folder), 0);
#ifdef _WIN32
    EXPECT_EXIT(writeAndEnd([] { TerminateProcess(GetCurrentProcess(), 3); }), ::testing::ExitedWithCode(3), "");
    EXPECT_EQ(Temporaries(folder), 0);
#else
    static int s_signal;
    for (const int signalNumber : {SIGINT, SIGTERM, SIGHUP}) {
        s_signal = signalNumber;
        EXPECT_EXIT(writeAndEnd([] { ::raise(s_signal); }), ::testing::KilledBySignal(signalNumber), "");
        EXPECT_EQ(Temporaries(folder), 0) << signalNumber;
    }
    EXPECT_EXIT(writeAndEnd([] { ::raise(SIGKILL); }), ::testing::KilledBySignal(SIGKILL), "");
    EXPECT_EQ(Temporaries(folder), 1);
#endif
    WriteBytes(folder + "/~aex0000abcd.tmp", "left by a run that was killed");
    {
        ClTempFile next;
        ASSERT_TRUE(next.Create(target.c_str()));
        EXPECT_EQ(Temporaries(folder), 1);  // its own
    }
    std::filesystem::remove_all(folder);
}

// A temporary that a live run still writes is never taken for a leftover, nor a file of ours
// that only looks like one.
TEST(PlatformFiles, LiveTemporariesStay) {
    TempDir dir;
    const std::string target = dir.File("data.csv");
    ClTempFile live, other;
    ASSERT_TRUE(live.Create(target.c_str()));
    WriteBytes(dir.File("~AEX0000ABCD.TMP"), "a user's");
    ASSERT_TRUE(other.Create(target.c_str()));
    EXPECT_EQ(Temporaries(dir.Path()), 2);
    EXPECT_TRUE(std::filesystem::exists(dir.File("~AEX0000ABCD.TMP")));
    std::ostream(&live) << "whole";
    EXPECT_TRUE(live.Keep());
    EXPECT_EQ(ReadBytes(target), "whole");
}

// The file at the end of a chain of links, named without any; nothing for a link that leads nowhere.
TEST(PlatformFiles, FinalPathFollowsEveryLink) {
    TempDir dir;
    const std::string file = dir.File("file.csv");
    WriteBytes(file, "x");
    std::string target;
    ASSERT_TRUE(OsRuntimeFinalPath(file.c_str(), target));
    EXPECT_TRUE(std::filesystem::equivalent(target, file));
    EXPECT_FALSE(OsRuntimeFinalPath(dir.File("missing.csv").c_str(), target));
    const std::string link = dir.File("link.csv");
#ifdef _WIN32
    CreateSymbolicLinkA(link.c_str(), file.c_str(), SYMBOLIC_LINK_FLAG_ALLOW_UNPRIVILEGED_CREATE);
    if (GetFileAttributesA(link.c_str()) == INVALID_FILE_ATTRIBUTES)
        GTEST_SKIP() << "this system makes no symbolic link here (developer mode off, or Wine)";
#else
    std::filesystem::create_symlink(file, dir.File("first.csv"));
    std::filesystem::create_symlink("first.csv", link);
    std::filesystem::create_symlink(dir.File("missing.csv"), dir.File("dangling.csv"));
    EXPECT_FALSE(OsRuntimeFinalPath(dir.File("dangling.csv").c_str(), target));
#endif
    ASSERT_TRUE(OsRuntimeFinalPath(link.c_str(), target));
    EXPECT_EQ(OsRuntimeFileKind(target.c_str(), false), FilePlain);
    EXPECT_TRUE(std::filesystem::equivalent(target, file));
}

TEST(PlatformFiles, LockIsExclusiveAndWaitIsBounded) {
    TempDir dir;
    const std::string path = dir.File("settings.lck");
    StFILELOCK* first = OsLockFile(path.c_str(), 0);
    ASSERT_NE(first, nullptr);
    EXPECT_EQ(OsLockFile(path.c_str(), 50), nullptr);  // another holder: given up after the wait
    OsUnlockFile(first);
    StFILELOCK* second = OsLockFile(path.c_str(), 0);
    EXPECT_NE(second, nullptr);
    OsUnlockFile(second);
}

TEST(PlatformPaths, SkipRootAndStripToRoot) {
    EXPECT_STREQ(OsSkipRoot("C:\\a\\b"), "a\\b");
    EXPECT_STREQ(OsSkipRoot("C:\\"), "");
    EXPECT_STREQ(OsSkipRoot("\\\\srv\\share\\a\\"), "a\\");
    EXPECT_EQ(OsSkipRoot("\\\\srv\\share"), nullptr);
    EXPECT_EQ(OsSkipRoot("C:a"), nullptr);
    EXPECT_EQ(OsSkipRoot("a\\b"), nullptr);
    // The trail byte 0x5C of the server name is no separator.
    const std::string server = "\\\\" + kSo + "\\share\\x";
    EXPECT_STREQ(OsSkipRoot(server.c_str()), "x");

    char path[64];
    std::strcpy(path, "C:\\a\\b\\");
    ASSERT_TRUE(OsStripToRoot(path));
    EXPECT_STREQ(path, "C:\\");
    std::strcpy(path, "\\\\srv\\share\\a\\b.csv");
    ASSERT_TRUE(OsStripToRoot(path));
    EXPECT_STREQ(path, "\\\\srv\\share");
    std::strcpy(path, "relative");
    EXPECT_FALSE(OsStripToRoot(path));
}

TEST(PlatformPaths, SplitDriveAndDirectoryIsDoubleByteAware) {
    char drive[3];
    char dir[261];
    OsSplitDriveDir(("C:\\" + kHyo + "\\" + kSo + ".csv").c_str(), drive, dir);
    EXPECT_STREQ(drive, "C:");
    EXPECT_EQ(std::string(dir), "\\" + kHyo + "\\");
    OsSplitDriveDir(("C:\\" + kSo).c_str(), drive, dir);
    EXPECT_STREQ(dir, "\\");
    OsSplitDriveDir("C:name.csv", drive, dir);
    EXPECT_STREQ(drive, "C:");
    EXPECT_STREQ(dir, "");
    OsSplitDriveDir("\\\\srv\\share\\f.csv", drive, dir);
    EXPECT_STREQ(drive, "");
    EXPECT_STREQ(dir, "\\\\srv\\share\\");
    OsSplitDriveDir("name", drive, dir);
    EXPECT_STREQ(drive, "");
    EXPECT_STREQ(dir, "");
}

TEST(PlatformFolders, ShiftJisNamesCreatedFoundRemoved) {
    MappedTemp temp;
    for (const std::string& name : {kHyo, kSo, kPo}) {
        const std::string folder = temp.Win(name);
        ASSERT_TRUE(OsCreateDirectory(folder.c_str()));
        EXPECT_TRUE(OsIsDirectory(folder.c_str()));
        EXPECT_TRUE(OsIsDirectory((folder + "\\").c_str()));
        EXPECT_FALSE(OsCreateDirectory(folder.c_str()));  // exists already
        const std::string inner = folder + "\\" + name;
        ASSERT_TRUE(OsCreateDirectory(inner.c_str()));
        EXPECT_FALSE(OsRemoveDirectory(folder.c_str()));  // not empty
        EXPECT_TRUE(OsRemoveDirectory(inner.c_str()));
        EXPECT_TRUE(OsRemoveDirectory((folder + "\\").c_str()));
        EXPECT_FALSE(OsIsDirectory(folder.c_str()));
    }
    ASSERT_TRUE(OsCreateDirectory(temp.Win(kHyo).c_str()));
#ifndef _WIN32
    // A lead byte alone is no name (Windows drops such a byte and names the parent instead).
    EXPECT_FALSE(OsIsDirectory(temp.Win("\x95").c_str()));
    EXPECT_TRUE(std::filesystem::is_directory(temp.Native(u8"表")));
#endif
    EXPECT_FALSE(OsCreateDirectory(temp.Win("none\\sub").c_str()));  // parent missing
}

TEST(PlatformFiles, StatusDeleteAndReplace) {
    MappedTemp temp;
    const std::string file = temp.Win(kSo + ".txt");
    EXPECT_EQ(OsGetFileStatus(file.c_str()).kind, FileNone);
    ASSERT_TRUE(WriteWin(file, "12345"));
    StFILESTATUS status = OsGetFileStatus(file.c_str());
    EXPECT_EQ(status.kind, FilePlain);
    EXPECT_EQ(status.size, 5u);
    EXPECT_EQ(OsGetFileStatus(temp.Win().c_str()).kind, FileFolder);
    EXPECT_EQ(OsGetFileStatus(temp.Win().c_str()).size, 0u);

    const std::string fresh = temp.Win("new.env");
    WriteBytes(temp.Native("new.env"), "new");
    std::string from, to;
    ASSERT_TRUE(OsNativePath(fresh.c_str(), from) && OsNativePath(file.c_str(), to));
    EXPECT_TRUE(OsReplaceRuntimeFile(from.c_str(), to.c_str()));
    EXPECT_EQ(OsGetFileStatus(fresh.c_str()).kind, FileNone);
    EXPECT_EQ(OsGetFileStatus(file.c_str()).size, 3u);
    EXPECT_FALSE(OsReplaceRuntimeFile(from.c_str(), to.c_str()));  // source gone: target kept
    EXPECT_EQ(OsGetFileStatus(file.c_str()).size, 3u);

    // Deleted only while it is the file that was named.
    StFILEID id, folder;
    ASSERT_TRUE(OsFileIdentity(file.c_str(), &id));
    ASSERT_TRUE(OsFileIdentity(temp.Win().c_str(), &folder));
    EXPECT_FALSE(OsDeleteFileIfSame(temp.Win().c_str(), folder));  // a folder is no file
    EXPECT_FALSE(OsDeleteFileIfSame(file.c_str(), folder));
    EXPECT_EQ(OsGetFileStatus(file.c_str()).size, 3u);
    EXPECT_TRUE(OsDeleteFileIfSame(file.c_str(), id));
    EXPECT_EQ(OsGetFileStatus(file.c_str()).kind, FileNone);
    EXPECT_FALSE(OsDeleteFileIfSame(file.c_str(), id));
}

TEST(PlatformProfile, ValuesKeysAndDefaults) {
    MappedTemp temp;
    const std::string ini = temp.Win("level.ini");
    EXPECT_EQ(ProfileOf(ini, "ProgramLevel", "RX52", "1"), "1");  // no file
    WriteBytes(temp.Native("level.ini"),
               "; comment\r\n[Other]\r\nRX52=9\r\n[ programlevel ]\r\n  rx52 =  2  \r\nEmpty=\r\n"
               "Quoted=\" 3 \"\r\nLong=0123456789abcdefghij\r\nName=\x95\x5C\r\n");
    EXPECT_EQ(ProfileOf(ini, "ProgramLevel", "RX52", "1"), "2");
    EXPECT_EQ(ProfileOf(ini, "PROGRAMLEVEL", "Rx52", "1"), "2");
    EXPECT_EQ(ProfileOf(ini, "ProgramLevel", "Missing", "1"), "1");
    EXPECT_EQ(ProfileOf(ini, "Nowhere", "RX52", "1"), "1");
    EXPECT_EQ(ProfileOf(ini, "ProgramLevel", "Missing", nullptr), "");
    EXPECT_EQ(ProfileOf(ini, "ProgramLevel", "Missing", "dflt  "), "dflt");  // default's blanks go too
    unsigned long count = 99;
    EXPECT_EQ(ProfileOf(ini, "ProgramLevel", "Empty", "1", 16, &count), "");  // empty is not missing
    EXPECT_EQ(count, 0u);
    EXPECT_EQ(ProfileOf(ini, "ProgramLevel", "Quoted", "1"), " 3 ");
    EXPECT_EQ(ProfileOf(ini, "ProgramLevel", "Long", "1", 16, &count), "0123456789abcde");
    EXPECT_EQ(count, 15u);
    EXPECT_EQ(ProfileOf(ini, "ProgramLevel", "Name", "1"), kHyo);
}

TEST(PlatformSystemFolders, ProgramTempWindowsAndCurrent) {
    char buffer[261];
    ASSERT_TRUE(OsGetTempFolder(buffer, sizeof buffer));
    EXPECT_EQ(buffer[std::strlen(buffer) - 1], '\\');
    EXPECT_TRUE(OsIsDirectory(buffer));
    ASSERT_TRUE(OsGetProgramFolder(buffer, sizeof buffer));
    EXPECT_EQ(buffer[std::strlen(buffer) - 1], '\\');
    EXPECT_TRUE(OsIsDirectory(buffer));
    EXPECT_FALSE(OsGetProgramFolder(buffer, 3));  // too small: refused, not cut
    ASSERT_TRUE(OsGetWindowsFolder(buffer, sizeof buffer));
    EXPECT_EQ(buffer[1], ':');
    unsigned long platform = 0;
    ASSERT_TRUE(OsGetPlatformId(&platform));
    EXPECT_EQ(platform, 2u);

    MappedTemp temp;
    char before[261];
    ASSERT_TRUE(OsGetCurrentFolder(before, sizeof before));
    ASSERT_TRUE(OsCreateDirectory(temp.Win(kHyo).c_str()));
    ASSERT_TRUE(OsSetCurrentFolder(temp.Win(kHyo).c_str()));
    ASSERT_TRUE(OsGetCurrentFolder(buffer, sizeof buffer));
    EXPECT_EQ(std::string(buffer).substr(std::strlen(buffer) - 2), kHyo);
    ASSERT_TRUE(OsSetCurrentFolder(before));
    EXPECT_FALSE(OsSetCurrentFolder(temp.Win("missing").c_str()));
}

TEST(PlatformProcess, StartedInFolderAndWaitedFor) {
    MappedTemp temp;
    ASSERT_TRUE(OsCreateDirectory(temp.Win(kSo).c_str()));
    const std::string work = temp.Win(kSo);
#ifdef _WIN32
    const char* writer = "cmd /c \"echo done>out.txt & exit 3\"";
#else
    const char* writer = "/bin/sh -c \"sleep 0.3; echo done >out.txt; exit 3\"";
#endif
    unsigned long code = 0;
    ASSERT_TRUE(OsRunProcess(writer, work.c_str(), true, &code));
    EXPECT_EQ(code, 3u);
    // Written in the working folder before the wait ended.
    EXPECT_EQ(OsGetFileStatus((work + "\\out.txt").c_str()).kind, FilePlain);
    EXPECT_FALSE(OsRunProcess("\"M:\\no such\\viewer.exe\" x", nullptr, true, nullptr));
    EXPECT_FALSE(OsRunProcess("", nullptr, true, nullptr));
}

TEST(PlatformProcess, WindowsFormArgumentsReachTheProgram) {
    MappedTemp temp;
    SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp);
    WriteBytes(temp.Native(u8"表 ソ.txt"), "x");
    // test -f succeeds only when the quoted Windows path arrives as the native file's path.
    const std::string line = "test -f \"M:\\" + kHyo + " " + kSo + ".txt\"";
    unsigned long code = 9;
    ASSERT_TRUE(OsRunProcess(line.c_str(), nullptr, true, &code));
    EXPECT_EQ(code, 0u);
    ASSERT_TRUE(OsRunProcess("test -f \"M:\\missing.txt\"", nullptr, true, &code));
    EXPECT_EQ(code, 1u);
}

// A character is taken as itself or as "?", never as a look-alike that best fit would give: a
// backslash for the yen sign would name another folder.
TEST(PlatformText, EachCharacterIsItselfOrAQuestionMark) {
    const struct {
        std::wstring wide;
        std::string text;
        bool whole;
    } cases[] = {
        {L"C:\\\u8868\uFF5E.csv", "C:\\" + kHyo + "\x81\x60.csv", true},  // 表 and the Windows tilde
        {L"\uFFE5", "\x81\x8F", true},                                     // the full-width yen sign
        {L"C:\\out\u00A5x.csv", "C:\\out?x.csv", false},                  // the yen sign: no backslash
        {L"\u00FCber\u203E", "?ber?", false},                              // not "uber~"
        {L"\u301C", "?", false},                                            // the JIS wave dash
    };
    for (const auto& c : cases) {
        std::string text;
        EXPECT_EQ(OsTextFromWide(c.wide, text), c.whole) << c.text;
        EXPECT_EQ(text, c.text);
    }
}

TEST(TextFileWindowsPath, DrivePathsAreMappedOthersUnchanged) {
    MappedTemp temp;
    ClTextFile file;
    const std::string path = temp.Win(kHyo + ".csv");
    ASSERT_EQ(file.Open(path.c_str(), TFWrite | TFOverwrite), 0);
    ASSERT_EQ(file.Close(), 0);
    EXPECT_EQ(OsGetFileStatus(path.c_str()).kind, FilePlain);
#ifndef _WIN32
    EXPECT_TRUE(std::filesystem::exists(temp.Native(u8"表.csv")));
    EXPECT_NE(file.Open("Q:\\x.csv", TFWrite | TFOverwrite), 0);  // unmapped drive
#endif
    const std::string native = temp.Native("plain.csv");
    ASSERT_EQ(file.Open(native.c_str(), TFWrite | TFOverwrite), 0);
    ASSERT_EQ(file.Close(), 0);
    EXPECT_TRUE(std::filesystem::exists(native));
}
