// robot.cpp - the window robot's helpers on the Win32 API.
#include "robot.h"

#include <cstdio>
#include <cstring>

void Settle(DWORD ms) {
    WaitFor([] { return false; }, ms);
}

std::string Env(const char* name) {
    char value[1024];
    const DWORD n = GetEnvironmentVariableA(name, value, sizeof value);
    return n > 0 && n < sizeof value ? std::string(value, n) : std::string();
}

ClProgram::~ClProgram() {
    Terminate();
}

bool ClProgram::Start(const std::string& commandLine, const std::string& folder) {
    Terminate();
    STARTUPINFOA startup{};
    startup.cb = sizeof startup;
    std::vector<char> line(commandLine.begin(), commandLine.end());
    line.push_back('\0');
    return CreateProcessA(nullptr, line.data(), nullptr, nullptr, FALSE, 0, nullptr,
                          folder.empty() ? nullptr : folder.c_str(), &startup, &m_info) != FALSE;
}

bool ClProgram::Running() const {
    return m_info.hProcess && WaitForSingleObject(m_info.hProcess, 0) == WAIT_TIMEOUT;
}

bool ClProgram::WaitExit(DWORD timeoutMs, DWORD* code) {
    if (!m_info.hProcess) return false;
    if (!WaitFor([this] { return !Running(); }, timeoutMs)) return false;
    if (code) GetExitCodeProcess(m_info.hProcess, code);
    return true;
}

void ClProgram::Terminate() {
    if (!m_info.hProcess) return;
    if (Running()) {
        TerminateProcess(m_info.hProcess, 99);
        WaitForSingleObject(m_info.hProcess, 5000);
    }
    CloseHandle(m_info.hThread);
    CloseHandle(m_info.hProcess);
    m_info = PROCESS_INFORMATION{};
}

void TerminateProcessOf(HWND window) {
    DWORD id = 0;
    if (!window || !GetWindowThreadProcessId(window, &id) || !id) return;
    HANDLE process = OpenProcess(PROCESS_TERMINATE | SYNCHRONIZE, FALSE, id);
    if (!process) return;
    TerminateProcess(process, 99);
    WaitForSingleObject(process, 5000);
    CloseHandle(process);
}

namespace {

struct StSEARCH {
    DWORD processId;
    const char* className;
    const char* title;
    bool visibleOnly;
    HWND found;
};

BOOL CALLBACK MatchWindow(HWND window, LPARAM param) {
    StSEARCH& search = *reinterpret_cast<StSEARCH*>(param);
    DWORD id = 0;
    GetWindowThreadProcessId(window, &id);
    if (search.processId && id != search.processId) return TRUE;
    if (search.visibleOnly && !IsWindowVisible(window)) return TRUE;
    if (search.className && ClassOf(window) != search.className) return TRUE;
    if (search.title && Text(window) != search.title) return TRUE;
    search.found = window;
    return FALSE;
}

}  // namespace

HWND FindTopWindow(DWORD processId, const char* className, const char* title, bool visibleOnly) {
    StSEARCH search{processId, className, title, visibleOnly, nullptr};
    EnumWindows(MatchWindow, reinterpret_cast<LPARAM>(&search));
    return search.found;
}

HWND WaitTopWindow(DWORD processId, const char* className, const char* title, DWORD timeoutMs) {
    HWND found = nullptr;
    WaitFor([&] { return (found = FindTopWindow(processId, className, title)) != nullptr; }, timeoutMs);
    return found;
}

// Sent with a bound: a target waiting for its viewer answers sent messages late.
std::string Text(HWND window) {
    DWORD_PTR length = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXTLENGTH, 0, 0, SMTO_ABORTIFHUNG, 2000, &length)) return "";
    std::string text(length + 1, '\0');
    DWORD_PTR copied = 0;
    if (!SendMessageTimeoutA(window, WM_GETTEXT, text.size(), reinterpret_cast<LPARAM>(&text[0]),
                             SMTO_ABORTIFHUNG, 2000, &copied))
        return "";
    text.resize(std::strlen(text.c_str()));
    return text;
}

