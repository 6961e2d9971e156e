// buildtable.cpp - the table of the four deliverables.
#include "buildtable.h"

const StBUILDINFO G_BUILDS[kBuildCount] = {
    {"Marlo3Export", 3, "Marlo3Export.env", "Marlo3SysErr.txt", "%s/%d/%s:"},
    {"Marlo5Export", 5, "Marlo5Export.env", "Marlo5SysErr.txt", "%s/%s:"},
    {"Marlo4Export", 4, "Marlo4Export.env", "Marlo4SysErr.txt", "%s/%s:"},
    {"Marlo0Export", 0, "Marlo0Export.env", "Marlo0SysErr.txt", "%s/%s:"},
};

const StBUILDINFO* FindBuild(int edition) {
    for (const StBUILDINFO& build : G_BUILDS) {
        if (build.edition == edition) return &build;
    }
    return nullptr;
}
