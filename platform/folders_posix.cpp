// folders_posix.cpp - the program's, Windows, temporary and current folders on POSIX, in Windows form.
#include <unistd.h>

#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>

#include "osapi.h"
#include "posix_shared.h"

using namespace osposix;

namespace {

// A native folder in Windows form, ending in a backslash as the system's folder queries give it.
bool WindowsFolder(const std::string& native, char* buffer, size_t room) {
    if (!WindowsPath(native, buffer, room)) return false;
    const size_t length = std::strlen(buffer);
    if (buffer[length - 1] != '\\') {
        if (length + 2 > room) return false;
        buffer[length] = '\\';
        buffer[length + 1] = '\0';
    }
    return true;
}

}  // namespace

bool OsGetProgramFolder(char* buffer, size_t room) {
    char self[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", self, PATH_MAX);
    if (n <= 0) return false;
    std::string native(self, static_cast<size_t>(n));
    native.erase(native.rfind('/') + 1);
    return WindowsFolder(native, buffer, room);
}

bool OsGetWindowsFolder(char* buffer, size_t room) {
    const char* configured = std::getenv("ASSETEXPORT_WINDIR");
    const std::string folder = configured && *configured ? configured : "C:\\windows";
    if (folder.size() + 1 > room) return false;
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return true;
}

bool OsGetTempFolder(char* buffer, size_t room) {
    const char* tmp = std::getenv("TMPDIR");
    std::string native = tmp && *tmp ? tmp : "/tmp";
    return WindowsFolder(native, buffer, room);
}

bool OsGetCurrentFolder(char* buffer, size_t room) {
    char native[PATH_MAX + 1];
    if (!::getcwd(native, sizeof native)) return false;
    return WindowsPath(native, buffer, room);
}

bool OsSetCurrentFolder(const char* path) {
    std::string native;
    return OsNativePath(path, native) && ::chdir(native.c_str()) == 0;
}

bool OsGetPlatformId(unsigned long* platformId) {
    if (!platformId) return false;
    *platformId = 2;  // behaves as the NT family
    return true;
}
