// robot.h - the window robot's hands and eyes: programs started and ended by handle, windows
// found by class and title, keys posted or typed, texts read back as Shift-JIS bytes, screenshots.
#pragma once

#include <windows.h>

#include <string>
#include <vector>

// Polls every 50 ms, pumping the robot's own messages, until done() holds or the time is up.
template <class Done>
bool WaitFor(Done done, DWORD timeoutMs = 10000) {
    const DWORD start = GetTickCount();
    for (;;) {
        if (done()) return true;
        if (GetTickCount() - start >= timeoutMs) return false;
        MsgWaitForMultipleObjects(0, nullptr, FALSE, 50, QS_ALLINPUT);
        MSG msg;
        while (PeekMessageA(&msg, nullptr, 0, 0, PM_REMOVE)) DispatchMessageA(&msg);
    }
}

// Lets the target paint (and the robot pump) for a while; for screenshots, never for results.
void Settle(DWORD ms = 300);

// The robot's environment: the paths the harness hands over.
std::string Env(const char* name);

// A process the robot started; ended by its handle if it is still running when the object goes.
class ClProgram {
public:
    ClProgram() = default;
    ~ClProgram();
    ClProgram(const ClProgram&) = delete;
    ClProgram& operator=(const ClProgram&) = delete;

    bool Start(const std::string& commandLine, const std::string& folder);
    // True when the process ended within the time; its exit code in *code.
    bool WaitExit(DWORD timeoutMs, DWORD* code = nullptr);
    void Terminate();
    DWORD Id() const { return m_info.dwProcessId; }
    bool Running() const;

private:
    PROCESS_INFORMATION m_info{};
};

// Ends a process that a started program started in turn (the text viewer), by a handle to it.
void TerminateProcessOf(HWND window);

// A top-level window of the process (any process for 0) with this class and, unless null, this
// exact title; only visible ones unless visibleOnly is false.
HWND FindTopWindow(DWORD processId, const char* className, const char* title, bool visibleOnly = true);
HWND WaitTopWindow(DWORD processId, const char* className, const char* title, DWORD timeoutMs = 10000);

std::string Text(HWND window);
std::string ItemText(HWND dialog, int id);
std::string ClassOf(HWND window);
// The window that has the keyboard focus in the thread of window.
HWND FocusOf(HWND window);
int FocusIdOf(HWND window);
// Start and end of the selection of an edit control.
void SelectionOf(HWND edit, DWORD* start, DWORD* end);

// A key through the target's message loop: key down and key up posted to the window.
void PostKey(HWND window, UINT virtualKey);
void PostClick(HWND button);
// Real input to the foreground window: the key with the modifiers held (VK_SHIFT, VK_CONTROL, VK_MENU).
void Press(UINT virtualKey, const std::vector<UINT>& modifiers = {});
// A character typed as real input (a Unicode key event, as an input method delivers it).
void TypeChar(wchar_t ch);
bool BringToFront(HWND window);
// Wine draws the first window a started process activates with an inactive caption until the
// activation changes once; for screenshots as the user sees the window.
void Reactivate(HWND window);

// A message box: a visible #32770 window of the process with the caption.
struct StBOX {
    HWND window = nullptr;
    HWND owner = nullptr;
    std::string text;
};
StBOX WaitBox(DWORD processId, const char* caption, DWORD timeoutMs = 10000);
// Presses a button of the box and waits until it has gone.
bool Answer(const StBOX& box, int buttonId);

// The whole screen as a 24-bit BMP file in the harness's screenshot folder.
bool Screenshot(const char* name);

// Files and folders in Windows form, Shift-JIS bytes as they are.
bool WriteFileBytes(const std::string& path, const std::string& bytes);
std::string ReadFileBytes(const std::string& path);
bool Exists(const std::string& path);
void RemoveTree(const std::string& path);

// A fresh folder under the temporary folder, with a blank in its name; removed with its contents.
class ClTempFolder {
public:
    ClTempFolder();
    ~ClTempFolder() { RemoveTree(m_path); }
    ClTempFolder(const ClTempFolder&) = delete;
    ClTempFolder& operator=(const ClTempFolder&) = delete;
    // The folder joined with a relative path; no closing backslash.
    std::string Path(const std::string& rel = "") const { return rel.empty() ? m_path : m_path + "\\" + rel; }

private:
    std::string m_path;
};
