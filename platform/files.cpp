// files.cpp - the file operations' part common to every platform: one file however it is named.
#include <string>

#include "osapi.h"
#include "winpath.h"

bool OsSameFile(const char* a, const char* b) {
    std::string fullA, fullB;
    if (!a || !b || !OsFullPath(a, fullA) || !OsFullPath(b, fullB)) return false;
    StFILEID idA, idB;
    if (OsFileIdentity(fullA.c_str(), &idA) && OsFileIdentity(fullB.c_str(), &idB) && idA == idB) return true;
    // What does not exist (yet) is the name it would have: Windows compares names without regard
    // to case, so one name in one folder is one file, whichever spelling was there first.
    const size_t startA = FileNameStart(fullA.c_str());
    const size_t startB = FileNameStart(fullB.c_str());
    if (!SameNoCase(fullA.c_str() + startA, fullB.c_str() + startB)) return false;
    if (SameNoCase(fullA.c_str(), fullB.c_str())) return true;
    StFILEID folderA, folderB;
    return OsFileIdentity(fullA.substr(0, startA).c_str(), &folderA) &&
           OsFileIdentity(fullB.substr(0, startB).c_str(), &folderB) && folderA == folderB;
}
