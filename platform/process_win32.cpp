// process_win32.cpp - programs started and waited for on Windows, and this process's memory.
#include <windows.h>  // first: the other system headers rely on it

#include <psapi.h>

#include <cstring>
#include <string>

#include "osapi.h"

unsigned long long OsPeakMemoryBytes() {
    PROCESS_MEMORY_COUNTERS counters;
    std::memset(&counters, 0, sizeof counters);
    counters.cb = sizeof counters;
    if (!GetProcessMemoryInfo(GetCurrentProcess(), &counters, sizeof counters)) return 0;
    return counters.PeakWorkingSetSize;
}

bool OsResetPeakMemory() { return false; }  // the peak working set cannot be reset

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
