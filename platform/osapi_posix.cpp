// osapi_posix.cpp - the operating system on POSIX: Windows paths through a drive map, Shift-JIS names.
//
// Drives are letters mapped to native folders, each with a drive type, like Wine's dosdevices:
// by default Z: is "/" (fixed) and every other letter has no root. ASSETEXPORT_DRIVES changes the
// map ("C=/srv/c:fixed;D=/media/cd:cdrom;E=:removable"), ASSETEXPORT_SHARES names the folder that
// holds network paths ("\\server\share\x" is <folder>/server/share/x). Names are Shift-JIS in the
// program and UTF-8 on the disk.
#include <fcntl.h>
#include <iconv.h>
#include <langinfo.h>
#include <sys/file.h>
#include <spawn.h>
#include <sys/stat.h>
#include <sys/types.h>
#include <sys/wait.h>
#include <unistd.h>

#include <atomic>
#include <cctype>
#include <cerrno>
#include <climits>
#include <clocale>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <ctime>
#include <fstream>
#include <iterator>
#include <string>
#include <vector>

#include "osapi.h"
#include "sjisbytes.h"

extern char** environ;

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

bool Convert(const char* to, const char* from, const std::string& in, std::string& out) {
    out.clear();
    if (in.empty()) return true;
    iconv_t cd = iconv_open(to, from);
    if (cd == reinterpret_cast<iconv_t>(-1)) return false;
    std::vector<char> buffer(in.size() * 4 + 4);
    char* src = const_cast<char*>(in.data());
    size_t srcLeft = in.size();
    char* dst = buffer.data();
    size_t dstLeft = buffer.size();
    const size_t done = iconv(cd, &src, &srcLeft, &dst, &dstLeft);
    iconv_close(cd);
    if (done == static_cast<size_t>(-1) || srcLeft != 0) return false;
    out.assign(buffer.data(), buffer.size() - dstLeft);
    return true;
}

bool IsDrivePath(const char* p) { return std::isalpha(static_cast<unsigned char>(p[0])) && p[1] == ':'; }
bool IsSharePath(const char* p) { return p[0] == '\\' && p[1] == '\\'; }

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

bool NativeStat(const char* path, struct stat* st) {
    std::string native;
    return OsNativePath(path, native) && ::stat(native.c_str(), st) == 0;
}

// Comparison without regard to ASCII case that never folds the trail byte of a double-byte character.
bool SameText(const std::string& a, const std::string& b) {
    if (a.size() != b.size()) return false;
    for (size_t i = 0; i < a.size();) {
        const int n = SjisCharBytes(a.c_str() + i);
        if (n == 2) {
            if (a[i] != b[i] || a[i + 1] != b[i + 1]) return false;
        } else if (std::tolower(static_cast<unsigned char>(a[i])) !=
                   std::tolower(static_cast<unsigned char>(b[i]))) {
            return false;
        }
        i += n;
    }
    return true;
}

std::string Trim(const std::string& s) {
    const char* blanks = " \t\r";
    const size_t first = s.find_first_not_of(blanks);
    if (first == std::string::npos) return std::string();
    return s.substr(first, s.find_last_not_of(blanks) - first + 1);
}

unsigned long CopyCut(const std::string& value, char* buffer, unsigned long room) {
    if (!buffer || room == 0) return 0;
    unsigned long n = static_cast<unsigned long>(value.size());
    if (n > room - 1) n = room - 1;
    std::memcpy(buffer, value.data(), n);
    buffer[n] = '\0';
    return n;
}

