// profile_posix.cpp - the INI reader on POSIX, with the semantics of GetPrivateProfileStringA.
#include <cctype>
#include <cstring>
#include <fstream>
#include <string>

#include "osapi.h"
#include "winpath.h"

namespace {

std::string Trim(const std::string& s) {
    const char* blanks = " \t\r";
    const size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

unsigned long CopyCut(const std::string& value, char* buffer, unsigned long room) {
    if (!buffer || room == 0) return 0;
    unsigned long n = static_cast<unsigned long>(value.size());
    if (n > room - 1) n = room - 1;
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return n;
}

// One line of an INI file, without its LF; a line longer than the system reader's 64 KiB buffer is
// kept to that length and the rest passed over, so that one endless line cannot fill the memory.
bool ReadBoundedLine(std::istream& in, std::string& line) {
    const size_t kLineRoom = 65536;
    line.clear();
    std::streambuf* source = in.rdbuf();
    for (int c = source->sbumpc(); c != std::char_traits<char>::eof(); c = source->sbumpc()) {
        if (c == '\n') return true;
        if (line.size() < kLineRoom) line.push_back(static_cast<char>(c));
    }
    in.setstate(std::ios::eofbit);
    return !line.empty();
}

}  // namespace

unsigned long OsGetProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                                 unsigned long room, const char* file) {
    // The system trims trailing blanks of the default too.
    std::string fallback = defaultValue ? defaultValue : "";
    while (!fallback.empty() && (fallback.back() == ' ' || fallback.back() == '\t')) fallback.pop_back();
    if (!section || !key || !file) return CopyCut(fallback, buffer, room);
    std::string path = file;
    if (path.find('\\') == std::string::npos) {
        char windows[261];
        if (!OsGetWindowsFolder(windows, sizeof windows)) return CopyCut(fallback, buffer, room);
        path = std::string(windows) + "\\" + path;
    }
    std::string native;
    // Only a plain file is read: a FIFO would block the program at its start, a device never end.
    if (!OsNativePath(path.c_str(), native) || OsRuntimeFileKind(native.c_str(), true) != FilePlain)
        return CopyCut(fallback, buffer, room);
    std::ifstream in(native, std::ios::binary);
    if (!in) return CopyCut(fallback, buffer, room);
    const std::string wantSection = Trim(section), wantKey = Trim(key);
    bool inSection = false;
    std::string line;
    while (ReadBoundedLine(in, line)) {
        const std::string text = Trim(line);
        if (text.empty() || text[0] == ';') continue;
        if (text[0] == '[') {
            const size_t close = text.find(']');
            inSection = close != std::string::npos && SameNoCase(Trim(text.substr(1, close - 1)).c_str(), wantSection.c_str());
            continue;
        }
        if (!inSection) continue;
        const size_t equals = text.find('=');
        if (equals == std::string::npos || !SameNoCase(Trim(text.substr(0, equals)).c_str(), wantKey.c_str())) continue;
        std::string value = Trim(text.substr(equals + 1));
        // A value in matching quotes loses them, as with the system's reader.
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        return CopyCut(value, buffer, room);
    }
    return CopyCut(fallback, buffer, room);
}
