// mapped_temp.h - a temporary folder reachable under a Windows-form path on every platform.
#pragma once

#include <string>

#include "osapi.h"
#include "testutil.h"

// On POSIX the folder becomes drive M: (fixed); on Windows its own path is already Windows form.
class MappedTemp {
public:
    MappedTemp() {
        m_mapped = OsMapDrive('M', m_dir.Path().c_str(), DriveFixed);
        m_windows = m_mapped ? "M:" : m_dir.Path();
    }
    ~MappedTemp() { OsResetDrives(); }
    MappedTemp(const MappedTemp&) = delete;
    MappedTemp& operator=(const MappedTemp&) = delete;

    // The folder's Windows form followed by "\" and rel (Shift-JIS).
    std::string Win(const std::string& rel = "") const { return m_windows + "\\" + rel; }
    // The native path of a name inside the folder (UTF-8 on POSIX).
    std::string Native(const std::string& rel) const { return m_dir.File(rel); }
    bool Mapped() const { return m_mapped; }
    const TempDir& Dir() const { return m_dir; }

private:
    TempDir m_dir;
    bool m_mapped = false;
    std::string m_windows;
};

// Writes a file named by a Windows-form path, through the platform's own mapping.
inline bool WriteWin(const std::string& path, const std::string& bytes) {
    std::string native;
    if (!OsNativePath(path.c_str(), native)) return false;
    WriteBytes(native, bytes);
    return true;
}

// Drive types can be arranged only where the platform layer owns the drive map.
#define SKIP_UNLESS_DRIVES_CAN_BE_MAPPED(temp)                                                           \
    if (!(temp).Mapped())                                                                                \
    GTEST_SKIP() << "drive types and shares of the real system are its own (under Wine: registry and a " \
                    "server restart), a test cannot arrange them"
