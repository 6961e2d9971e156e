// winpath.cpp - separators, roots and comparisons of Shift-JIS Windows paths.
#include "winpath.h"

#include <cctype>
#include <cstring>

#include "sjisbytes.h"

const char kTypeFileName[] = "syurui.SSC";

bool IsDrivePath(const char* path) {
    return path && ((path[0] >= 'A' && path[0] <= 'Z') || (path[0] >= 'a' && path[0] <= 'z')) && path[1] == ':';
}

bool IsSharePath(const char* path) { return path && path[0] == '\\' && path[1] == '\\'; }

bool IsDoubleByteAt(const char* text, size_t index) {
    if (!text) return false;
    for (size_t i = 0; text[i] && i <= index;) {
        const int width = SjisCharBytes(text + i);
        if (width == 2 && (index == i || index == i + 1)) return true;
        i += width;
    }
    return false;
}

size_t PastLastChar(const char* text, char c) {
    size_t past = 0;
    for (size_t i = 0; text[i];) {
        const int width = SjisCharBytes(text + i);
        if (width == 1 && text[i] == c) past = i + 1;
        i += static_cast<size_t>(width);
    }
    return past;
}

size_t FileNameStart(const char* path) {
    // "C:name.csv" lies in the current folder of drive C; its siblings must go there too.
    const bool driveOnly = IsDrivePath(path);
    const size_t separator = PastLastChar(path, '\\');
    const size_t slash = PastLastChar(path, '/');
    const size_t start = separator > slash ? separator : slash;
    return start ? start : driveOnly ? 2 : 0;
}

size_t SaveNameStart(const char* path) {
    const size_t backslash = PastLastChar(path, '\\');
    return backslash ? backslash : PastLastChar(path, ':');
}

bool EndsInBackslash(const char* text) {
    const size_t n = std::strlen(text);
    return n > 0 && PastLastChar(text, '\\') == n;
}

bool AddTrailingBackslash(char* text, size_t room) {
    if (!text || !text[0]) return false;
    const size_t n = std::strlen(text);
    // A closing 0x5C that is a trail byte is no separator: the backslash still has to come.
    if (EndsInBackslash(text)) return true;
    if (n + 1 >= room) return false;
    text[n] = '\\';
    text[n + 1] = '\0';
    return true;
}

const char* ShareRootEnd(const char* path) {
    if (!IsSharePath(path)) return nullptr;
    const char* p = path + 2;
    int separators = 0;
    while (*p) {
        if (*p == '\\' && p - path >= 3 && ++separators == 2) break;
        p += SjisCharBytes(p);
    }
    return p;
}

bool SameStartNoCase(const char* a, const char* b, size_t n) {
    for (size_t i = 0; i < n;) {
        if (!a[i] || !b[i]) return a[i] == b[i];
        const int width = SjisCharBytes(a + i);
        if (width == 2) {
            if (a[i] != b[i] || (i + 1 < n && a[i + 1] != b[i + 1])) return false;
        } else if (std::tolower(static_cast<unsigned char>(a[i])) != std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
        i += width;
    }
    return true;
}

bool SameNoCase(const char* a, const char* b) {
    if (!a || !b) return false;
    const size_t n = std::strlen(a);
    return n == std::strlen(b) && SameStartNoCase(a, b, n);
}

bool SiblingFits(const char* path, const char* name, size_t room) {
    return FileNameStart(path) + std::strlen(name) < room;
}

bool SiblingPath(const char* path, const char* name, char* out, size_t room) {
    if (room == 0) return false;
    if (!SiblingFits(path, name, room)) {
        out[0] = '\0';
        return false;
    }
    const size_t start = FileNameStart(path);
    std::memmove(out, path, start);
    std::memcpy(out + start, name, std::strlen(name) + 1);
    return true;
}
