// profile_fuzz.cpp - the INI reader and the settings file of remembered paths, on outside bytes.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>

#include "buildtable.h"
#include "fuzz_helpers.h"
#include "osapi.h"
#include "pathrules.h"
#include "savedpath.h"

// The same bytes serve as an INI file and as a settings file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    static const bool mapped = OsMapDrive('C', ScratchFolder().c_str(), DriveFixed);
    if (!mapped) return 0;
    const std::string bytes(reinterpret_cast<const char*>(data), size);
    WriteFile(ScratchFolder() + "/level.ini", bytes);
    char value[16];
    for (const char* section : {"ProgramLevel", "programlevel ", "x"}) {
        std::memset(value, '#', sizeof value);
        const unsigned long n = OsGetProfileString(section, "RX52", "1", value, sizeof value, "C:\\level.ini");
        FUZZ_CHECK(n < sizeof value);
        FUZZ_CHECK(value[n] == '\0');  // a NUL inside the file may end the text earlier
    }

    OsCreateDirectory("C:\\cfg");
    WriteFile(ScratchFolder() + "/cfg/Marlo3Export.env", bytes);
    const StBUILDINFO& build = *FindBuild(3);
    const StSAVEDPATHOWNER owner = {"tanaka", 2, "ID"};
    char path[kPathRoom];
    std::memset(path, '#', sizeof path);
    if (LoadSavedPath("C:\\cfg\\", build, owner, path) == 1) {
        FUZZ_CHECK(std::strlen(path) < kPathRoom);
        FUZZ_CHECK(std::strchr(path, '\n') == nullptr);
    }
    // A save followed by a read gives the saved path back, whatever the file held before.
    if (StoreSavedPath("C:\\cfg\\", build, owner, "C:\\out\\x.csv") == 1) {
        FUZZ_CHECK(LoadSavedPath("C:\\cfg\\", build, owner, path) == 1);
        FUZZ_CHECK(std::strcmp(path, "C:\\out\\x.csv") == 0);
    }
    return 0;
}
