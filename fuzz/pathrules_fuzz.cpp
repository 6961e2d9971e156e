// pathrules_fuzz.cpp - the path rules and the drive map's resolution on any bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "fuzz_helpers.h"
#include "osapi.h"
#include "pathrules.h"

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool mapped = OsMapDrive('C', ScratchFolder().c_str(), DriveFixed) &&
                               OsSetShareFolder((ScratchFolder() + "/shares").c_str());
    if (!mapped || size > 400) return 0;
    std::string text(reinterpret_cast<const char*>(data), size);
    text = text.substr(0, text.find('\0'));
    const char* path = text.c_str();

    IsValidPathText(path);
    IsValidDrive(path);
    for (size_t i = 0; i < text.size(); ++i) IsDoubleByteAt(path, i);

    char work[kPathRoom];
    std::memset(work, 0, sizeof work);
    std::memcpy(work, path, text.size() < kPathRoom - 1 ? text.size() : kPathRoom - 1);
    if (GetFolderPart(work)) FUZZ_CHECK(std::strlen(work) < kPathRoom);
    if (AddTrailingBackslash(work, kPathRoom)) FUZZ_CHECK(std::strlen(work) < kPathRoom);

    // Whatever the names, a path on a drive or a share resolves inside its root.
    std::string native;
    const std::string root = ScratchFolder();
    for (const std::string& windows : {"C:\\" + text, "C:" + text, "\\\\srv\\share\\" + text}) {
        if (!OsNativePath(windows.c_str(), native)) continue;
        const std::string within = windows[0] == 'C' ? root : root + "/shares/srv/share";
        FUZZ_CHECK(native.compare(0, within.size(), within) == 0);
        FUZZ_CHECK(native.size() == within.size() || native[within.size()] == '/');
        FUZZ_CHECK(native.find("/../") == std::string::npos && native.find("/./") == std::string::npos);
        const size_t tail = native.rfind('/');
        FUZZ_CHECK(tail == std::string::npos || (native.substr(tail) != "/.." && native.substr(tail) != "/."));
    }
    return 0;
}
