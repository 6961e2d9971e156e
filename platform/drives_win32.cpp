// drives_win32.cpp - drives and path syntax on Windows: the shell's path helpers, passed through.
#include <windows.h>  // first: the other system headers rely on it

#include <io.h>
#include <shlwapi.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "osapi.h"
#include "winpath.h"

bool OsNativePath(const char* path, std::string& native) {
    if (!path) return false;
    native = path;  // the runtime takes Windows paths in the ANSI code page as they are
    return true;
}

bool OsFullPath(const char* path, std::string& full) {
    full.clear();
    char resolved[1024];
    if (!path || !*path) return false;
    DWORD n = GetFullPathNameA(path, sizeof resolved, resolved, nullptr);
    if (n == 0 || n >= sizeof resolved) return false;
    char expanded[1024];
    n = GetLongPathNameA(resolved, expanded, sizeof expanded);
    if (n > 0 && n < sizeof expanded) {
        full = expanded;
        return true;
    }
    // A name that does not exist yet has no short form; the folder above it may still be spelt so.
    const size_t split = PastLastChar(resolved, '\\');
    const std::string folder(resolved, split);
    n = split > 0 ? GetLongPathNameA(folder.c_str(), expanded, sizeof expanded) : 0;
    if (n == 0 || n >= sizeof expanded) {
        full = resolved;
        return true;
    }
    full = expanded;
    if (!EndsInBackslash(full.c_str())) full += '\\';
    full += resolved + split;
    return true;
}

unsigned OsGetDriveType(const char* root) { return GetDriveTypeA(root); }

// _access checks existence and the read-only attribute only; mode 6 on a folder passes unless
// the folder is marked read-only.
bool OsCanAccess(const char* path, int mode) { return path && _access(path, mode) == 0; }

bool OsIsDirectory(const char* path) { return path && PathIsDirectoryA(path) != FALSE; }

const char* OsSkipRoot(const char* path) { return path ? PathSkipRootA(path) : nullptr; }

bool OsStripToRoot(char* path) { return path && PathStripToRootA(path) != FALSE; }

// _splitpath follows the runtime's multibyte code page, which is the ANSI code page (932 here)
// from start-up on; its buffers are sized for _MAX_DRIVE and _MAX_DIR at least.
void OsSplitDriveDir(const char* path, char* drive, char* directory) {
    drive[0] = '\0';
    directory[0] = '\0';
    if (!path) return;
    char d[_MAX_DRIVE] = {0};
    char dir[_MAX_DIR] = {0};
    _splitpath(path, d, dir, nullptr, nullptr);
    std::memcpy(drive, d, sizeof d < 3 ? sizeof d : 3);
    drive[2] = '\0';
    std::strncpy(directory, dir, 260);
    directory[260] = '\0';
}

// The real system's drives are the system's; tests that need other drive types skip.
bool OsMapDrive(char, const char*, unsigned) { return false; }

bool OsUnmapDrive(char) { return false; }

bool OsSetShareFolder(const char*) { return false; }

bool OsResetDrives() { return false; }
