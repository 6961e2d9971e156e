// osapi_win32.cpp - the operating system on Windows: a thin pass-through to the ANSI API.
#include <windows.h>  // first: the other system headers rely on it

#include <io.h>
#include <psapi.h>
#include <shlwapi.h>

#include <cstdlib>
#include <cstring>
#include <string>

#include "osapi.h"

namespace {

bool Fits(DWORD length, size_t room) { return length > 0 && length < room; }

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
    if (data.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY) {
        status.kind = FileFolder;
    } else {
        status.kind = FilePlain;
        status.size = (static_cast<unsigned long long>(data.nFileSizeHigh) << 32) | data.nFileSizeLow;
    }
    return status;
}

bool OsDeleteFile(const char* path) { return path && DeleteFileA(path) != FALSE; }

// Within one volume MoveFileExA replaces the target by renaming, so no reader sees half a file.
bool OsReplaceFile(const char* source, const char* target) {
    return source && target &&
           MoveFileExA(source, target, MOVEFILE_REPLACE_EXISTING | MOVEFILE_WRITE_THROUGH) != FALSE;
}

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
