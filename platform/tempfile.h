// tempfile.h - a file written beside its target and put in the target's place only when whole.
//
// The one way the program writes a file that replaces another: the data file, the type file and
// the log of an export, and the settings file. A temporary is made exclusively in the target's
// folder under a name of our own ("~aex" + 8 hex digits + ".tmp"), held open (on POSIX under an
// advisory lock, on Windows marked for deletion until kept) and removed on every way out a program
// can see: Discard, destruction, SIGINT, SIGTERM, SIGHUP (and SIGQUIT, SIGPIPE, SIGXFSZ) on POSIX,
// Ctrl+C, Ctrl+Break, closing the console or being ended on Windows. What a killed run left (power
// loss, SIGKILL) is removed by the next Create in that folder, never what a live run still holds.
#pragma once

#include <cstdint>
#include <memory>
#include <streambuf>
#include <string>

#include "osapi.h"

class ClTempFile : public std::streambuf {
public:
    ClTempFile();
    ~ClTempFile() override;  // Discard, unless kept
    ClTempFile(const ClTempFile&) = delete;
    ClTempFile& operator=(const ClTempFile&) = delete;

    // Makes the temporary beside target (a runtime path), after removing the leftovers of ended
    // runs there; false when none can be made. The bytes written to this buffer go to it.
    bool Create(const char* target);
    bool IsOpen() const { return m_handle != kNoHandle; }
    // Puts what was written in target's place in one step, the bytes on the disk before the name.
    // False, with the temporary removed and target as it was, when a byte could not be written or
    // target refuses (no plain file, read-only, held by another program beyond the retries).
    bool Keep();
    // Closes and removes the temporary; nothing when none is open.
    void Discard();
    // What the temporary is, and once kept, what target is; all zero before Create.
    const StFILEID& Identity() const { return m_id; }
    const std::string& Path() const { return m_path; }

    // Whether a file name (no folder) is one of our temporaries' names.
    static bool IsTemporaryName(const char* name);

protected:
    int_type overflow(int_type c) override;
    std::streamsize xsputn(const char* bytes, std::streamsize count) override;
    int sync() override;

private:
    enum { kBufferBytes = 1 << 16 };
    static const intptr_t kNoHandle;

    enum _Made { Made, NameTaken, NotMade };

    bool Flush();  // the buffered bytes to the file; false once any write failed
    // The system's part, in files_<platform>.cpp beside the other file operations.
    static unsigned long ProcessNumber();
    _Made OpenNew(const std::string& path);                  // exclusive and held; sets m_handle, m_id
    bool WriteOut(const char* bytes, size_t count);          // all of them, or false
    bool Place();                                            // to the disk, then in m_target's place
    void Close(bool remove);                                 // the handle; the file too when remove
    static void RemoveLeftovers(const std::string& folder);  // what no live run holds

    intptr_t m_handle;
    std::string m_path;
    std::string m_target;
    StFILEID m_id;
    bool m_failed;
    std::unique_ptr<char[]> m_buffer;
};
