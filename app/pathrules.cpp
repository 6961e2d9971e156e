// pathrules.cpp - output path rules and folder creation, double-byte aware, through the platform layer.
#include "pathrules.h"

#include <cctype>
#include <cstdio>
#include <cstring>

#include "osapi.h"
#include "sjisbytes.h"

namespace {

// Position of the first character c at or after index from, walking whole characters; -1 if none.
long FindChar(const char* text, char c, size_t from) {
    for (size_t i = 0; text[i];) {
        if (i >= from && text[i] == c) return static_cast<long>(i);
        i += SjisCharBytes(text + i);
    }
    return -1;
}

// Whether two backslashes follow each other at a character start at or after index from.
bool HasDoubleBackslash(const char* text, size_t from) {
    for (size_t i = 0; text[i];) {
        if (i >= from && text[i] == '\\' && text[i + 1] == '\\') return true;
        i += SjisCharBytes(text + i);
    }
    return false;
}

bool CopyPath(char* to, const char* from) {
    if (!from || std::strlen(from) >= kPathRoom) return false;
    std::strcpy(to, from);
    return true;
}

// Folder part with a closing backslash, for the clean-up's two inputs.
bool FolderWithBackslash(const char* path, char* out) {
    return CopyPath(out, path) && GetFolderPart(out) && out[0] && AddTrailingBackslash(out, kPathRoom);
}

}  // namespace

bool IsValidPathText(const char* path) {
    if (!path) return false;
    // Windows refuses control characters in names; a trail byte is never one of them.
    for (const char* c = path; *c; ++c)
        if (static_cast<unsigned char>(*c) < 0x20) return false;
    const char* examined = path;
    if (IsSharePath(path)) {
        if (HasDoubleBackslash(path, 3)) return false;
        examined = path + 2;
    } else {
        if (HasDoubleBackslash(path, 0)) return false;
        const long colon = FindChar(path, ':', 0);
        if (colon >= 0) examined = path + colon + 1;
    }
    static const char kForbidden[] = "/:,;*?\"><|";
    for (const char* c = kForbidden; *c; ++c)
        if (FindChar(examined, *c, 0) >= 0) return false;
    return true;
}

bool IsValidDrive(const char* path) {
    if (!path) return false;
    if (IsSharePath(path)) {
        // The server and the share, without the backslash that must follow the share.
        const char* end = ShareRootEnd(path);
        const size_t length = static_cast<size_t>(end - path);
        if (!*end || length >= kPathRoom) return false;
        char share[kPathRoom] = {0};
        std::memcpy(share, path, length);
        return OsCanAccess(share, AccessReadWrite);
    }
    // Without "X:\" the path lies in a current folder, which the run made the program's own: a
    // first letter without its colon is no drive, and "C:name" is refused as well.
    if (HasDoubleBackslash(path, 0) || !path[0] || path[1] != ':' || path[2] != '\\') return false;
    return IsDriveUsable(path[0], AccessReadWrite);
}

bool IsDriveUsable(char letter, int mode) {
    const signed char c = static_cast<signed char>(letter);
    const int index = (c >= 'A' && c <= 'Z') ? c - 'A' : c - 'a';
    if (index < 0 || index > 25) return false;
    char root[8] = {0};
    std::snprintf(root, sizeof root, "%c:\\", 'A' + index);
    switch (OsGetDriveType(root) & 0xFFFF) {
        case DriveUnknown:
        case DriveCdRom:
        case DriveRamDisk:
            return false;
        case DriveNoRootDir:
            return true;  // the folder question or the file's creation refuses it later
        case DriveRemovable:
        case DriveFixed:
        case DriveRemote:
            return OsCanAccess(root, mode);  // a removable drive without a medium fails here
        default:
            return true;
    }
}

bool GetFolderPart(char* path) {
    if (!path || !path[0]) return false;
    const size_t original = std::strlen(path);
    char drive[3] = {0};
    char directory[kPathRoom] = {0};
    OsSplitDriveDir(path, drive, directory);
    char result[kPathRoom + 2] = {0};  // drive and directory are parts of path, so they fit it
    std::snprintf(result, sizeof result, "%s%s", drive, directory);
    const size_t n = std::strlen(result);
    if (n == 0 || n >= kPathRoom) return false;
    if (IsDoubleByteAt(result, n - 1) || (result[n - 1] != '\\' && n < original)) {
        if (n + 1 >= kPathRoom) return false;  // no room for the backslash
        result[n] = '\\';
        result[n + 1] = '\0';
    }
    std::strcpy(path, result);
    return true;
}