std::string ItemText(HWND dialog, int id) {
    HWND item = GetDlgItem(dialog, id);
    return item ? Text(item) : "<no control " + std::to_string(id) + ">";
}

std::string ClassOf(HWND window) {
    char name[256] = "";
    GetClassNameA(window, name, sizeof name);
    return name;
}

HWND FocusOf(HWND window) {
    GUITHREADINFO info{};
    info.cbSize = sizeof info;
    if (!GetGUIThreadInfo(GetWindowThreadProcessId(window, nullptr), &info)) return nullptr;
    return info.hwndFocus;
}

int FocusIdOf(HWND window) {
    HWND focus = FocusOf(window);
    return focus ? GetDlgCtrlID(focus) : 0;
}

void SelectionOf(HWND edit, DWORD* start, DWORD* end) {
    *start = *end = 0xFFFFFFFF;
    DWORD_PTR result = 0;
    if (SendMessageTimeoutA(edit, EM_GETSEL, 0, 0, SMTO_ABORTIFHUNG, 2000, &result)) {
        *start = LOWORD(result);
        *end = HIWORD(result);
    }
}

void PostKey(HWND window, UINT virtualKey) {
    const UINT scan = MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC);
    PostMessageA(window, WM_KEYDOWN, virtualKey, 1 | (scan << 16));
    PostMessageA(window, WM_KEYUP, virtualKey, 1 | (scan << 16) | 0xC0000000u);
}

void PostClick(HWND button) {
    PostMessageA(button, BM_CLICK, 0, 0);
}

namespace {

INPUT Key(UINT virtualKey, bool up) {
    INPUT input{};
    input.type = INPUT_KEYBOARD;
    input.ki.wVk = static_cast<WORD>(virtualKey);
    input.ki.wScan = static_cast<WORD>(MapVirtualKeyA(virtualKey, MAPVK_VK_TO_VSC));
    input.ki.dwFlags = up ? KEYEVENTF_KEYUP : 0;
    return input;
}

}  // namespace

void Press(UINT virtualKey, const std::vector<UINT>& modifiers) {
    std::vector<INPUT> inputs;
    for (UINT modifier : modifiers) inputs.push_back(Key(modifier, false));
    inputs.push_back(Key(virtualKey, false));
    inputs.push_back(Key(virtualKey, true));
    for (auto it = modifiers.rbegin(); it != modifiers.rend(); ++it) inputs.push_back(Key(*it, true));
    SendInput(static_cast<UINT>(inputs.size()), inputs.data(), sizeof(INPUT));
}

void TypeChar(wchar_t ch) {
    INPUT inputs[2]{};
    for (int i = 0; i < 2; ++i) {
        inputs[i].type = INPUT_KEYBOARD;
        inputs[i].ki.wScan = static_cast<WORD>(ch);
        inputs[i].ki.dwFlags = KEYEVENTF_UNICODE | (i ? KEYEVENTF_KEYUP : 0);
    }
    SendInput(2, inputs, sizeof(INPUT));
}

bool BringToFront(HWND window) {
    SetForegroundWindow(window);
    return WaitFor([window] { return GetForegroundWindow() == window; }, 3000);
}

void Reactivate(HWND window) {
    SetForegroundWindow(GetDesktopWindow());
    Settle(200);
    BringToFront(window);
}

StBOX WaitBox(DWORD processId, const char* caption, DWORD timeoutMs) {
    StBOX box;
    box.window = WaitTopWindow(processId, "#32770", caption, timeoutMs);
    if (box.window) {
        box.owner = GetWindow(box.window, GW_OWNER);
        // The text arrives with the box; a box caught while it is being built has none yet.
        WaitFor([&] { return !(box.text = ItemText(box.window, 0xFFFF)).empty(); }, 2000);
    }
    return box;
}

bool Answer(const StBOX& box, int buttonId) {
    HWND button = GetDlgItem(box.window, buttonId);
    if (!button) return false;
    PostClick(button);
    return WaitFor([&] { return !IsWindow(box.window) || !IsWindowVisible(box.window); });
}

