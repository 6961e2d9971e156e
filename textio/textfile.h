// textfile.h - the file stream under a text accessor, with every outcome recorded.
#pragma once

#include <fstream>
#include <memory>

class ClTextAccessor;

// Open flags; combine with |.
enum TFOpenMode { TFRead = 1, TFWrite = 2, TFAppend = 4, TFOverwrite = 8 };
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
    // TFOverwrite (create or empty). Records the outcome; 0 or -1000 (line 88).
    long Open(const char* path, TFOpenMode mode);
    // Closes when open; 0, or -1000 (line 112) when data could not be written.
    long Close();
    // Binds this file's stream to the accessor; -1003 (line 129) for a null accessor.
    long Attach(ClTextAccessor* accessor);

    bool IsOpen() const { return m_stream.is_open(); }

private:
    enum { kBufferBytes = 1 << 16 };
    std::unique_ptr<char[]> m_buffer;  // the stream's buffer: rows reach the system in large writes
    std::fstream m_stream;
};
