// savedpath.cpp - reading and rewriting the settings file of remembered output paths.
#include "savedpath.h"

#include <cstdio>
#include <cstring>
#include <fstream>
#include <memory>
#include <new>
#include <string>

#include "osapi.h"
#include "pathrules.h"
#include "tempfile.h"

namespace {

// Room of a key: a 64-byte user identifier, a selection number with sign, a 34-byte data-set
// identifier, the separators and a terminator, with some to spare.
const size_t kKeyRoom = 128;
// Room of one line: key, a path of up to 260 bytes, the line feed and a terminator.
const size_t kLineRoom = 512;
const size_t kNotFound = static_cast<size_t>(-1);

// The key in the build's format; false when an owner part is missing or the key does not fit.
bool MakeKey(const StBUILDINFO& build, const StSAVEDPATHOWNER& owner, char* key, size_t* length) {
    std::memset(key, 0, kKeyRoom);
    if (!build.keyFormat || !owner.userId || !owner.dataSetId) return false;
    const int n =
        std::strstr(build.keyFormat, "%d")
            ? std::snprintf(key, kKeyRoom, build.keyFormat, owner.userId, owner.selectionNo, owner.dataSetId)
            : std::snprintf(key, kKeyRoom, build.keyFormat, owner.userId, owner.dataSetId);
    if (n <= 0 || static_cast<size_t>(n) >= kKeyRoom) return false;
    // A key holding a line feed could never be found at a line start again.
    if (std::strchr(key, '\n')) return false;
    *length = static_cast<size_t>(n);
    return true;
}

bool MakeSettingsPath(const char* folder, const StBUILDINFO& build, char* path) {
    std::memset(path, 0, kPathRoom);
    if (!build.settingsFile) return false;
    const std::string joined = std::string(folder ? folder : "") + build.settingsFile;
    if (joined.size() >= kPathRoom) return false;
    std::memcpy(path, joined.data(), joined.size());
    return true;
}

// The lock file beside the file the settings live in (a runtime path): the name's extension
// swapped for ".lck". Beside the file, not beside a link to it, so that programs saving through
// different links to one file meet at one lock. It stays, as a lock file must: removing it would
// let two programs lock two different files.
std::string LockPath(const std::string& file) {
    // A dot is never a trail byte, so the last one in the name is the extension's.
    const size_t dot = file.rfind('.');
    if (dot != std::string::npos && dot >= FileNameStart(file.c_str()) && file.size() - dot == 4 &&
        file.compare(dot, 4, ".lck") != 0)
        return file.substr(0, dot) + ".lck";
    return file + ".lck";
}

// How long a save waits for another program's save of the same file.
const unsigned long kLockWaitMs = 5000;

// What the settings path names, with the runtime path of the file to read and to replace in
// file: the path itself, or the file a link there leads to, so that the settings are read through
// the link and saved by replacing that file (the link stays a link). FileNone: nothing there yet;
// FilePlain: a file; anything else (a folder, FIFO or device, a link leading nowhere or to one of
// these, a path out of reach) is no settings file.
_FileKind SettingsFile(const char* settingsPath, std::string& file) {
    if (!OsNativePath(settingsPath, file)) return FileSpecial;
    const _FileKind kind = OsGetFileStatus(settingsPath).kind;
    if (kind != FileSpecial || OsRuntimeFileKind(file.c_str(), true) != FilePlain) return kind;
    const std::string link = file;
    if (!OsRuntimeFinalPath(link.c_str(), file) || OsRuntimeFileKind(file.c_str(), false) != FilePlain)
        return FileSpecial;
    return FilePlain;
}

// The whole file at a runtime path as raw bytes; false when it cannot be read.
bool ReadWholeFile(const std::string& file, std::unique_ptr<char[]>& content, size_t* size) {
    std::ifstream in(file, std::ios::in | std::ios::binary);
    if (!in.seekg(0, std::ios::end)) return false;
    const std::streamoff end = in.tellg();
    if (end < 0 || static_cast<unsigned long long>(end) >= static_cast<size_t>(-1) || !in.seekg(0)) return false;
    const size_t bytes = static_cast<size_t>(end);
    content.reset(new (std::nothrow) char[bytes + 1]);
    if (!content) return false;
    in.read(content.get(), static_cast<std::streamsize>(bytes));
    if (static_cast<size_t>(in.gcount()) != bytes) return false;
    content[bytes] = '\0';
    *size = bytes;
    return true;
}

// The line that starts at offset: its text ends at *end, and the next line starts at the offset
// returned. LF, CR LF and a bare CR each end a line: the file may have been edited in Notepad or
// in an editor that writes CR alone.
size_t NextLine(const char* content, size_t size, size_t offset, size_t* end) {
    size_t i = offset;
    while (i < size && content[i] != '\n' && content[i] != '\r') ++i;
    *end = i;
    if (i < size && content[i] == '\r') ++i;
    if (i < size && content[i] == '\n') ++i;
    return i;
}

// Whether the line [start, end) is the key's: it begins with the whole key and a path follows, not
// the rest of a longer key (a user identifier may hold "/" and ":", a saved path never does after
// its drive).
bool IsKeyLine(const char* content, size_t start, size_t end, const char* key, size_t keyLength) {
    if (end - start < keyLength || std::memcmp(content + start, key, keyLength) != 0) return false;
    const std::string rest(content + start + keyLength, end - start - keyLength);
    return IsValidPathText(rest.c_str());
}

// Offset of the key's line and the end of its text; kNotFound when there is none.
size_t FindKeyLine(const char* content, size_t size, const char* key, size_t keyLength, size_t* end) {
    for (size_t start = 0; start < size;) {
        const size_t next = NextLine(content, size, start, end);
        if (IsKeyLine(content, start, *end, key, keyLength)) return start;
        start = next;
    }
    return kNotFound;
}

// The settings file with the owner's old line removed and the new one appended, put in place in
// one step; the caller holds the lock. A file that exists but cannot be read, is no plain file or
// is read-only is left as it is.
int RewriteLocked(const char* settingsPath, const char* key, size_t keyLength, const char* line,
                  size_t lineLength) {
    std::unique_ptr<char[]> content;
    size_t size = 0;
    std::string file;
    const _FileKind kind = SettingsFile(settingsPath, file);
    if (kind != FileNone && (kind != FilePlain || !ReadWholeFile(file, content, &size))) return 0;

    // A name of its own, created exclusively: another program's save, or a link planted under
    // some fixed name, can never share it.
    ClTempFile temporary;
    if (!temporary.Create(file.c_str())) return 0;
    std::ostream out(&temporary);
    // Every line of the owner goes, not only the first: a later one would be found instead of the
    // new line once the first is gone. Every other line is kept, ended by a line feed as the
    // file's lines are written (a last line without one would otherwise run into the new one).
    for (size_t start = 0; start < size;) {
        size_t end = 0;
        const size_t next = NextLine(content.get(), size, start, &end);
        if (!IsKeyLine(content.get(), start, end, key, keyLength)) {
            out.write(content.get() + start, static_cast<std::streamsize>(end - start));
            out.put('\n');
        }
        start = next;
    }
    out.write(line, static_cast<std::streamsize>(lineLength));
    out.flush();
    // The replacement keeps the old file's mode and refuses a read-only one; what is not kept goes.
    return out && temporary.Keep() ? 1 : 0;
}

}  // namespace

