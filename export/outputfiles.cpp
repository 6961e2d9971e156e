// outputfiles.cpp - the three files of a run: their names beside the data file, opening, closing, failures.
#include "outputfiles.h"

#include <cstring>

#include "winpath.h"

ClOutputFiles::ClOutputFiles() : m_logName(), m_failed(0) {}

void ClOutputFiles::SetLogName(const char* name) {
    std::memset(m_logName, 0, sizeof m_logName);
    if (name) std::memcpy(m_logName, name, strnlen(name, sizeof m_logName - 1));
}

int ClOutputFiles::Open(short file, const char* dataPath) {
    if (!IsFile(file)) return 1;
    // A path that does not fit the buffer is refused rather than cut, which would name some other
    // file; so is a log without a name, which would name the folder. The type file and the log lie
    // beside the data file.
    char path[kPathBytes] = {};
    const size_t length = strnlen(dataPath, kPathBytes);
    bool named = length < kPathBytes;
    if (named) std::memcpy(path, dataPath, length);
    if (named && file != DataFile) {
        const char* name = file == TypeFile ? kTypeFileName : m_logName;
        named = name[0] != '\0' && SiblingPath(path, name, path, sizeof path);
    }
    // Each file takes the place of the old one only when whole: no run leaves half a file, and two
    // runs into one folder never blend their logs.
    if (named && m_files[file].Open(path, TFWrite | TFOverwrite | TFReplace) == 0) return 1;
    m_failed |= 1 << file;
    return 0;
}

void ClOutputFiles::Close(short file) {
    if (IsFile(file) && m_files[file].Close() != 0) m_failed |= 1 << file;
}

void ClOutputFiles::Discard(short file) {
    if (IsFile(file)) m_files[file].Discard();
}
