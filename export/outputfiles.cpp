// outputfiles.cpp - the writer's three files: their names beside the data file, opening, closing, failures.
#include <cstring>

#include "assetwriter.h"
#include "winpath.h"

ClTextFile* ClAssetWriter::File(short file) {
    switch (file) {
        case DataFile:
            return &m_dataFile;
        case TypeFile:
            return &m_typeFile;
        case ErrorLog:
            return &m_errorLog;
        default:
            return nullptr;
    }
}

void ClAssetWriter::SetLogName(const char* name) {
    std::memset(m_logName, 0, sizeof m_logName);
    if (name) std::memcpy(m_logName, name, strnlen(name, sizeof m_logName - 1));
}

int ClAssetWriter::OpenFile(short file, const char* path) {
    ClTextFile* target = File(file);
    if (!target) return 1;
    char buffer[kPathBytes] = {};
    const size_t length = strnlen(path, kPathBytes);
    if (length >= kPathBytes) {  // cut, it would name some other file
        NoteFailure(file);
        return 0;
    }
    std::memcpy(buffer, path, length);
    if (file != DataFile) {
        // The type file and the log lie beside the data file. A name that does not fit the
        // buffer is refused rather than cut, which would write to some other file; so is a log
        // without a name, which would name the folder.
        const char* name = file == TypeFile ? kTypeFileName : m_logName;
        if (name[0] == '\0' || !SiblingFits(buffer, name, kPathBytes)) {
            NoteFailure(file);
            return 0;
        }
        std::memcpy(buffer + FileNameStart(buffer), name, std::strlen(name) + 1);
    }
    // Each file takes the place of the old one only when whole: no run leaves half a file, and two
    // runs into one folder never blend their logs.
    if (target->Open(buffer, TFWrite | TFOverwrite | TFReplace) == 0) return 1;
    NoteFailure(file);
    return 0;
}

int ClAssetWriter::CloseFile(short file) {
    ClTextFile* target = File(file);
    // A log without entries is not put in place: a run with nothing to say never takes the place
    // of another run's log. What an earlier run left there is the closing report's to judge.
    if (file == ErrorLog && m_logEntries == 0) {
        m_errorLog.Discard();
        return 1;
    }
    if (target && target->Close() != 0) NoteFailure(file);
    return 1;
}

void ClAssetWriter::NoteWrite(short file, long result) {
    if (result != 0) NoteFailure(file);
}

short ClAssetWriter::FileOf(const ClTextFile& file) const {
    if (&file == &m_typeFile) return TypeFile;
    return &file == &m_errorLog ? ErrorLog : DataFile;
}
