// folders_win32.cpp - the program's, Windows, temporary and current folders on Windows, and the platform id.
#include <windows.h>  // first: the other system headers rely on it

#include <shlwapi.h>

#include <cstring>

#include "osapi.h"

namespace {

bool Fits(DWORD length, size_t room) { return length > 0 && length < room; }

}  // namespace

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
