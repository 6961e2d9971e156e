// osapi_win32.cpp - the operating system on Windows: a thin pass-through to the ANSI API.
#include <windows.h>  // first: the other system headers rely on it

#include <io.h>
#include <psapi.h>
#include <shlwapi.h>

#include <atomic>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <string>

#include "osapi.h"

namespace {

bool Fits(DWORD length, size_t room) { return length > 0 && length < room; }

// What a handle opened without access rights shows: a device (NUL, CON.csv, a pipe) is no disk
// file, and a reparse point is opened as itself when links are not to be followed, so that its tag
// tells a link from a cloud placeholder. attributesSeen: what the caller read by the name, added
// to what the handle shows (Wine marks a folder link only in the former).
_FileKind KindOfPath(const char* path, bool followLinks, DWORD attributesSeen = 0) {
    const DWORD flags = FILE_FLAG_BACKUP_SEMANTICS | (followLinks ? 0 : FILE_FLAG_OPEN_REPARSE_POINT);
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           flags, nullptr);
    if (h == INVALID_HANDLE_VALUE) return FileNone;
    _FileKind kind = FileSpecial;
    FILE_ATTRIBUTE_TAG_INFO info;
    if (GetFileType(h) == FILE_TYPE_DISK && GetFileInformationByHandleEx(h, FileAttributeTagInfo, &info, sizeof info))
        kind = followLinks ? OsKindOfAttributes(info.FileAttributes & ~FILE_ATTRIBUTE_REPARSE_POINT, 0)
                           : OsKindOfAttributes(info.FileAttributes | attributesSeen, info.ReparseTag);
    CloseHandle(h);
    return kind;
}

// Scanners, the search indexer and sync clients open a new file for a moment; a replace or delete
// that meets one of them is tried again with growing pauses for about two seconds. A read-only
// target is refused for good.
const DWORD kRetryMs = 2000;

bool Transient(DWORD error, const char* target) {
    if (error == ERROR_SHARING_VIOLATION || error == ERROR_LOCK_VIOLATION) return true;
    if (error != ERROR_ACCESS_DENIED) return false;
    const DWORD attributes = GetFileAttributesA(target);
    return attributes != INVALID_FILE_ATTRIBUTES &&
           !(attributes & (FILE_ATTRIBUTE_READONLY | FILE_ATTRIBUTE_DIRECTORY));
}

template <class Step>
bool Retried(const char* target, Step step) {
    DWORD pause = 10;
    for (DWORD waited = 0;; waited += pause, pause *= 2) {
        if (step()) return true;
        const DWORD error = GetLastError();
        if (waited >= kRetryMs || !Transient(error, target)) {
            SetLastError(error);
            return false;
        }
        if (pause > kRetryMs - waited) pause = kRetryMs - waited;
        Sleep(pause);
    }
}

bool MoveRetried(const char* source, const char* target) {
    return Retried(target, [&] {
        return MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
    });
}

bool DeleteRetried(const char* path) {
    return path && Retried(path, [&] { return DeleteFileA(path) != FALSE; });
}

}  // namespace

