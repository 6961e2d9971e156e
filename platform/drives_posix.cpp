// drives_posix.cpp - Windows paths on POSIX: the drive map, and names resolved as Windows resolves them.
//
// Drives are letters mapped to native folders, each with a drive type, like Wine's dosdevices:
// by default Z: is "/" (fixed) and every other letter has no root. ASSETEXPORT_DRIVES changes the
// map ("C=/srv/c:fixed;D=/media/cd:cdrom;E=:removable"), ASSETEXPORT_SHARES names the folder that
// holds network paths ("\\server\share\x" is <folder>/server/share/x). Names are Shift-JIS in the
// program and UTF-8 on the disk.
#include <sys/stat.h>
#include <unistd.h>

#include <cctype>
#include <climits>
#include <cstdlib>
#include <cstring>
#include <string>
#include <vector>

#include "osapi.h"
#include "posix_shared.h"
#include "sjisbytes.h"
#include "winpath.h"

using namespace osposix;

namespace {

struct StDRIVE {
    bool mapped;
    std::string folder;  // native; empty: no medium
    unsigned type;
};

struct StDRIVEMAP {
    bool loaded = false;
    StDRIVE drives[26];
    std::string shareFolder;
};

StDRIVEMAP& Map() {
    static StDRIVEMAP map;
    return map;
}

unsigned TypeByName(const std::string& name) {
    static const char* const kNames[] = {"unknown", "noroot", "removable", "fixed",
                                         "remote",  "cdrom",  "ramdisk"};
    for (unsigned i = 0; i < sizeof kNames / sizeof kNames[0]; ++i)
        if (name == kNames[i]) return i;
    return DriveFixed;  // a bare folder is a hard disk, as in Wine
}

// Entries "L=folder:type" separated by ";"; the type is what follows the last colon.
void LoadFromEnvironment(StDRIVEMAP& map) {
    for (StDRIVE& d : map.drives) d = StDRIVE{false, std::string(), DriveNoRootDir};
    map.drives['Z' - 'A'] = StDRIVE{true, "/", DriveFixed};
    map.shareFolder.clear();
    if (const char* shares = std::getenv("ASSETEXPORT_SHARES")) map.shareFolder = shares;
    const char* entries = std::getenv("ASSETEXPORT_DRIVES");
    std::string all = entries ? entries : "";
    size_t start = 0;
    while (start <= all.size()) {
        size_t end = all.find(';', start);
        if (end == std::string::npos) end = all.size();
        std::string entry = all.substr(start, end - start);
        start = end + 1;
        if (entry.size() < 2 || entry[1] != '=' || !std::isalpha(static_cast<unsigned char>(entry[0])))
            continue;
        const int index = std::toupper(static_cast<unsigned char>(entry[0])) - 'A';
        std::string folder = entry.substr(2);
        unsigned type = DriveFixed;
        const size_t colon = folder.rfind(':');
        if (colon != std::string::npos) {
            type = TypeByName(folder.substr(colon + 1));
            folder.erase(colon);
        }
        map.drives[index] = StDRIVE{true, folder, type};
    }
    map.loaded = true;
}

StDRIVEMAP& LoadedMap() {
    StDRIVEMAP& map = Map();
    if (!map.loaded) LoadFromEnvironment(map);
    return map;
}

bool NativeStat(const char* path, struct stat* st) {
    std::string native;
    return OsNativePath(path, native) && ::stat(native.c_str(), st) == 0;
}

// CON, PRN, AUX, NUL, COM1-9 and LPT1-9, with any extension: Windows opens the device instead.
bool IsReservedName(const std::string& name) {
    std::string base = name.substr(0, name.find('.'));
    while (!base.empty() && base.back() == ' ') base.pop_back();
    for (char& c : base) c = static_cast<char>(std::toupper(static_cast<unsigned char>(c)));
    if (base == "CON" || base == "PRN" || base == "AUX" || base == "NUL") return true;
    return base.size() == 4 && (base.compare(0, 3, "COM") == 0 || base.compare(0, 3, "LPT") == 0) &&
           base[3] >= '1' && base[3] <= '9';
}

// The names of a Windows path below its root as Windows resolves them before any access: empty
// names and "." dropped, ".." removing the name before it but never the root, trailing dots and
// blanks of a name removed. False when a name is a reserved device name (reservedLast: the last).
bool ResolveNames(const char* rest, std::string& out, bool* reservedLast) {
    std::vector<std::string> names;
    std::string name;
    bool endsInSeparator = false;
    bool reserved = false;
    bool lastReserved = false;
    auto take = [&]() {
        while (!name.empty() && (name.back() == '.' || name.back() == ' ')) {
            // A trail byte is never a dot or a blank, so the last byte of a name is its own.
            name.pop_back();
        }
        if (name.empty()) {
            // "." (and a name of dots and blanks) is the folder itself; ".." its parent.
        } else {
            lastReserved = IsReservedName(name);
            reserved = reserved || lastReserved;
            names.push_back(name);
        }
        name.clear();
    };
    for (const char* p = rest; *p;) {
        const int n = SjisCharBytes(p);
        if (n == 1 && (*p == '\\' || *p == '/')) {
            if (name == "..") {
                if (!names.empty()) names.pop_back();
                name.clear();
                lastReserved = false;
            } else {
                take();
            }
            endsInSeparator = true;
        } else {
            name.append(p, static_cast<size_t>(n));
            endsInSeparator = false;
        }
        p += n;
    }
    if (name == "..") {
        if (!names.empty()) names.pop_back();
        lastReserved = false;
        endsInSeparator = true;
    } else if (!name.empty()) {
        take();
    }
    out.clear();
    if (!*rest) return true;  // "C:" alone: the drive itself
    for (const std::string& each : names) out += "\\" + each;
    if (endsInSeparator || out.empty()) out += "\\";
    if (reservedLast) *reservedLast = lastReserved;
    return !reserved;
}

}  // namespace

