// files_posix.cpp - files on POSIX: status, identity, replacement in one step, the temporary, locks.
#include <dirent.h>
#include <fcntl.h>
#include <signal.h>
#include <sys/file.h>
#include <sys/stat.h>
#include <unistd.h>

#include <atomic>
#include <cerrno>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <mutex>
#include <string>

#include "files_system.h"
#include "osapi.h"
#include "posix_shared.h"
#include "tempfile.h"

using namespace osposix;

namespace {

bool NoFollowStat(const char* native, struct stat* st) { return ::lstat(native, st) == 0; }

_FileKind KindOf(const struct stat& st) {
    if (S_ISREG(st.st_mode)) return FilePlain;
    if (S_ISDIR(st.st_mode)) return FileFolder;
    return FileSpecial;
}

StFILEID IdOf(const struct stat& st) {
    return StFILEID{static_cast<unsigned long long>(st.st_dev), static_cast<unsigned long long>(st.st_ino)};
}

// Temporaries that a signal ending the program removes. The handler may run on any thread at any
// moment, so the paths sit in fixed slots that it takes with one exchange each.
const int kEndingSignals[] = {SIGHUP, SIGINT, SIGQUIT, SIGPIPE, SIGTERM, SIGXFSZ};
const size_t kEndingSignalCount = sizeof kEndingSignals / sizeof kEndingSignals[0];
std::atomic<char*> g_doomed[64];
struct sigaction g_before[kEndingSignalCount];
std::mutex g_installing;

void RemoveDoomed(int signalNumber) {
    for (std::atomic<char*>& slot : g_doomed)
        if (char* path = slot.exchange(nullptr)) ::unlink(path);
    // What was there before, then the signal again once this handler returns: the program ends as
    // it would have ended without the temporaries.
    for (size_t i = 0; i < kEndingSignalCount; ++i)
        if (kEndingSignals[i] == signalNumber) ::sigaction(signalNumber, &g_before[i], nullptr);
    ::raise(signalNumber);
}

// Our handler wherever another has not taken its place since; a signal the program ignores (as
// under nohup) stays ignored, and the run with it.
void InstallRemoval() {
    const std::lock_guard<std::mutex> hold(g_installing);
    struct sigaction ours;
    std::memset(&ours, 0, sizeof ours);
    ours.sa_handler = RemoveDoomed;
    ours.sa_flags = SA_RESTART;
    sigemptyset(&ours.sa_mask);
    for (size_t i = 0; i < kEndingSignalCount; ++i) {
        struct sigaction now;
        if (::sigaction(kEndingSignals[i], nullptr, &now) != 0) continue;
        if (now.sa_handler == RemoveDoomed || now.sa_handler == SIG_IGN) continue;
        ::sigaction(kEndingSignals[i], &ours, &g_before[i]);
    }
}

void Doom(const std::string& path) {
    InstallRemoval();
    char* copy = ::strdup(path.c_str());
    if (!copy) return;
    for (std::atomic<char*>& slot : g_doomed) {
        char* empty = nullptr;
        if (slot.compare_exchange_strong(empty, copy)) return;
    }
    std::free(copy);  // every slot taken: the next run's clean-up removes it instead
}

void Spare(const std::string& path) {
    for (std::atomic<char*>& slot : g_doomed) {
        char* held = slot.load();
        if (held && std::strcmp(held, path.c_str()) == 0 && slot.compare_exchange_strong(held, nullptr)) {
            std::free(held);
            return;
        }
    }
}

// Whether the name still leads to the file that fd holds open.
bool StillNamed(int fd, const std::string& path) {
    struct stat held, named;
    return ::fstat(fd, &held) == 0 && ::lstat(path.c_str(), &named) == 0 && IdOf(held) == IdOf(named);
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

bool OsRuntimeFileIdentity(const char* path, StFILEID* id) {
    struct stat st;
    if (!path || !id || ::stat(path, &st) != 0) return false;
    *id = IdOf(st);
    return true;
}

bool OsFileIdentity(const char* path, StFILEID* id) {
    std::string native;
    return path && OsNativePath(path, native) && OsRuntimeFileIdentity(native.c_str(), id);
}

// The moment between the test and the removal is the one POSIX leaves open; a run that put its
// file in place in that moment loses it, as it would to a later run.
bool OsDeleteFileIfSame(const char* path, const StFILEID& id) {
    std::string native;
    struct stat st;
    return path && OsNativePath(path, native) && ::lstat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode) &&
           IdOf(st) == id && ::unlink(native.c_str()) == 0;
}

// ---- the temporary file's system part ----

unsigned long ClTempFile::ProcessNumber() { return static_cast<unsigned long>(::getpid()); }

namespace {

// The ending signals wait while a temporary is made and not yet in the table: one that came in
// between would leave it behind.
class ClEndingSignalsHeld {
public:
    ClEndingSignalsHeld() {
        sigset_t held;
        sigemptyset(&held);
        for (const int signalNumber : kEndingSignals) sigaddset(&held, signalNumber);
        ::pthread_sigmask(SIG_BLOCK, &held, &m_before);
    }
    ~ClEndingSignalsHeld() { ::pthread_sigmask(SIG_SETMASK, &m_before, nullptr); }
    ClEndingSignalsHeld(const ClEndingSignalsHeld&) = delete;
    ClEndingSignalsHeld& operator=(const ClEndingSignalsHeld&) = delete;

private:
    sigset_t m_before;
};

}  // namespace

ClTempFile::_Made ClTempFile::OpenNew(const std::string& path) {
    const ClEndingSignalsHeld held;
    const int fd = ::open(path.c_str(), O_RDWR | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return errno == EEXIST ? NameTaken : NotMade;
    // Locked while it lives, so that another run's clean-up passes it by. Where the file system
    // has no locks, no clean-up can take it either. One that took the name in the moment before
    // the lock has removed the file: another name then.
    int locked;
    while ((locked = ::flock(fd, LOCK_EX)) != 0 && errno == EINTR) {
    }
    if ((locked != 0 && errno != ENOLCK && errno != EOPNOTSUPP && errno != EINVAL) || !StillNamed(fd, path)) {
        ::close(fd);
        return NameTaken;
    }
    struct stat st;
    ::fstat(fd, &st);
    m_id = IdOf(st);
    m_handle = fd;
    Doom(path);
    return Made;
}

bool ClTempFile::WriteOut(const char* bytes, size_t count) {
    while (count > 0) {
        const ssize_t n = ::write(static_cast<int>(m_handle), bytes, count);
        if (n < 0 && errno == EINTR) continue;
        if (n <= 0) return false;
        bytes += n;
        count -= static_cast<size_t>(n);
    }
    return true;
}

bool ClTempFile::Place() { return OsReplaceRuntimeFile(m_path.c_str(), m_target.c_str()); }

// Removed while still locked, so that no clean-up of another run can mistake it for a leftover.
void ClTempFile::Close(bool remove) {
    if (remove) ::unlink(m_path.c_str());
    Spare(m_path);
    ::close(static_cast<int>(m_handle));
    m_handle = kNoHandle;
}

// A temporary that no live run holds locked is what a killed run left.
void ClTempFile::RemoveLeftovers(const std::string& folder) {
    DIR* dir = ::opendir(folder.empty() ? "." : folder.c_str());
    if (!dir) return;
    while (const struct dirent* entry = ::readdir(dir)) {
        if (!IsTemporaryName(entry->d_name)) continue;
        const std::string path = folder + entry->d_name;
        const int fd = ::open(path.c_str(), O_RDONLY | O_NOFOLLOW | O_NONBLOCK | O_CLOEXEC);
        if (fd < 0) continue;
        struct stat st;
        if (::fstat(fd, &st) == 0 && S_ISREG(st.st_mode) && ::flock(fd, LOCK_EX | LOCK_NB) == 0 && StillNamed(fd, path))
            ::unlink(path.c_str());
        ::close(fd);
    }
    ::closedir(dir);
}

struct StFILELOCK {
    int fd;
};

StFILELOCK* OpenLockFile(const char* path) {
    const int fd = ::open(path, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    return new StFILELOCK{fd};
}

_LockAttempt TryLockFile(StFILELOCK* lock) {
    if (::flock(lock->fd, LOCK_EX | LOCK_NB) == 0) return LockTaken;
    return errno == EWOULDBLOCK || errno == EINTR ? LockBusy : LockRefused;
}

void CloseLockFile(StFILELOCK* lock) {
    ::close(lock->fd);
    delete lock;
}

void PauseMilliseconds(unsigned long ms) {
    const struct timespec pause = {static_cast<time_t>(ms / 1000), static_cast<long>(ms % 1000) * 1000000L};
    ::nanosleep(&pause, nullptr);
}