bool OsNativePath(const char* path, std::string& native) {
    if (!path) return false;
    native = path;  // the runtime takes Windows paths in the ANSI code page as they are
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

bool OsCreateDirectory(const char* path) { return path && CreateDirectoryA(path, nullptr) != FALSE; }

bool OsRemoveDirectory(const char* path) { return path && RemoveDirectoryA(path) != FALSE; }

// GetFileAttributesExA rather than _stat: _stat refuses a folder named with a closing backslash.
StFILESTATUS OsGetFileStatus(const char* path) {
    StFILESTATUS status = {FileNone, 0};
    WIN32_FILE_ATTRIBUTE_DATA data;
    if (!path || !GetFileAttributesExA(path, GetFileExInfoStandard, &data)) return status;
    if ((data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) && !(data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT)) {
        status.kind = FileFolder;
        return status;
    }
    // A device name or a reparse point: the handle tells what it is. One that cannot be opened is
    // taken by its attributes, as a link where they show a reparse point.
    status.kind = KindOfPath(path, false, data.dwFileAttributes);
    if (status.kind == FileNone)
        status.kind = (data.dwFileAttributes & FILE_ATTRIBUTE_REPARSE_POINT) ? FileSpecial : FilePlain;
    if (status.kind == FilePlain)
        status.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    return status;
}

_FileKind OsRuntimeFileKind(const char* path, bool followLinks) {
    return path ? KindOfPath(path, followLinks) : FileNone;
}

// Opened without FILE_FLAG_OPEN_REPARSE_POINT, the handle is what every link leads to.
bool OsRuntimeFinalPath(const char* path, std::string& target) {
    target.clear();
    if (!path || !*path) return false;
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    char name[1024];
    const DWORD n = GetFinalPathNameByHandleA(h, name, sizeof name, FILE_NAME_NORMALIZED | VOLUME_NAME_DOS);
    CloseHandle(h);
    if (n == 0 || n >= sizeof name) return false;
    // The answer has the prefix of long paths: "\\?\C:\..." or "\\?\UNC\server\share\...".
    if (std::strncmp(name, "\\\\?\\UNC\\", 8) == 0)
        target = std::string("\\\\") + (name + 8);
    else if (std::strncmp(name, "\\\\?\\", 4) == 0)
        target = name + 4;
    else
        target = name;
    return true;
}

bool OsCreateUniqueSibling(const char* target, std::string& created) {
    created.clear();
    if (!target || !*target) return false;
    char folder[MAX_PATH + 1];
    if (std::strlen(target) > MAX_PATH) return false;
    std::strcpy(folder, target);
    *PathFindFileNameA(folder) = '\0';
    static std::atomic<unsigned> counter{0};  // saves may run on several threads
    for (int attempt = 0; attempt < 100; ++attempt) {
        const unsigned long mix = (GetCurrentProcessId() * 2654435761UL) ^ (GetTickCount() * 40503UL) ^
                                  (static_cast<unsigned long>(std::time(nullptr)) << 7) ^ (++counter * 97UL);
        char name[24];
        std::snprintf(name, sizeof name, "~%08lx.tmp", mix & 0xFFFFFFFFUL);
        const std::string candidate = std::string(folder) + name;
        // CREATE_NEW fails on anything of that name, a link included.
        HANDLE h = CreateFileA(candidate.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_NEW, FILE_ATTRIBUTE_NORMAL, nullptr);
        if (h != INVALID_HANDLE_VALUE) {
            CloseHandle(h);
            created = candidate;
            return true;
        }
        if (GetLastError() != ERROR_FILE_EXISTS && GetLastError() != ERROR_ALREADY_EXISTS) return false;
    }
    return false;
}

bool OsReplaceRuntimeFile(const char* source, const char* target) {
    if (!source || !target) return false;
    const _FileKind old = KindOfPath(target, false);
    if (old != FileNone && old != FilePlain) return false;
    // Windows refuses to replace a read-only file; Wine's move does not, so ask the attribute.
    const DWORD attributes = GetFileAttributesA(target);
    if (attributes != INVALID_FILE_ATTRIBUTES && (attributes & FILE_ATTRIBUTE_READONLY)) return false;
    // One held open by another program makes the move fail once the retries are spent.
    return MoveRetried(source, target);
}

bool OsDeleteRuntimeFile(const char* path) { return DeleteRetried(path); }

struct StFILELOCK {
    HANDLE file;
};

StFILELOCK* OsLockFile(const char* path, unsigned long waitMs) {
    if (!path) return nullptr;
    if (KindOfPath(path, false) == FileSpecial) return nullptr;
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) return nullptr;
    for (unsigned long waited = 0;; waited += 10) {
        OVERLAPPED at;
        std::memset(&at, 0, sizeof at);
        if (LockFileEx(h, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at))
            return new StFILELOCK{h};
        if (waited >= waitMs) break;
        Sleep(10);
    }
    CloseHandle(h);
    return nullptr;
}

void OsUnlockFile(StFILELOCK* lock) {
    if (!lock) return;
    OVERLAPPED at;
    std::memset(&at, 0, sizeof at);
    UnlockFileEx(lock->file, 0, 1, 0, &at);
    CloseHandle(lock->file);
    delete lock;
}

bool OsDeleteFile(const char* path) { return DeleteRetried(path); }

// Within one volume MoveFileExA replaces the target by renaming, so no reader sees half a file.
bool OsReplaceFile(const char* source, const char* target) { return source && target && MoveRetried(source, target); }

unsigned long OsGetProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                                 unsigned long room, const char* file) {
    if (!buffer || room == 0) return 0;
    // A null section or key would list names instead of reading a value.
    if (!section || !key) {
        std::strncpy(buffer, defaultValue ? defaultValue : "", room - 1);
        buffer[room - 1] = '\0';
        return static_cast<unsigned long>(std::strlen(buffer));
    }
    return GetPrivateProfileStringA(section, key, defaultValue, buffer, room, file);
}

