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
extern const StBUILDINFO G_BUILDS[kBuildCount];

// The entry with the given edition number, or null.
const StBUILDINFO* FindBuild(int edition);

// Defined by the one small object each program links (currentbuild.cpp, compiled per edition).
const StBUILDINFO& CurrentBuild();