namespace osposix {

// A native path back in Windows form: the drive whose folder holds it (the deepest one wins).
bool WindowsPath(const std::string& native, char* buffer, size_t room) {
    const StDRIVEMAP& map = LoadedMap();
    int best = -1;
    size_t bestLength = 0;
    for (int i = 0; i < 26; ++i) {
        const StDRIVE& d = map.drives[i];
        if (!d.mapped || d.folder.empty()) continue;
        std::string folder = d.folder;
        while (folder.size() > 1 && folder.back() == '/') folder.pop_back();
        const bool inside = folder == "/"
                                ? native[0] == '/'
                                : native.compare(0, folder.size(), folder) == 0 &&
                                      (native.size() == folder.size() || native[folder.size()] == '/');
        const size_t length = folder == "/" ? 0 : folder.size();
        if (inside && (best < 0 || length > bestLength)) {
            best = i;
            bestLength = length;
        }
    }
    if (best < 0) return false;
    std::string rest = native.substr(bestLength);
    for (char& c : rest)
        if (c == '/') c = '\\';
    if (rest.empty() || rest[0] != '\\') rest.insert(0, "\\");
    std::string sjis;
    if (!Convert("CP932", "UTF-8", rest, sjis)) return false;
    std::string result = std::string(1, static_cast<char>('A' + best)) + ":" + sjis;
    if (result.size() + 1 > room) return false;
    std::memcpy(buffer, result.c_str(), result.size() + 1);
    return true;
}

// The Windows form of path with its names resolved: drive or share root kept, the rest resolved;
// a path without either is left as it is. False for a reserved device name.
bool ResolveWindowsPath(const char* path, std::string& resolved, bool* reservedLast) {
    if (reservedLast) *reservedLast = false;
    std::string rest;
    if (IsDrivePath(path)) {
        std::string names = path + 2;
        if (path[2] != '\\' && path[2] != '/') {
            // "C:name" lies in the drive's current folder: this process's own where that is on the
            // drive, else its root (Windows remembers no other drive's folder for a program).
            char current[1024];
            char self[PATH_MAX + 1];
            if (::getcwd(self, sizeof self) && WindowsPath(self, current, sizeof current) &&
                std::toupper(static_cast<unsigned char>(current[0])) == std::toupper(static_cast<unsigned char>(path[0])))
                names = std::string(current + 2) + "\\" + names;
        }
        if (!ResolveNames(names.c_str(), rest, reservedLast)) return false;
        resolved = std::string(path, 2) + rest;
        return true;
    }
    if (const char* p = ShareRootEnd(path)) {
        // The server and the share are the root; ".." never climbs above them.
        if (!*p) {
            resolved = path;
            return true;
        }
        if (!ResolveNames(p, rest, reservedLast)) return false;
        resolved = std::string(path, static_cast<size_t>(p - path)) + rest;
        return true;
    }
    resolved = path;
    return true;
}

}  // namespace osposix

