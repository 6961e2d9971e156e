// osapi.h - what the program needs of the operating system, at the level of its tasks.
//
// Every path in and out is a Shift-JIS byte string in Windows form ("C:\folder\name",
// "\\server\share\name"). Normal conditions such as "not found" are answers, not errors.
#pragma once

#include <cstddef>
#include <string>
#include <vector>

// Drive types, numbered as GetDriveTypeA numbers them.
enum _DriveType {
    DriveUnknown = 0,
    DriveNoRootDir = 1,
    DriveRemovable = 2,
    DriveFixed = 3,
    DriveRemote = 4,
    DriveCdRom = 5,
    DriveRamDisk = 6
};

// Access modes of OsCanAccess, as _access takes them.
enum _AccessMode { AccessExists = 0, AccessWrite = 2, AccessRead = 4, AccessReadWrite = 6 };

// FileSpecial: a FIFO, a device, a socket or a link (a symbolic link, a junction or a mount point;
// never followed by OsGetFileStatus): nothing the program reads or writes as a file.
enum _FileKind { FileNone = 0, FilePlain = 1, FileFolder = 2, FileSpecial = 3 };

// The kind Windows attributes (FILE_ATTRIBUTE_*) and, for a reparse point, its tag give a path that
// was opened as itself: a name-surrogate tag is a link, FileSpecial; any other tagged file or
// folder (cloud placeholders, system compression, deduplication) is what its attributes say. A
// reparse point without a tag (0: none could be read) counts as a link.
_FileKind OsKindOfAttributes(unsigned long attributes, unsigned long reparseTag);

struct StFILESTATUS {
    _FileKind kind;           // FileNone when nothing of that name exists (or it cannot be reached)
    unsigned long long size;  // bytes of a plain file; 0 otherwise
};

// What a file or folder is, however its path is spelt: the volume's serial number and the file
// index on Windows, the device and the inode on POSIX. All zero: none.
struct StFILEID {
    unsigned long long volume;
    unsigned long long index;
};
inline bool operator==(const StFILEID& a, const StFILEID& b) { return a.volume == b.volume && a.index == b.index; }
inline bool operator!=(const StFILEID& a, const StFILEID& b) { return !(a == b); }

// ---- drives and path syntax ----

// Type of the drive whose root is given in the form "C:\"; DriveNoRootDir for a letter
// without a drive behind it.
unsigned OsGetDriveType(const char* root);

// Whether the path exists and allows the access mode (see _AccessMode).
bool OsCanAccess(const char* path, int mode);

// Whether the path names an existing folder; a trailing backslash is allowed.
bool OsIsDirectory(const char* path);

// What follows the root of an absolute path: after "C:\", or after "\\server\share\". Null when
// the path has no such root (a relative path, "C:name", or a share without the backslash after it).
const char* OsSkipRoot(const char* path);

// Cuts the path down to its root: "C:\" or "\\server\share" (without a closing backslash).
// False when the path has no root.
bool OsStripToRoot(char* path);

// Splits a path into drive ("C:" or empty, room 3) and directory (everything after the drive up to
// and including the last separator, room 261); double-byte aware. Over-long parts are cut.
void OsSplitDriveDir(const char* path, char* drive, char* directory);

// The full path Windows opens for path: "." and ".." resolved (never above the drive's root or the
// share), trailing dots and blanks of names dropped, a drive-relative path ("C:name") placed in
// that drive's current folder, and the short (8.3) names of what exists expanded. False when the
// path cannot be resolved (no drive or share, a reserved device name, too long).
bool OsFullPath(const char* path, std::string& full);

// ---- folders and files ----

bool OsCreateDirectory(const char* path);  // one folder; its parent must exist
bool OsRemoveDirectory(const char* path);  // one empty folder
// What the path itself names; a link is FileSpecial whatever it points to, and so is a reserved
// device name (NUL, CON.csv, ...).
StFILESTATUS OsGetFileStatus(const char* path);

// What path names, links followed; false when nothing is there (or it cannot be reached).
bool OsFileIdentity(const char* path, StFILEID* id);
// Whether two paths name one file as Windows would open it: the same identity where both exist,
// else the same folder (by identity) and the same name without regard to case. Spellings of one
// file (8.3 names, trailing dots, "..", another drive letter or a share onto the same folder, a
// link) are the same file; a file of another name beside it is not.
bool OsSameFile(const char* a, const char* b);
// Deletes the file at path only when it is still the file id names (not a link, not a folder); false
// when something else is there now, or nothing, or it cannot be deleted.
bool OsDeleteFileIfSame(const char* path, const StFILEID& id);

// GetPrivateProfileStringA: value of key in [section] of an INI file, blanks around it removed,
// section and key compared without regard to case. A missing file, section or key gives the
// default (null: empty); an empty value stays empty. The result is cut to room - 1 bytes; the
// count of bytes copied is returned. A file name without a backslash is looked for in the
// Windows folder, as the system does.
unsigned long OsGetProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                                 unsigned long room, const char* file);

