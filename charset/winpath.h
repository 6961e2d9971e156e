// winpath.h - the Shift-JIS rules of Windows paths, once for every layer that needs them.
//
// A trail byte 0x5C of a double-byte character is part of its character, never a separator; the
// walks here go character by character (charset/sjisbytes.h), so that every layer splits, roots
// and compares a path alike. Nothing here calls the system.
#pragma once

#include <cstddef>

// The asset type file's name beside the data file.
extern const char kTypeFileName[];

// "X:..." with an ASCII letter: a path on a drive (or in a drive's current folder, "C:name").
bool IsDrivePath(const char* path);
// "\\...": a network path.
bool IsSharePath(const char* path);
// True when the byte at index is the lead or the trail byte of a double-byte character.
bool IsDoubleByteAt(const char* text, size_t index);
// Offset just past the last single-byte character c in text; 0 when there is none.
size_t PastLastChar(const char* text, char c);
// Where the file name of path starts: past its last backslash or slash, or past the "X:" of a
// drive-relative path such as "C:name.csv".
size_t FileNameStart(const char* path);
// Where the file-save dialog takes the name of a path to start: past the last backslash, else
// past the last colon.
size_t SaveNameStart(const char* path);
// Whether the last character of text is a backslash (a closing trail byte 0x5C is not one).
bool EndsInBackslash(const char* text);
// Makes text end with a backslash without exceeding room - 1 bytes; false when it cannot.
bool AddTrailingBackslash(char* text, size_t room);
// For a network path "\\server\share...": the backslash that ends the share's name, or the
// terminator when none follows. The server's name ends at the first backslash at index 3 or
// later. Null for any other path.
const char* ShareRootEnd(const char* path);
// The first n bytes equal without regard to ASCII case (as strnicmp: texts that end together
// within n bytes are equal); double-byte characters are compared as they are.
bool SameStartNoCase(const char* a, const char* b, size_t n);
// Two texts the same without regard to ASCII case, as Windows compares names and keys.
bool SameNoCase(const char* a, const char* b);
// Whether a file named name fits beside the file of path in a buffer of room bytes.
bool SiblingFits(const char* path, const char* name, size_t room);
// The path of a file named name beside the file of path (its folder, up to FileNameStart, then
// name) at out, which may be path itself; false, with out empty, when it does not fit room bytes.
bool SiblingPath(const char* path, const char* name, char* out, size_t room);
