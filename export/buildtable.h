// buildtable.h - what differs between the four deliverables, and the entry of the one being built.
#pragma once

struct StBUILDINFO {
    const char* name;          // deliverable
    int edition;               // application type handed to the host connection
    const char* settingsFile;  // remembered output paths
    const char* logName;       // link error log beside the asset data file
    const char* keyFormat;     // key of a remembered path in the settings file
};

enum { kBuildCount = 4 };
// In the header, so that the edition a program is built for is looked up when it is compiled.
inline constexpr StBUILDINFO G_BUILDS[kBuildCount] = {
    {"Marlo3Export", 3, "Marlo3Export.env", "Marlo3SysErr.txt", "%s/%d/%s:"},
    {"Marlo5Export", 5, "Marlo5Export.env", "Marlo5SysErr.txt", "%s/%s:"},
    {"Marlo4Export", 4, "Marlo4Export.env", "Marlo4SysErr.txt", "%s/%s:"},
    {"Marlo0Export", 0, "Marlo0Export.env", "Marlo0SysErr.txt", "%s/%s:"},
};

// The index of the entry with the given edition number; -1 when there is none.
constexpr int BuildIndex(int edition) {
    for (int i = 0; i < kBuildCount; ++i)
        if (G_BUILDS[i].edition == edition) return i;
    return -1;
}

// The entry with the given edition number, or null.
inline const StBUILDINFO* FindBuild(int edition) {
    const int index = BuildIndex(edition);
    return index < 0 ? nullptr : &G_BUILDS[index];
}

// Defined by the one small object each program links (currentbuild.cpp, compiled per edition).
const StBUILDINFO& CurrentBuild();