bool FolderExists(const char* path) {
    char folder[kPathRoom] = {0};
    return CopyPath(folder, path) && GetFolderPart(folder) && OsIsDirectory(folder);
}

bool CreateFolderChain(const char* folder, StMADEFOLDERS* madeOut) {
    StMADEFOLDERS made;
    made.count = 0;
    char w[kPathRoom] = {0};
    if (!CopyPath(w, folder) || !GetFolderPart(w) || !w[0]) return false;
    if (!AddTrailingBackslash(w, kPathRoom)) return false;
    const char* rest = OsSkipRoot(w);
    if (!rest) return false;
    char root[kPathRoom] = {0};
    std::strcpy(root, w);
    if (!OsStripToRoot(root) || !AddTrailingBackslash(root, kPathRoom)) return false;
    const size_t rootLength = std::strlen(root);
    char lastExisting[kPathRoom] = {0};
    std::strcpy(lastExisting, root);
    for (size_t i = 0; rest[i];) {
        const int width = SjisCharBytes(rest + i);
        if (width == 1 && rest[i] == '\\') {
            char prefix[kPathRoom] = {0};
            if (rootLength + i >= kPathRoom) return false;
            std::memcpy(prefix, root, rootLength);
            std::memcpy(prefix + rootLength, rest, i);
            // Only what this call made may go: never a folder that was there before, nor one
            // that another program made meanwhile.
            if (!AddTrailingBackslash(prefix, kPathRoom)) {
                RemoveCreatedFolders(prefix, lastExisting, made);
                return false;
            }
            if (FolderExists(prefix)) {
                std::strcpy(lastExisting, prefix);
            } else if (OsCreateDirectory(prefix)) {
                if (made.count < sizeof made.ids / sizeof made.ids[0] && OsFileIdentity(prefix, &made.ids[made.count]))
                    ++made.count;
            } else if (OsIsDirectory(prefix)) {
                std::strcpy(lastExisting, prefix);  // made by another program a moment ago
            } else {
                RemoveCreatedFolders(prefix, lastExisting, made);
                return false;
            }
        }
        i += width;
    }
    if (madeOut) *madeOut = made;
    return true;
}

bool RemoveCreatedFolders(const char* path, const char* stopFolder, const StMADEFOLDERS& made) {
    char p[kPathRoom] = {0};
    char s[kPathRoom] = {0};
    if (!FolderWithBackslash(path, p)) return false;
    const bool hasStop = stopFolder != nullptr;
    if (hasStop && !FolderWithBackslash(stopFolder, s)) return false;
    const char* restP = OsSkipRoot(p);
    const char* restS = hasStop ? OsSkipRoot(s) : nullptr;
    if (!restP || (hasStop && !restS)) return false;
    char rootP[kPathRoom] = {0};
    std::strcpy(rootP, p);
    if (!OsStripToRoot(rootP) || !AddTrailingBackslash(rootP, kPathRoom)) return false;
    if (hasStop) {
        char rootS[kPathRoom] = {0};
        std::strcpy(rootS, s);
        if (!OsStripToRoot(rootS) || !AddTrailingBackslash(rootS, kPathRoom)) return false;
        if (!SameNoCase(rootP, rootS) || !SameStartNoCase(restP, restS, std::strlen(restS))) return false;
    }
    const size_t rootLength = std::strlen(rootP);
    for (size_t k = std::strlen(restP); k-- > 1;) {
        if (restP[k] != '\\' || IsDoubleByteAt(restP, k)) continue;
        if (hasStop && SameStartNoCase(restS, restP, k)) break;  // the stop folder is reached
        char candidate[kPathRoom] = {0};
        if (rootLength + k + 1 >= kPathRoom) return false;
        std::memcpy(candidate, rootP, rootLength);
        std::memcpy(candidate + rootLength, restP, k);
        candidate[rootLength + k] = '\\';
        StFILEID id;
        if (OsFileIdentity(candidate, &id) && OsIsDirectory(candidate)) {
            bool ours = false;
            for (size_t m = 0; m < made.count && !ours; ++m) ours = made.ids[m] == id;
            if (!ours) break;  // another program's, and so is everything above it
            if (!OsRemoveDirectory(candidate)) return false;
            if (!hasStop) break;
        }
    }
    return true;
}