// ---- folders of the system ----

// Each fills buffer (room bytes) and returns false when the folder is unknown or too long.
bool OsGetProgramFolder(char* buffer, size_t room);  // the running program's folder, ending in "\"
bool OsGetWindowsFolder(char* buffer, size_t room);  // as GetWindowsDirectoryA: no closing "\"
bool OsGetTempFolder(char* buffer, size_t room);     // as GetTempPathA: ending in "\"
bool OsGetCurrentFolder(char* buffer, size_t room);  // as GetCurrentDirectoryA
bool OsSetCurrentFolder(const char* path);
// Platform id of GetVersionExA (2 for the NT family); false when it cannot be obtained.
bool OsGetPlatformId(unsigned long* platformId);

// ---- processes ----

// Starts a program from a Windows command line (program first, arguments in double quotes where
// they hold blanks) in workFolder (null: the current folder). With wait, returns only when the
// program has ended, its exit code in *exitCode when given. False when it could not be started.
bool OsRunProcess(const char* commandLine, const char* workFolder, bool wait, unsigned long* exitCode);

// ---- this process ----

// Peak resident memory of this process in bytes, since it started or since the last
// OsResetPeakMemory; 0 where the system does not tell.
unsigned long long OsPeakMemoryBytes();
// Starts the peak anew where the system allows it (Linux); false elsewhere.
bool OsResetPeakMemory();

// ---- terminal ----

// A Shift-JIS text in the encoding of the terminal: converted where the locale's character set is
// UTF-8, unchanged otherwise (a Shift-JIS console, or a plain C locale that passes bytes through).
std::string OsTerminalText(const char* text);
// What came from the terminal or the command line (OsProgramArguments), as Shift-JIS; false when a
// character has no form of its own in code page 932 (see OsTextFromWide).
bool OsTextFromTerminal(const std::string& typed, std::string& text);
// The program's arguments after its name, in the form OsTextFromTerminal takes: on POSIX as given;
// on Windows read from the system in UTF-16 and carried in UTF-8, since the runtime's own argv
// holds them in the ANSI code page by best fit (ü as u, the yen sign as a backslash). False when
// the command line cannot be read.
bool OsProgramArguments(int argc, char** argv, std::vector<std::string>& arguments);
// Unicode text as Shift-JIS, each character as itself: one without a form of its own in code page
// 932 becomes "?", which no path takes, never a look-alike by best fit; false when there was one.
bool OsTextFromWide(const std::wstring& wide, std::string& text);

// ---- native paths ----

// The path the C and C++ runtime's file functions take for a Windows-form path. False when the
// path cannot be reached (unmapped drive, drive without medium, bytes that are not Shift-JIS, a
// reserved device name). On POSIX, as Windows does before any access, "." and ".." are resolved
// and stop at the root of the drive or share, and trailing dots and blanks of names are dropped.
bool OsNativePath(const char* path, std::string& native);

// ---- files by runtime path (OsNativePath's result, or a path the runtime takes as it is) ----

// Kind of what the path names; with followLinks false a link is FileSpecial.
_FileKind OsRuntimeFileKind(const char* path, bool followLinks);
// The full path, without links, of what the path names once every link on the way is followed;
// false when nothing is there or a link leads nowhere.
bool OsRuntimeFinalPath(const char* path, std::string& target);
// Puts the file source in the place of target in one step, written through to the disk. Refused,
// with both left as they were, when target is not a plain file or is read-only (as Windows
// refuses it) or held open by another program; the mode of a replaced file is kept.
bool OsReplaceRuntimeFile(const char* source, const char* target);
// What the runtime path names, links followed; false when nothing is there.
bool OsRuntimeFileIdentity(const char* path, StFILEID* id);

// An exclusive lock on the file at path (created when missing, never through a link), held until
// OsUnlockFile; waits at most waitMs for another holder. Null on time-out or failure.
struct StFILELOCK;
StFILELOCK* OsLockFile(const char* path, unsigned long waitMs);
void OsUnlockFile(StFILELOCK* lock);

// ---- drive arrangement (POSIX only; the real system's drives cannot be arranged) ----

// Maps a drive letter to a native folder with a drive type; an empty folder is a drive without a
// medium. False on Windows or for a letter outside A to Z.
bool OsMapDrive(char letter, const char* nativeFolder, unsigned type);
bool OsUnmapDrive(char letter);
// Native folder that holds "server/share/..." for network paths; empty: network paths fail.
bool OsSetShareFolder(const char* nativeFolder);
// Back to the configuration of the environment (ASSETEXPORT_DRIVES, ASSETEXPORT_SHARES).
bool OsResetDrives();
