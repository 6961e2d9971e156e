// posix_shared.h - what the POSIX files of the platform layer share: Windows paths and encodings.
#pragma once

#include <cstddef>
#include <string>

namespace osposix {

// Converts between character sets with iconv; false when a byte has no form in the target.
bool Convert(const char* to, const char* from, const std::string& in, std::string& out);
// A native path back in Windows form (room bytes in buffer): the drive whose folder holds it.
bool WindowsPath(const std::string& native, char* buffer, size_t room);
// The names below a drive or share root resolved as Windows resolves them before any access;
// false for a reserved device name (reservedLast: the last name is one).
bool ResolveWindowsPath(const char* path, std::string& resolved, bool* reservedLast);

}  // namespace osposix
