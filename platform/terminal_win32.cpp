// terminal_win32.cpp - the console and the command line on Windows, already in the ANSI code page.
#include <windows.h>  // first: the other system headers rely on it

#include <string>

#include "osapi.h"

// The console and the command line of a Japanese system are in the ANSI code page already.
std::string OsTerminalText(const char* text) { return text ? text : ""; }

bool OsTextFromTerminal(const std::string& typed, std::string& text) {
    text = typed;
    return true;
}