// Windows command-line words: blanks separate, double quotes group, \" is a quote.
std::vector<std::string> SplitCommandLine(const char* line) {
    std::vector<std::string> words;
    const char* p = line;
    for (;;) {
        while (*p == ' ' || *p == '\t') ++p;
        if (!*p) break;
        std::string word;
        bool quoted = false;
        while (*p && (quoted || (*p != ' ' && *p != '\t'))) {
            if (p[0] == '\\' && p[1] == '"') {
                word += '"';
                p += 2;
            } else if (*p == '"') {
                quoted = !quoted;
                ++p;
            } else {
                const int n = SjisCharBytes(p);
                word.append(p, n);
                p += n;
            }
        }
        words.push_back(word);
    }
    return words;
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

// The Windows form of path with its names resolved: drive or share root kept, the rest resolved;
// a path without either is left as it is. False for a reserved device name.
bool ResolveWindowsPath(const char* path, std::string& resolved, bool* reservedLast) {
    if (reservedLast) *reservedLast = false;
    std::string rest;
    if (IsDrivePath(path)) {
        // "C:name" lies in the drive's current folder, which is its root here.
        if (!ResolveNames(path + 2, rest, reservedLast)) return false;
        resolved = std::string(path, 2) + rest;
        return true;
    }
    if (IsSharePath(path)) {
        // The server and the share are the root; ".." never climbs above them.
        const char* p = path + 2;
        int separators = 0;
        while (*p && separators < 2) {
            if (*p == '\\' && ++separators == 2) break;
            p += SjisCharBytes(p);
        }
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

bool NoFollowStat(const char* native, struct stat* st) { return ::lstat(native, st) == 0; }

_FileKind KindOf(const struct stat& st) {
    if (S_ISREG(st.st_mode)) return FilePlain;
    if (S_ISDIR(st.st_mode)) return FileFolder;
    return FileSpecial;
}

}  // namespace

bool OsNativePath(const char* windowsPath, std::string& native) {
    native.clear();
    if (!windowsPath) return false;
    std::string resolvedPath;
    if (!ResolveWindowsPath(windowsPath, resolvedPath, nullptr)) return false;
    const char* path = resolvedPath.c_str();
    native.clear();
    if (!path) return false;
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
    if (IsSharePath(path)) {
        const char* p = path + 2;
        int separators = 0;
        while (*p) {
            if (*p == '\\' && ++separators == 2) return p + 1;
            p += SjisCharBytes(p);
        }
        return nullptr;
    }
    if (IsSjisLeadByte(static_cast<unsigned char>(path[0]))) return nullptr;
    if (path[0] && path[1] == ':' && path[2] == '\\') return path + 3;
    return nullptr;
}

bool OsStripToRoot(char* path) {
    if (!path) return false;
    if (IsSharePath(path)) {
        char* p = path + 2;
        int separators = 0;
        while (*p) {
            if (*p == '\\' && ++separators == 2) {
                *p = '\0';
                break;
            }
            p += SjisCharBytes(p);
        }
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

bool OsCreateDirectory(const char* path) {
    std::string native;
    return OsNativePath(path, native) && ::mkdir(native.c_str(), 0777) == 0;
}

bool OsRemoveDirectory(const char* path) {
    std::string native;
    return OsNativePath(path, native) && ::rmdir(native.c_str()) == 0;
}

StFILESTATUS OsGetFileStatus(const char* path) {
    StFILESTATUS status = {FileNone, 0};
    std::string resolved, native;
    bool reservedLast = false;
    if (!path) return status;
    if (!ResolveWindowsPath(path, resolved, &reservedLast)) {
        // The device is there on every Windows folder, and is no file.
        if (reservedLast) status.kind = FileSpecial;
        return status;
    }
    struct stat st;
    if (!OsNativePath(path, native) || !NoFollowStat(native.c_str(), &st)) return status;
    status.kind = KindOf(st);
    if (status.kind == FilePlain) status.size = static_cast<unsigned long long>(st.st_size);
    return status;
}

bool OsDeleteFile(const char* path) {
    std::string native;
    struct stat st;
    // DeleteFileA refuses folders; unlink would too, but say so plainly.
    return OsNativePath(path, native) && ::stat(native.c_str(), &st) == 0 && !S_ISDIR(st.st_mode) &&
           ::unlink(native.c_str()) == 0;
}

bool OsReplaceFile(const char* source, const char* target) {
    std::string from, to;
    return OsNativePath(source, from) && OsNativePath(target, to) && OsReplaceRuntimeFile(from.c_str(), to.c_str());
}

_FileKind OsRuntimeFileKind(const char* path, bool followLinks) {
    struct stat st;
    if (!path || (followLinks ? ::stat(path, &st) : ::lstat(path, &st)) != 0) return FileNone;
    return KindOf(st);
}

bool OsRuntimeFinalPath(const char* path, std::string& target) {
    target.clear();
    char* resolved = path && *path ? ::realpath(path, nullptr) : nullptr;
    if (!resolved) return false;
    target = resolved;
    std::free(resolved);
    return true;
}

bool OsCreateUniqueSibling(const char* target, std::string& created) {
    created.clear();
    if (!target || !*target) return false;
    const std::string path = target;
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? std::string() : path.substr(0, slash + 1);
    static std::atomic<unsigned> counter{0};  // saves may run on several threads
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Process, time and a counter: distinct between programs and within one.
        const unsigned long mix = (static_cast<unsigned long>(::getpid()) * 2654435761UL) ^
                                  (static_cast<unsigned long>(std::time(nullptr)) * 40503UL) ^
                                  (static_cast<unsigned long>(std::clock()) << 7) ^ (++counter * 97UL);
        char name[24];
        std::snprintf(name, sizeof name, "~%08lx.tmp", mix & 0xFFFFFFFFUL);
        const std::string candidate = folder + name;
        const int fd = ::open(candidate.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_NOFOLLOW | O_CLOEXEC, 0666);
        if (fd >= 0) {
            ::close(fd);
            created = candidate;
            return true;
        }
        if (errno != EEXIST) return false;
    }
    return false;
}

bool OsReplaceRuntimeFile(const char* source, const char* target) {
    if (!source || !target) return false;
    struct stat old;
    if (::lstat(target, &old) == 0) {
        if (!S_ISREG(old.st_mode)) return false;
        // Windows refuses to replace a read-only file; so do we, on every platform alike.
        // Read-only is no write permission for anyone, as the attribute is, also for root.
        if ((old.st_mode & 0222) == 0 || ::access(target, W_OK) != 0) return false;
        ::chmod(source, old.st_mode & 07777);
    } else if (errno != ENOENT) {
        return false;
    }
    // The bytes reach the disk before the name does, so a crash leaves the old file or the new one.
    const int fd = ::open(source, O_RDONLY | O_NOFOLLOW | O_CLOEXEC);
    if (fd < 0) return false;
    const bool synced = ::fsync(fd) == 0;
    ::close(fd);
    if (!synced || ::rename(source, target) != 0) return false;
    const std::string path = target;
    const size_t slash = path.rfind('/');
    const std::string folder = slash == std::string::npos ? "." : slash == 0 ? "/" : path.substr(0, slash);
    const int dir = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
    if (dir >= 0) {
        ::fsync(dir);
        ::close(dir);
    }
    return true;
}

bool OsDeleteRuntimeFile(const char* path) {
    struct stat st;
    return path && ::lstat(path, &st) == 0 && !S_ISDIR(st.st_mode) && ::unlink(path) == 0;
}

struct StFILELOCK {
    int fd;
};

StFILELOCK* OsLockFile(const char* path, unsigned long waitMs) {
    if (!path) return nullptr;
    const int fd = ::open(path, O_RDWR | O_CREAT | O_NOFOLLOW | O_CLOEXEC, 0666);
    if (fd < 0) return nullptr;
    struct stat st;
    if (::fstat(fd, &st) != 0 || !S_ISREG(st.st_mode)) {
        ::close(fd);
        return nullptr;
    }
    for (unsigned long waited = 0;; waited += 10) {
        if (::flock(fd, LOCK_EX | LOCK_NB) == 0) return new StFILELOCK{fd};
        if ((errno != EWOULDBLOCK && errno != EINTR) || waited >= waitMs) break;
        const struct timespec pause = {0, 10 * 1000 * 1000};
        ::nanosleep(&pause, nullptr);
    }
    ::close(fd);
    return nullptr;
}

void OsUnlockFile(StFILELOCK* lock) {
    if (!lock) return;
    ::close(lock->fd);  // releases the lock
    delete lock;
}

// One line of an INI file, without its LF; a line longer than the system reader's 64 KiB buffer is
// kept to that length and the rest passed over, so that one endless line cannot fill the memory.
static bool ReadBoundedLine(std::istream& in, std::string& line) {
    const size_t kLineRoom = 65536;
    line.clear();
    std::streambuf* source = in.rdbuf();
    for (int c = source->sbumpc(); c != std::char_traits<char>::eof(); c = source->sbumpc()) {
        if (c == '\n') return true;
        if (line.size() < kLineRoom) line.push_back(static_cast<char>(c));
    }
    in.setstate(std::ios::eofbit);
    return !line.empty();
}

unsigned long OsGetProfileString(const char* section, const char* key, const char* defaultValue, char* buffer,
                                 unsigned long room, const char* file) {
    // The system trims trailing blanks of the default too.
    std::string fallback = defaultValue ? defaultValue : "";
    while (!fallback.empty() && (fallback.back() == ' ' || fallback.back() == '\t')) fallback.pop_back();
    if (!section || !key || !file) return CopyCut(fallback, buffer, room);
    std::string path = file;
    if (path.find('\\') == std::string::npos) {
        char windows[261];
        if (!OsGetWindowsFolder(windows, sizeof windows)) return CopyCut(fallback, buffer, room);
        path = std::string(windows) + "\\" + path;
    }
    std::string native;
    // Only a plain file is read: a FIFO would block the program at its start, a device never end.
    if (!OsNativePath(path.c_str(), native) || OsRuntimeFileKind(native.c_str(), true) != FilePlain)
        return CopyCut(fallback, buffer, room);
    std::ifstream in(native, std::ios::binary);
    if (!in) return CopyCut(fallback, buffer, room);
    const std::string wantSection = Trim(section), wantKey = Trim(key);
    bool inSection = false;
    std::string line;
    while (ReadBoundedLine(in, line)) {
        const std::string text = Trim(line);
        if (text.empty() || text[0] == ';') continue;
        if (text[0] == '[') {
            const size_t close = text.find(']');
            inSection = close != std::string::npos && SameText(Trim(text.substr(1, close - 1)), wantSection);
            continue;
        }
        if (!inSection) continue;
        const size_t equals = text.find('=');
        if (equals == std::string::npos || !SameText(Trim(text.substr(0, equals)), wantKey)) continue;
        std::string value = Trim(text.substr(equals + 1));
        // A value in matching quotes loses them, as with the system's reader.
        if (value.size() >= 2 && (value[0] == '"' || value[0] == '\'') && value.back() == value[0])
            value = value.substr(1, value.size() - 2);
        return CopyCut(value, buffer, room);
    }
    return CopyCut(fallback, buffer, room);
}

// A native folder in Windows form, ending in a backslash as the system's folder queries give it.
static bool WindowsFolder(const std::string& native, char* buffer, size_t room) {
    if (!WindowsPath(native, buffer, room)) return false;
    const size_t length = std::strlen(buffer);
    if (buffer[length - 1] != '\\') {
        if (length + 2 > room) return false;
        buffer[length] = '\\';
        buffer[length + 1] = '\0';
    }
    return true;
}

bool OsGetProgramFolder(char* buffer, size_t room) {
    char self[PATH_MAX + 1];
    const ssize_t n = ::readlink("/proc/self/exe", self, PATH_MAX);
    if (n <= 0) return false;
    std::string native(self, static_cast<size_t>(n));
    native.erase(native.rfind('/') + 1);
    return WindowsFolder(native, buffer, room);
}

bool OsGetWindowsFolder(char* buffer, size_t room) {
    const char* configured = std::getenv("ASSETEXPORT_WINDIR");
    const std::string folder = configured && *configured ? configured : "C:\\windows";
    if (folder.size() + 1 > room) return false;
    std::memcpy(buffer, folder.c_str(), folder.size() + 1);
    return true;
}

bool OsGetTempFolder(char* buffer, size_t room) {
    const char* tmp = std::getenv("TMPDIR");
    std::string native = tmp && *tmp ? tmp : "/tmp";
    return WindowsFolder(native, buffer, room);
}

bool OsGetCurrentFolder(char* buffer, size_t room) {
    char native[PATH_MAX + 1];
    if (!::getcwd(native, sizeof native)) return false;
    return WindowsPath(native, buffer, room);
}

bool OsSetCurrentFolder(const char* path) {
    std::string native;
    return OsNativePath(path, native) && ::chdir(native.c_str()) == 0;
}

bool OsGetPlatformId(unsigned long* platformId) {
    if (!platformId) return false;
    *platformId = 2;  // behaves as the NT family
    return true;
}

// The kernel's high-water mark of the resident set; writing 5 to clear_refs resets it.
unsigned long long OsPeakMemoryBytes() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::strtoull(line.c_str() + 6, nullptr, 10) * 1024;
    }
    return 0;
}

bool OsResetPeakMemory() {
    std::ofstream clear("/proc/self/clear_refs");
    clear << "5";
    clear.flush();
    return static_cast<bool>(clear);
}

bool OsRunProcess(const char* commandLine, const char* workFolder, bool wait, unsigned long* exitCode) {
    if (!commandLine) return false;
    // Windows-form words become native paths; other words only change their encoding.
    // An unquoted program path with blanks in it is found as CreateProcess finds it: the shortest
    // run of words up to a blank that names an existing file is the program.
    std::string program;
    const char* rest = commandLine;
    if (commandLine[0] != '"') {
        for (const char* blank = std::strchr(commandLine, ' '); blank; blank = std::strchr(blank + 1, ' ')) {
            const std::string candidate(commandLine, static_cast<size_t>(blank - commandLine));
            std::string native;
            struct stat st;
            if (IsDrivePath(candidate.c_str()) && OsNativePath(candidate.c_str(), native) &&
                ::stat(native.c_str(), &st) == 0 && S_ISREG(st.st_mode)) {
                program = candidate;
                rest = blank;
                break;
            }
        }
    }
    std::vector<std::string> split = SplitCommandLine(rest);
    if (!program.empty()) split.insert(split.begin(), program);
    std::vector<std::string> words;
    for (const std::string& word : split) {
        std::string native;
        if ((IsDrivePath(word.c_str()) || IsSharePath(word.c_str())) && OsNativePath(word.c_str(), native)) {
            words.push_back(native);
        } else if (Convert("UTF-8", "CP932", word, native)) {
            words.push_back(native);
        } else {
            words.push_back(word);
        }
    }
    if (words.empty()) return false;
    std::vector<char*> argv;
    for (std::string& w : words) argv.push_back(&w[0]);
    argv.push_back(nullptr);
    posix_spawn_file_actions_t actions;
    posix_spawn_file_actions_init(&actions);
    std::string folder;
    if (workFolder && *workFolder) {
        if (!OsNativePath(workFolder, folder)) {
            posix_spawn_file_actions_destroy(&actions);
            return false;
        }
        posix_spawn_file_actions_addchdir_np(&actions, folder.c_str());
    }
    pid_t child = 0;
    const int failed = posix_spawnp(&child, argv[0], &actions, nullptr, argv.data(), environ);
    posix_spawn_file_actions_destroy(&actions);
    if (failed) return false;
    if (!wait) return true;
    int status = 0;
    while (::waitpid(child, &status, 0) < 0) {
        if (errno != EINTR) return false;
    }
    if (exitCode) *exitCode = WIFEXITED(status) ? static_cast<unsigned long>(WEXITSTATUS(status)) : 255UL;
    return true;
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

namespace {

// The locale's character set, read once from the environment.
bool TerminalIsUtf8() {
    static const bool utf8 = [] {
        std::setlocale(LC_CTYPE, "");
        const char* codeset = nl_langinfo(CODESET);
        return codeset && (std::strcmp(codeset, "UTF-8") == 0 || std::strcmp(codeset, "utf8") == 0);
    }();
    return utf8;
}

}  // namespace

std::string OsTerminalText(const char* text) {
    const std::string in = text ? text : "";
    if (!TerminalIsUtf8()) return in;
    std::string out;
    if (Convert("UTF-8", "CP932", in, out)) return out;
    // A byte without a form in the terminal's encoding is shown as \xNN; the rest stays readable.
    out.clear();
    std::string piece;
    for (size_t i = 0; i < in.size();) {
        const size_t width = static_cast<size_t>(SjisCharBytes(in.c_str() + i));
        if (Convert("UTF-8", "CP932", in.substr(i, width), piece)) {
            out += piece;
        } else {
            for (size_t k = i; k < i + width; ++k) {
                char escaped[5];
                std::snprintf(escaped, sizeof escaped, "\\x%02X", static_cast<unsigned char>(in[k]));
                out += escaped;
            }
        }
        i += width;
    }
    return out;
}

bool OsTextFromTerminal(const std::string& typed, std::string& text) {
    if (!TerminalIsUtf8()) {
        text = typed;
        return true;
    }
    return Convert("CP932", "UTF-8", typed, text);
}