bool OsGetProgramFolder(char* buffer, size_t room) {
    char path[MAX_PATH + 1] = {0};
    const DWORD n = GetModuleFileNameA(nullptr, path, MAX_PATH);
    // A full buffer means a cut name.
    if (n == 0 || n >= MAX_PATH) return false;
    char* name = PathFindFileNameA(path);
    *name = '\0';
    if (std::strlen(path) + 1 > room) return false;
    std::strcpy(buffer, path);
    return true;
}

bool OsGetWindowsFolder(char* buffer, size_t room) {
    return Fits(GetWindowsDirectoryA(buffer, static_cast<UINT>(room)), room);
}

bool OsGetTempFolder(char* buffer, size_t room) {
    return Fits(GetTempPathA(static_cast<DWORD>(room), buffer), room);
}

bool OsGetCurrentFolder(char* buffer, size_t room) {
    return Fits(GetCurrentDirectoryA(static_cast<DWORD>(room), buffer), room);
}

bool OsSetCurrentFolder(const char* path) { return path && SetCurrentDirectoryA(path) != FALSE; }

unsigned long long OsPeakMemoryBytes() {
    PROCESS_MEMORY_COUNTERS counters;
    std::memset(&counters, 0, sizeof counters);
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.PeakWorkingSetSize;
}

bool OsResetPeakMemory() { return false; }  // the peak working set cannot be reset

bool OsGetPlatformId(unsigned long* platformId) {
    if (!platformId) return false;
    OSVERSIONINFOA info;
    std::memset(&info, 0, sizeof info);
    info.dwOSVersionInfoSize = sizeof info;  // 148
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Wdeprecated-declarations"
    if (!GetVersionExA(&info)) return false;
#pragma GCC diagnostic pop
    *platformId = info.dwPlatformId;
    return true;
}

bool OsRunProcess(const char* commandLine, const char* workFolder, bool wait, unsigned long* exitCode) {
    if (!commandLine) return false;
    // CreateProcess may write into the command line: give it a copy.
    std::string line = commandLine;
    STARTUPINFOA startup;
    std::memset(&startup, 0, sizeof startup);
    startup.cb = sizeof startup;
    startup.dwFlags = STARTF_USESHOWWINDOW;
    startup.wShowWindow = SW_SHOWNORMAL;
    PROCESS_INFORMATION process;
    std::memset(&process, 0, sizeof process);
    if (!CreateProcessA(nullptr, &line[0], nullptr, nullptr, FALSE, CREATE_NEW_CONSOLE, nullptr,
                        workFolder && *workFolder ? workFolder : nullptr, &startup, &process))
        return false;
    // For about a second, handle what is already waiting, so that windows repaint before the wait.
    const DWORD until = GetTickCount() + 1000;
    MSG message;
    while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        TranslateMessage(&message);
        DispatchMessageA(&message);
        if (static_cast<LONG>(GetTickCount() - until) > 0) break;
    }
    CloseHandle(process.hThread);
    if (wait) {
        // Only paint messages are dispatched while the program runs: nothing else may happen.
        for (;;) {
            const DWORD result = MsgWaitForMultipleObjects(1, &process.hProcess, FALSE, INFINITE, QS_PAINT);
            // A failed wait would fail again at once: spinning on it would hang the program.
            if (result == WAIT_OBJECT_0 || result == WAIT_FAILED) break;
            if (result == WAIT_OBJECT_0 + 1) {
                while (PeekMessageA(&message, nullptr, WM_PAINT, WM_PAINT, PM_REMOVE)) DispatchMessageA(&message);
            }
        }
        DWORD code = 0;
        if (exitCode && GetExitCodeProcess(process.hProcess, &code)) *exitCode = code;
    }
    CloseHandle(process.hProcess);
    if (wait) {
        while (PeekMessageA(&message, nullptr, 0, 0, PM_REMOVE)) {
        }
    }
    return true;
}

// The real system's drives are the system's; tests that need other drive types skip.
bool OsMapDrive(char, const char*, unsigned) { return false; }
bool OsUnmapDrive(char) { return false; }
bool OsSetShareFolder(const char*) { return false; }
bool OsResetDrives() { return false; }

// The console and the command line of a Japanese system are in the ANSI code page already.
std::string OsTerminalText(const char* text) { return text ? text : ""; }

bool OsTextFromTerminal(const std::string& typed, std::string& text) {
    text = typed;
    return true;
}