bool OsNativePath(const char* windowsPath, std::string& native) {
    native.clear();
    if (!windowsPath) return false;
    std::string resolvedPath;
    if (!ResolveWindowsPath(windowsPath, resolvedPath, nullptr)) return false;
    const char* path = resolvedPath.c_str();
    std::string base;
    const char* rest = path;
    if (IsDrivePath(path)) {
        const StDRIVE& d = LoadedMap().drives[std::toupper(static_cast<unsigned char>(path[0])) - 'A'];
        if (!d.mapped || d.folder.empty()) return false;
        base = d.folder;
        rest = path + 2;
    } else if (IsSharePath(path)) {
        base = LoadedMap().shareFolder;
        if (base.empty()) return false;
        rest = path + 1;  // "\server\share\..." below the share folder
    }
    std::string converted;
    if (!Convert("UTF-8", "CP932", rest, converted)) return false;
    // In UTF-8 a byte 0x5C is always a backslash, never part of a character.
    for (char& c : converted)
        if (c == '\\') c = '/';
    while (base.size() > 1 && base.back() == '/') base.pop_back();
    if (base == "/" && !converted.empty() && converted[0] == '/') base.clear();
    if (!base.empty() && !converted.empty() && converted[0] != '/') base += '/';
    native = base + converted;
    return !native.empty();
}

bool OsFullPath(const char* path, std::string& full) {
    full.clear();
    if (!path || !(IsDrivePath(path) || IsSharePath(path))) return false;
    return ResolveWindowsPath(path, full, nullptr);
}

unsigned OsGetDriveType(const char* root) {
    if (!root || !IsDrivePath(root) || (root[2] != '\\' && root[2] != '\0') || (root[2] && root[3]))
        return DriveNoRootDir;
    const StDRIVE& d = LoadedMap().drives[std::toupper(static_cast<unsigned char>(root[0])) - 'A'];
    return d.mapped ? d.type : static_cast<unsigned>(DriveNoRootDir);
}

bool OsCanAccess(const char* path, int mode) {
    std::string native;
    if (!OsNativePath(path, native)) return false;
    int how = F_OK;
    if (mode & AccessWrite) how |= W_OK;
    if (mode & AccessRead) how |= R_OK;
    return ::access(native.c_str(), how) == 0;
}

bool OsIsDirectory(const char* path) {
    struct stat st;
    return NativeStat(path, &st) && S_ISDIR(st.st_mode);
}

const char* OsSkipRoot(const char* path) {
    if (!path) return nullptr;
    if (const char* end = ShareRootEnd(path)) return *end ? end + 1 : nullptr;
    if (IsSjisLeadByte(static_cast<unsigned char>(path[0]))) return nullptr;
    if (path[0] && path[1] == ':' && path[2] == '\\') return path + 3;
    return nullptr;
}

bool OsStripToRoot(char* path) {
    if (!path) return false;
    if (const char* end = ShareRootEnd(path)) {
        path[end - path] = '\0';
        return true;
    }
    if (IsDrivePath(path) && path[2] == '\\') {
        path[3] = '\0';
        return true;
    }
    if (path[0] == '\\') {
        path[1] = '\0';
        return true;
    }
    return false;
}

void OsSplitDriveDir(const char* path, char* drive, char* directory) {
    drive[0] = '\0';
    directory[0] = '\0';
    if (!path) return;
    const char* p = path;
    if (p[0] && p[1] == ':') {
        drive[0] = p[0];
        drive[1] = ':';
        drive[2] = '\0';
        p += 2;
    }
    const char* last = nullptr;
    for (const char* q = p; *q; q += SjisCharBytes(q))
        if (*q == '\\' || *q == '/') last = q;
    if (!last) return;
    size_t n = static_cast<size_t>(last - p) + 1;
    if (n > 260) n = 260;
    std::memcpy(directory, p, n);
    directory[n] = '\0';
}

bool OsMapDrive(char letter, const char* nativeFolder, unsigned type) {
    if (!std::isalpha(static_cast<unsigned char>(letter))) return false;
    LoadedMap().drives[std::toupper(static_cast<unsigned char>(letter)) - 'A'] =
        StDRIVE{true, nativeFolder ? nativeFolder : "", type};
    return true;
}

bool OsUnmapDrive(char letter) {
    if (!std::isalpha(static_cast<unsigned char>(letter))) return false;
    LoadedMap().drives[std::toupper(static_cast<unsigned char>(letter)) - 'A'] =
        StDRIVE{false, std::string(), DriveNoRootDir};
    return true;
}

bool OsSetShareFolder(const char* nativeFolder) {
    LoadedMap().shareFolder = nativeFolder ? nativeFolder : "";
    return true;
}

bool OsResetDrives() {
    LoadFromEnvironment(Map());
    return true;
}
