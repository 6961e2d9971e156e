// terminal_win32.cpp - the console and the command line on Windows: Unicode taken into code page 932
// without best fit.
#include <windows.h>  // first: the other system headers rely on it

#include <shellapi.h>

#include <string>
#include <vector>

#include "osapi.h"

// The console of a Japanese system is in the ANSI code page already.
std::string OsTerminalText(const char* text) { return text ? text : ""; }

bool OsTextFromWide(const std::wstring& wide, std::string& text) {
    text.clear();
    if (wide.empty()) return true;
    const int length = static_cast<int>(wide.size());
    BOOL usedDefault = FALSE;
    const int bytes = WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), length, nullptr, 0, "?", &usedDefault);
    if (bytes <= 0) return false;
    text.resize(static_cast<size_t>(bytes));
    WideCharToMultiByte(932, WC_NO_BEST_FIT_CHARS, wide.data(), length, &text[0], bytes, "?", &usedDefault);
    return !usedDefault;
}

// The arguments come from OsProgramArguments in UTF-8.
bool OsTextFromTerminal(const std::string& typed, std::string& text) {
    text.clear();
    if (typed.empty()) return true;
    const int length = static_cast<int>(typed.size());
    const int units = MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, typed.data(), length, nullptr, 0);
    if (units <= 0) return false;
    std::wstring wide(static_cast<size_t>(units), L'\0');
    MultiByteToWideChar(CP_UTF8, MB_ERR_INVALID_CHARS, typed.data(), length, &wide[0], units);
    return OsTextFromWide(wide, text);
}

bool OsProgramArguments(int, char**, std::vector<std::string>& arguments) {
    arguments.clear();
    int count = 0;
    LPWSTR* words = CommandLineToArgvW(GetCommandLineW(), &count);
    if (!words) return false;
    bool read = true;
    for (int i = 1; i < count && read; ++i) {
        // A lone surrogate becomes U+FFFD here, which has no form in 932 and is refused later.
        const int bytes = WideCharToMultiByte(CP_UTF8, 0, words[i], -1, nullptr, 0, nullptr, nullptr);
        read = bytes > 0;
        if (!read) break;
        std::string word(static_cast<size_t>(bytes), '\0');
        WideCharToMultiByte(CP_UTF8, 0, words[i], -1, &word[0], bytes, nullptr, nullptr);
        word.resize(word.size() - 1);  // the terminator
        arguments.push_back(word);
    }
    LocalFree(words);
    return read;
}