int LoadSavedPath(const char* settingsFolder, const StBUILDINFO& build, const StSAVEDPATHOWNER& owner,
                  char* path) {
    if (!path) return 0;
    char settingsPath[kPathRoom];
    char key[kKeyRoom];
    size_t keyLength = 0;
    if (!MakeSettingsPath(settingsFolder, build, settingsPath) || !MakeKey(build, owner, key, &keyLength))
        return 0;

    std::unique_ptr<char[]> content;
    size_t size = 0;
    std::string file;
    if (SettingsFile(settingsPath, file) != FilePlain || !ReadWholeFile(file, content, &size)) return 0;
    size_t end = 0;
    const size_t found = FindKeyLine(content.get(), size, key, keyLength, &end);
    if (found == kNotFound) return 0;

    const size_t start = found + keyLength;
    // A path beyond the buffer would be proposed cut, that is, as a different path.
    if (end - start >= kPathRoom) return 0;
    std::memset(path, 0, kPathRoom);
    std::memcpy(path, content.get() + start, end - start);
    return 1;
}

bool IsSettingsFile(const char* settingsFolder, const StBUILDINFO& build, const char* path) {
    char settingsPath[kPathRoom];
    if (!path || !MakeSettingsPath(settingsFolder, build, settingsPath)) return false;
    if (OsSameFile(path, settingsPath)) return true;
    // A lock file that does not exist yet has nothing to lose.
    std::string file;
    StFILEID lock, named;
    const _FileKind kind = SettingsFile(settingsPath, file);
    return (kind == FileNone || kind == FilePlain) && OsRuntimeFileIdentity(LockPath(file).c_str(), &lock) &&
           OsFileIdentity(path, &named) && lock == named;
}

int StoreSavedPath(const char* settingsFolder, const StBUILDINFO& build, const StSAVEDPATHOWNER& owner,
                   const char* path) {
    if (!settingsFolder || !settingsFolder[0] || !path) return 0;
    // A line feed inside the path would split its line in two.
    if (std::strlen(path) >= kPathRoom || std::strchr(path, '\n')) return 0;
    if (!FolderExists(settingsFolder) && !CreateFolderChain(settingsFolder)) return 0;

    char settingsPath[kPathRoom];
    char key[kKeyRoom];
    size_t keyLength = 0;
    if (!MakeSettingsPath(settingsFolder, build, settingsPath) || !MakeKey(build, owner, key, &keyLength)) return 0;
    char line[kLineRoom];
    std::memset(line, 0, sizeof line);
    const int lineLength = std::snprintf(line, sizeof line, "%s%s\n", key, path);
    if (lineLength <= 0 || static_cast<size_t>(lineLength) >= sizeof line) return 0;
    std::string file;
    const _FileKind kind = SettingsFile(settingsPath, file);
    if (kind != FileNone && kind != FilePlain) return 0;

    // Read, change and replace under one lock, so that programs saving at once each keep the
    // lines of the others.
    StFILELOCK* lock = OsLockFile(LockPath(file).c_str(), kLockWaitMs);
    if (!lock) return 0;
    const int saved = RewriteLocked(settingsPath, key, keyLength, line, static_cast<size_t>(lineLength));
    OsUnlockFile(lock);
    return saved;
}