bool Screenshot(const char* name) {
    const std::string folder = Env("ROBOT_SHOTS");
    if (folder.empty()) return false;
    const int width = GetSystemMetrics(SM_CXSCREEN), height = GetSystemMetrics(SM_CYSCREEN);
    HDC screen = GetDC(nullptr);
    HDC memory = CreateCompatibleDC(screen);
    BITMAPINFO info{};
    info.bmiHeader.biSize = sizeof info.bmiHeader;
    info.bmiHeader.biWidth = width;
    info.bmiHeader.biHeight = height;  // bottom-up, as BMP files store their rows
    info.bmiHeader.biPlanes = 1;
    info.bmiHeader.biBitCount = 24;
    info.bmiHeader.biCompression = BI_RGB;
    void* bits = nullptr;
    HBITMAP bitmap = CreateDIBSection(screen, &info, DIB_RGB_COLORS, &bits, nullptr, 0);
    bool ok = false;
    if (bitmap) {
        HGDIOBJ old = SelectObject(memory, bitmap);
        ok = BitBlt(memory, 0, 0, width, height, screen, 0, 0, SRCCOPY) != FALSE;
        GdiFlush();
        SelectObject(memory, old);
        const DWORD stride = (static_cast<DWORD>(width) * 3 + 3) & ~3u;
        const DWORD size = stride * static_cast<DWORD>(height);
        BITMAPFILEHEADER file{};
        file.bfType = 0x4D42;  // "BM"
        file.bfOffBits = sizeof file + sizeof info.bmiHeader;
        file.bfSize = file.bfOffBits + size;
        std::string bytes(reinterpret_cast<const char*>(&file), sizeof file);
        bytes.append(reinterpret_cast<const char*>(&info.bmiHeader), sizeof info.bmiHeader);
        bytes.append(static_cast<const char*>(bits), size);
        ok = ok && WriteFileBytes(folder + "\\" + name + ".bmp", bytes);
        DeleteObject(bitmap);
    }
    DeleteDC(memory);
    ReleaseDC(nullptr, screen);
    return ok;
}

bool WriteFileBytes(const std::string& path, const std::string& bytes) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_WRITE, 0, nullptr, CREATE_ALWAYS, FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return false;
    DWORD written = 0;
    const BOOL ok = WriteFile(file, bytes.data(), static_cast<DWORD>(bytes.size()), &written, nullptr);
    CloseHandle(file);
    return ok && written == bytes.size();
}

std::string ReadFileBytes(const std::string& path) {
    HANDLE file = CreateFileA(path.c_str(), GENERIC_READ, FILE_SHARE_READ | FILE_SHARE_WRITE, nullptr, OPEN_EXISTING,
                              FILE_ATTRIBUTE_NORMAL, nullptr);
    if (file == INVALID_HANDLE_VALUE) return "<cannot read " + path + ">";
    std::string bytes;
    char buffer[65536];
    DWORD n = 0;
    while (ReadFile(file, buffer, sizeof buffer, &n, nullptr) && n > 0) bytes.append(buffer, n);
    CloseHandle(file);
    return bytes;
}

bool Exists(const std::string& path) {
    return GetFileAttributesA(path.c_str()) != INVALID_FILE_ATTRIBUTES;
}

void RemoveTree(const std::string& path) {
    WIN32_FIND_DATAA entry;
    HANDLE find = FindFirstFileA((path + "\\*").c_str(), &entry);
    if (find != INVALID_HANDLE_VALUE) {
        do {
            const std::string name = entry.cFileName;
            if (name == "." || name == "..") continue;
            const std::string full = path + "\\" + name;
            if (entry.dwFileAttributes & FILE_ATTRIBUTE_DIRECTORY)
                RemoveTree(full);
            else
                DeleteFileA(full.c_str());
        } while (FindNextFileA(find, &entry));
        FindClose(find);
    }
    RemoveDirectoryA(path.c_str());
}

ClTempFolder::ClTempFolder() {
    char temp[MAX_PATH + 1] = "";
    GetTempPathA(sizeof temp, temp);
    for (unsigned n = GetTickCount();; ++n) {
        m_path = std::string(temp) + "robot run " + std::to_string(n % 100000);
        if (CreateDirectoryA(m_path.c_str(), nullptr)) break;
        if (GetLastError() != ERROR_ALREADY_EXISTS) break;
    }
}
