// profile_win32.cpp - INI values on Windows: GetPrivateProfileStringA.
#include <windows.h>  // first: the other system headers rely on it

#include <cstring>

#include "osapi.h"

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
