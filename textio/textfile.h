// textfile.h - the file stream under a text accessor, with every outcome recorded.
#pragma once

#include <fstream>
#include <istream>
#include <memory>
#include <string>

#include "osapi.h"
#include "tempfile.h"

class ClTextAccessor;

// Open flags; combine with |. TFReplace (with TFWrite) writes a new file in the place of the path:
// the bytes go to a temporary sibling (platform/tempfile.h), which Close puts in place in one step
// only when every byte was written, and removes otherwise; until then the file at the path stays
// as it was.
enum TFOpenMode { TFRead = 1, TFWrite = 2, TFAppend = 4, TFOverwrite = 8, TFReplace = 16 };
inline TFOpenMode operator|(TFOpenMode a, TFOpenMode b) {
    return static_cast<TFOpenMode>(static_cast<int>(a) | static_cast<int>(b));
}

class ClTextFile {
public:
    ClTextFile();
    virtual ~ClTextFile();  // closes an open stream without recording anything
    ClTextFile(const ClTextFile&) = delete;
    ClTextFile& operator=(const ClTextFile&) = delete;

    // TFRead: must exist. TFWrite: must not exist, unless TFAppend (keep, write at the end) or
    // TFOverwrite (create or empty). Only plain files: reading follows a link, writing never does,
    // and a folder, FIFO or device is refused. Records the outcome; 0 or -1000 (line 88), also
    // when this file is open already (that one is kept as it is).
    long Open(const char* path, TFOpenMode mode);
    // Closes when open; 0, or -1000 (line 112) when data could not be written (or, with
    // TFReplace, the file could not be put in place: the old one then stays).
    long Close();
    // Closes without putting anything in place: with TFReplace the file at the path stays as it
    // was. Records success as Close does; 0.
    long Discard();
    // Whether reading met an error of the medium (a read that failed, not the end of the file).
    bool HadReadError() const { return m_stream.bad(); }
    // Binds this file's stream to the accessor; -1003 (line 129) for a null accessor.
    long Attach(ClTextAccessor* accessor);

    bool IsOpen() const { return m_file.is_open() || m_replacement.IsOpen(); }
    // With TFReplace: what the file put in place by the last Close is (all zero when none was),
    // and what lay at the path when it was opened (all zero: nothing), so that the owner can tell
    // either from a file another program put there since.
    const StFILEID& Placed() const { return m_placed; }
    const StFILEID& Previous() const { return m_previous; }

private:
    // Ends a pending replacement: the whole file in place, or none; true when placed.
    bool Finish();
    void UseBuffer();

    enum { kBufferBytes = 1 << 16 };
    std::unique_ptr<char[]> m_buffer;  // the stream's buffer: rows reach the system in large writes
    std::filebuf m_file;               // every mode but TFReplace
    ClTempFile m_replacement;          // TFReplace: the bytes go here until Close puts them in place
    std::iostream m_stream;            // over one of the two
    StFILEID m_placed;
    StFILEID m_previous;
};
