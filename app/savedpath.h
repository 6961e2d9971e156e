// savedpath.h - the output path remembered per user and data set in the build's settings file.
#pragma once

#include "buildtable.h"

// Whose path it is. The selection number is part of the key only where the build's key format
// has a place for it (the edition-3 build).
struct StSAVEDPATHOWNER {
    const char* userId;     // the current user's identifier
    int selectionNo;        // the user's current selection
    const char* dataSetId;  // printable identifier of the selected data set
};

// settingsFolder is the host's settings folder, ending in "\"; empty means the current folder.
// The settings file is the build's settingsFile in it: one line "key" "path" LF per owner.

// Copies the path remembered for owner into path (room kPathRoom, cleared first) and answers 1;
// answers 0 and leaves path untouched when the file holds no line for the owner.
int LoadSavedPath(const char* settingsFolder, const StBUILDINFO& build, const StSAVEDPATHOWNER& owner,
                  char* path);

// Remembers path for owner: the owner's earlier line is removed and the new one appended, the other
// lines keep their order. Creates the settings folder when it is missing; an empty folder text
// saves nothing. Under a lock beside the file (several programs may save at once), the new content
// goes to a temporary sibling and replaces the file in one step, keeping its mode, so a failure
// leaves the old one as it was; a read-only or non-plain settings file is not saved. A settings
// file that is a link is read through it and saved by replacing the file it leads to, in that
// file's folder and under the lock beside that file: the link stays.
// 1 when the line was saved, 0 when nothing changed.
int StoreSavedPath(const char* settingsFolder, const StBUILDINFO& build, const StSAVEDPATHOWNER& owner,
                   const char* path);

// Whether path (Windows form) names the settings file in settingsFolder, by any spelling or link,
// or the lock file that guards it.
bool IsSettingsFile(const char* settingsFolder, const StBUILDINFO& build, const char* path);
