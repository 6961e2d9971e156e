// files_win32.cpp - files and folders on Windows: status by handle and reparse tag, replacement, locks.
#include <windows.h>  // first: the other system headers rely on it

#include <shlwapi.h>

#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>
#include <string>

#include "osapi.h"

namespace {

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
