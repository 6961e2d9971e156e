// pathrules.h - the rules and helpers for output paths: characters, drives, folders, creation.
//
// Paths are Shift-JIS byte strings; lengths count bytes. A trail byte 0x5C or 0x7C is part of its
// character and never a separator or a forbidden character.
#pragma once

#include <cstddef>

#include "osapi.h"
#include "winpath.h"  // the walks, roots and comparisons of Shift-JIS paths these rules build on

// Room of every folder work buffer: 260 bytes and a terminator.
const size_t kPathRoom = 261;

// The character rule: no control character (0x01-0x1F), no doubled backslash (a network path may
// start with two) and none of / : , ; * ? " > < | after the drive colon.
bool IsValidPathText(const char* path);
// The drive rule: a network share that can be read and written, or a usable drive letter followed
// by its colon.
bool IsValidDrive(const char* path);
// The drive-letter rule for the drive of letter (either case), tested with the access mode.
bool IsDriveUsable(char letter, int mode);
// Rewrites path (room kPathRoom) as its drive and directory, ending in a backslash.
bool GetFolderPart(char* path);
// Whether the folder part of path exists as a folder.
bool FolderExists(const char* path);
// The folders one CreateFolderChain call made, by what they are (a 260-byte path holds at most 130).
struct StMADEFOLDERS {
    size_t count;
    StFILEID ids[kPathRoom / 2];
};
// Creates every missing folder of the folder path from the root down; a folder that another
// program makes at the same moment counts as made. After a failure the folders this call made are
// removed again. What it made, in made when given.
bool CreateFolderChain(const char* folder, StMADEFOLDERS* made = nullptr);
// Removes the folders of path, deepest first, down to (not including) stopFolder; without a stop
// folder only the deepest existing one. Only folders in made go, while still the same and empty:
// the walk stops at the first other folder, which another program may be filling.
bool RemoveCreatedFolders(const char* path, const char* stopFolder, const StMADEFOLDERS& made);
