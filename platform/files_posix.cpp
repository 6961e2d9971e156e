// files_posix.cpp - files and folders on POSIX: status, exclusive siblings, replacement in one step, locks.
#include <fcntl.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdio>
#include <cstdlib>
#include <ctime>
#include <string>

#include "osapi.h"
#include "posix_shared.h"

using namespace osposix;

namespace {

bool NoFollowStat(const char* native, struct stat* st) { return ::lstat(native, st) == 0; }

_FileKind KindOf(const struct stat& st) {
    if (S_ISREG(st.st_mode)) return FilePlain;
    if (S_ISDIR(st.st_mode)) return FileFolder;
    return FileSpecial;
}

}  // namespace

bool OsCreateDirectory(const char* path) {
    std::string native;
    return OsNativePath(path, native) && ::mkdir(native.c_str(), 0777) == 0;
}

bool OsRemoveDirectory(const char* path) {
    std::string native;
    return OsNativePath(path, native) && ::rmdir(native.c_str()) == 0;
}

StFILESTATUS OsGetFileStatus(const char* path) {
    StFILESTATUS status = {FileNone, 0};
    std::string resolved, native;
    bool reservedLast = false;
    if (!path) return status;
    if (!ResolveWindowsPath(path, resolved, &reservedLast)) {
        // The device is there on every Windows folder, and is no file.
        if (reservedLast) status.kind = FileSpecial;
        return status;
    }
    struct stat st;
    if (!OsNativePath(path, native) || !NoFollowStat(native.c_str(), &st)) return status;
    status.kind = KindOf(st);
    if (status.kind == FilePlain) status.size = static_cast<unsigned long long>(st.st_size);
    return status;
}

bool OsDeleteFile(const char* path) {
    std::string native;
    struct stat st;
    // DeleteFileA refuses folders; unlink would too, but say so plainly.
    return OsNativePath(path, native) && ::stat(native.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) &&
           ::unlink(native.c_str()) == 0;
}

_FileKind OsRuntimeFileKind(const char* path, bool followLinks) {
    struct stat st;
    if (!path || (followLinks ? ::stat(path, &st) : ::lstat(path, &st)) != 0) return FileNone;
    return KindOf(st);
}

bool OsRuntimeFinalPath(const char* path, std::string& target) {
    target.clear();
    char* resolved = path && *path ? ::realpath(path, nullptr) : nullptr;
    if (!resolved) return false;
    target = resolved;
    std::free(resolved);
    return true;
}

bool OsCreateUniqueSibling(const char* target, std::string& created) {
    created.clear();
    if (!target || !*target) return false;
    const std::string path = target;
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    static std::atomic<unsigned> counter{0};  // saves may run on several threads
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Process, time and a counter: distinct between programs and within one.
        const unsigned long mix = (static_cast<unsigned long>(::getpid()) * 2654435761UL) ^
                                  (static_cast<unsigned long>(std::time(nullptr)) * 40503UL) ^
                                  (static_cast<unsigned long>(std::clock()) << 7) ^ (++counter * 97UL);
        char name[24];
        std::snprintf(name, sizeof name, "~%08lx.tmp", mix & 0xFFFFFFFFUL);
        const std::string candidate = folder + name;
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            created = candidate;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool OsReplaceRuntimeFile(const char* source, const char* target) {
    if (!source || !target) return false;
    struct stat old;
    if (::lstat(target, &old) == 0) {
        if (!S_ISREG(old.st_mode)) return false;
        // Windows refuses to replace a read-only file; so do we, on every platform alike.
        // Read-only is no write permission for anyone, as the attribute is, also for root.
        if ((old.st_mode & 0222) == 0 || ::access(target, W_OK) != 0) return false;
        ::chmod(source, old.st_mode & 07777);
    } else if (errno != ENOENT) {
        return false;
    }
    // The bytes reach the disk before the name does, so a crash leaves the old file or the new one.
    const int fd = ::open(source, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    if (!synced || ::rename(source, target) != 0) return false;
    const std::string path = target;
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool OsDeleteRuntimeFile(const char* path) {
    struct stat st;
    return path && ::lstat(path, &st) == 0 && !S_ISDIR(st.st_mode) && ::unlink(path) == 0;
}

struct StFILELOCK {
    int fd;
};

StFILELOCK* OsLockFile(const char* path, unsigned long waitMs) {
    if (!path) return nullptr;
    const int fd = ::open(path, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    for (unsigned long waited = 0;; waited += 10) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return new StFILELOCK{fd};
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= waitMs) break;
        const struct timespec pause = {0, 10 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
    ::close(fd);
    return nullptr;
}

void OsUnlockFile(StFILELOCK* lock) {
    if (!lock) return;
    ::close(lock->fd);  // releases the lock
    delete lock;
}
