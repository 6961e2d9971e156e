// files_win32.cpp - files on Windows: status by handle and reparse tag, identity, replacement, the temporary, locks.
#include <windows.h>  // first: the other system headers rely on it

#include <shlwapi.h>

#include <cstring>
#include <string>

#include "files_system.h"
#include "osapi.h"
#include "tempfile.h"

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

bool IdOf(HANDLE h, StFILEID* id) {
    BY_HANDLE_FILE_INFORMATION info;
    if (!GetFileInformationByHandle(h, &info)) return false;
    id->volume = info.dwVolumeSerialNumber;
    id->index = (static_cast<unsigned long long>(info.nFileIndexHigh) << 32) | info.nFileIndexLow;
    return true;
}

// Marks an open file for deletion when its last handle closes, or takes the mark back.
bool SetDisposition(HANDLE h, bool remove) {
    FILE_DISPOSITION_INFO info;
    info.DeleteFile = remove ? TRUE : FALSE;
    return SetFileInformationByHandle(h, FileDispositionInfo, &info, sizeof info) != FALSE;
}

HANDLE Handle(intptr_t handle) { return reinterpret_cast<HANDLE>(handle); }

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

// A folder opens too (backup semantics), and no access right is asked, so nothing is refused for
// sharing: what the path leads to is all that counts.
bool OsRuntimeFileIdentity(const char* path, StFILEID* id) {
    if (!path || !id) return false;
    HANDLE h = CreateFileA(path, 0, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, OPEN_EXISTING,
                           FILE_FLAG_BACKUP_SEMANTICS, nullptr);
    if (h == INVALID_HANDLE_VALUE) return false;
    const bool known = IdOf(h, id);
    CloseHandle(h);
    return known;
}

bool OsFileIdentity(const char* path, StFILEID* id) { return OsRuntimeFileIdentity(path, id); }

// The test and the removal on one handle: what is deleted is the file that was compared.
bool OsDeleteFileIfSame(const char* path, const StFILEID& id) {
    return path && Retried(path, [&] {
        HANDLE h = CreateFileA(path, DELETE | FILE_READ_ATTRIBUTES, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                               nullptr, OPEN_EXISTING, FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h == INVALID_HANDLE_VALUE) return false;
        StFILEID now;
        FILE_ATTRIBUTE_TAG_INFO info;
        const bool same = IdOf(h, &now) && now == id &&
                          GetFileInformationByHandleEx(h, FileAttributeTagInfo, &info, sizeof info) &&
                          OsKindOfAttributes(info.FileAttributes, info.ReparseTag) == FilePlain;
        const bool deleted = same && SetDisposition(h, true);
        const DWORD error = same ? GetLastError() : ERROR_FILE_NOT_FOUND;  // another file: no retry
        CloseHandle(h);
        SetLastError(error);
        return deleted;
    });
}

// ---- the temporary file's system part ----

unsigned long ClTempFile::ProcessNumber() { return GetCurrentProcessId(); }

ClTempFile::_Made ClTempFile::OpenNew(const std::string& path) {
    // CREATE_NEW fails on anything of that name, a link included. Shared for deletion, so that the
    // file can take the target's name while it is still held.
    HANDLE h = CreateFileA(path.c_str(), GENERIC_WRITE | DELETE | FILE_READ_ATTRIBUTES,
                           FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE, nullptr, CREATE_NEW,
                           FILE_ATTRIBUTE_NORMAL, nullptr);
    if (h == INVALID_HANDLE_VALUE) {
        const DWORD error = GetLastError();
        return error == ERROR_FILE_EXISTS || error == ERROR_ALREADY_EXISTS ? NameTaken : NotMade;
    }
    // Marked for deletion until kept: however the program ends (Ctrl+C, Ctrl+Break, the console
    // closed, Task Manager), the system removes the file with the last handle. Where the file
    // system has no such mark, Close removes it, and the next run's clean-up what a kill left.
    SetDisposition(h, true);
    IdOf(h, &m_id);
    m_handle = reinterpret_cast<intptr_t>(h);
    return Made;
}

bool ClTempFile::WriteOut(const char* bytes, size_t count) {
    while (count > 0) {
        const DWORD chunk = count > 0x40000000 ? 0x40000000 : static_cast<DWORD>(count);
        DWORD written = 0;
        if (!WriteFile(Handle(m_handle), bytes, chunk, &written, nullptr) || written == 0) return false;
        bytes += written;
        count -= written;
    }
    return true;
}

// Still held while it takes the target's name, so that no clean-up of another run ever sees it
// unheld; marked for deletion again when the target refuses.
bool ClTempFile::Place() {
    HANDLE h = Handle(m_handle);
    if (!FlushFileBuffers(h) || !SetDisposition(h, false)) return false;
    if (OsReplaceRuntimeFile(m_path.c_str(), m_target.c_str())) return true;
    SetDisposition(h, true);
    return false;
}

void ClTempFile::Close(bool remove) {
    HANDLE h = Handle(m_handle);
    const bool marked = remove && SetDisposition(h, true);
    CloseHandle(h);
    if (remove && !marked) DeleteRetried(m_path.c_str());
    m_handle = kNoHandle;
}

// Opened without sharing, a temporary opens only when no live run holds it: then it is what a
// killed run left, and goes.
void ClTempFile::RemoveLeftovers(const std::string& folder) {
    WIN32_FIND_DATAA found;
    HANDLE search = FindFirstFileA((folder + "*.tmp").c_str(), &found);
    if (search == INVALID_HANDLE_VALUE) return;
    do {
        if (!IsTemporaryName(found.cFileName) ||
            (found.dwFileAttributes & (FILE_ATTRIBUTE_DIRECTORY | FILE_ATTRIBUTE_REPARSE_POINT)))
            continue;
        HANDLE h = CreateFileA((folder + found.cFileName).c_str(), DELETE, 0, nullptr, OPEN_EXISTING,
                               FILE_FLAG_OPEN_REPARSE_POINT, nullptr);
        if (h == INVALID_HANDLE_VALUE) continue;
        SetDisposition(h, true);
        CloseHandle(h);
    } while (FindNextFileA(search, &found));
    FindClose(search);
}

struct StFILELOCK {
    HANDLE file;
};

StFILELOCK* OpenLockFile(const char* path) {
    if (KindOfPath(path, false) == FileSpecial) return nullptr;
    HANDLE h = CreateFileA(path, GENERIC_READ | GENERIC_WRITE, FILE_SHARE_READ | FILE_SHARE_WRITE | FILE_SHARE_DELETE,
                           nullptr, OPEN_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    return h == INVALID_HANDLE_VALUE ? nullptr : new StFILELOCK{h};
}

// Any failure counts as another holder, tried again until the wait is over.
_LockAttempt TryLockFile(StFILELOCK* lock) {
    OVERLAPPED at;
    std::memset(&at, 0, sizeof at);
    return LockFileEx(lock->file, LOCKFILE_EXCLUSIVE_LOCK | LOCKFILE_FAIL_IMMEDIATELY, 0, 1, 0, &at) ? LockTaken
                                                                                                     : LockBusy;
}

void CloseLockFile(StFILELOCK* lock) {
    OVERLAPPED at;
    std::memset(&at, 0, sizeof at);
    UnlockFileEx(lock->file, 0, 1, 0, &at);
    CloseHandle(lock->file);
    delete lock;
}

void PauseMilliseconds(unsigned long ms) { Sleep(ms); }
