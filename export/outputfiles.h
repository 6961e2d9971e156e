// outputfiles.h - the three files of a run: their names beside the data file, opening, closing, failures.
#pragma once

#include "textfile.h"

// The three files of a run.
enum _OutputFile : short { DataFile = 0, TypeFile = 1, ErrorLog = 2 };

// The files a run could not open or write completely: bit 1 << _OutputFile for each.
enum { FailedDataFile = 1 << DataFile, FailedTypeFile = 1 << TypeFile, FailedErrorLog = 1 << ErrorLog };

class ClOutputFiles {
public:
    ClOutputFiles();
    ClOutputFiles(const ClOutputFiles&) = delete;
    ClOutputFiles& operator=(const ClOutputFiles&) = delete;

    // The name of the link error log, which lies beside the data file; set before the log is
    // opened (without one the log is not opened).
    void SetLogName(const char* name);
    // Opens one _OutputFile for the data file at dataPath: created, or replaced when whole. 1 when
    // open, 0 when not (a failure of that file); 1 without opening anything for other values.
    int Open(short file, const char* dataPath);
    // Puts the file in place when every byte was written, else fails it; nothing for other values.
    void Close(short file);
    // Closes the file without putting it in place: what lies at its name stays as it was.
    void Discard(short file);

    // The file, or null for values that name none.
    ClTextFile* File(short file) { return IsFile(file) ? &m_files[file] : nullptr; }
    const ClTextFile& Log() const { return m_files[ErrorLog]; }
    // A line's answer from the accessor: anything but 0 fails the file.
    void NoteWrite(short file, long result) {
        if (result != 0) m_failed |= 1 << file;
    }
    // The Failed... bits of the files that failed so far.
    int Failed() const { return m_failed; }

private:
    enum { kPathBytes = 261 };
    static bool IsFile(short file) { return file >= DataFile && file <= ErrorLog; }

    ClTextFile m_files[3];  // by _OutputFile, so destroyed log first, then type file, then data file
    char m_logName[kPathBytes];
    int m_failed;
};
