// files.cpp - the file operations' part common to every platform: one file however it is named, locks.
#include <string>

#include "files_system.h"
#include "osapi.h"
#include "winpath.h"

namespace {
const unsigned long kLockPollMs = 10;
}  // namespace

bool OsSameFile(const char* a, const char* b) {
    std::string fullA, fullB;
    if (!a || !b || !OsFullPath(a, fullA) || !OsFullPath(b, fullB)) return false;
    StFILEID idA, idB;
    if (OsFileIdentity(fullA.c_str(), &idA) && OsFileIdentity(fullB.c_str(), &idB) && idA == idB) return true;
    // What does not exist (yet) is the name it would have: Windows compares names without regard
    // to case, so one name in one folder is one file, whichever spelling was there first.
    const size_t startA = FileNameStart(fullA.c_str());
    const size_t startB = FileNameStart(fullB.c_str());
    if (!SameNoCase(fullA.c_str() + startA, fullB.c_str() + startB)) return false;
    if (SameNoCase(fullA.c_str(), fullB.c_str())) return true;
    StFILEID folderA, folderB;
    return OsFileIdentity(fullA.substr(0, startA).c_str(), &folderA) &&
           OsFileIdentity(fullB.substr(0, startB).c_str(), &folderB) && folderA == folderB;
}

// Polled rather than waited on, so that the wait is bounded alike on every platform.
StFILELOCK* OsLockFile(const char* path, unsigned long waitMs) {
    StFILELOCK* lock = path ? OpenLockFile(path) : nullptr;
    if (!lock) return nullptr;
    for (unsigned long waited = 0;; waited += kLockPollMs) {
        const _LockAttempt attempt = TryLockFile(lock);
        if (attempt == LockTaken) return lock;
        if (attempt == LockRefused || waited >= waitMs) break;
        PauseMilliseconds(kLockPollMs);
    }
    CloseLockFile(lock);
    return nullptr;
}

void OsUnlockFile(StFILELOCK* lock) {
    if (lock) CloseLockFile(lock);
}
