// files_system.h - what the file operations common to every platform ask of each platform's own file.
#pragma once

#include "osapi.h"

enum _LockAttempt { LockTaken, LockBusy, LockRefused };

// The lock file, created when missing and never through a link; null when it cannot be opened.
StFILELOCK* OpenLockFile(const char* path);
// One try for the exclusive lock, without waiting.
_LockAttempt TryLockFile(StFILELOCK* lock);
// Closes the lock file, which releases its lock.
void CloseLockFile(StFILELOCK* lock);
void PauseMilliseconds(unsigned long ms);
