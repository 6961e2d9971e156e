// textfile.cpp - opening, attaching and closing the stream of a text file.
#include "textfile.h"

#include <string>

#include "errorstore.h"
#include "osapi.h"
#include "textaccessor.h"
#include "winpath.h"

namespace {
const char kSource[] = "TextFile";
}

ClTextFile::ClTextFile() : m_stream(nullptr), m_placed(), m_previous() {}

// Closing here is a close like any other, only unrecorded: a whole replacement takes its place.
ClTextFile::~ClTextFile() {
    if (m_replacement.IsOpen()) Finish();
}

// A replacement brings a buffer of its own; the file stream gets this one, taken only while closed.
void ClTextFile::UseBuffer() {
    if (!m_buffer) m_buffer.reset(new char[kBufferBytes]);
    m_file.pubsetbuf(m_buffer.get(), kBufferBytes);
}

bool ClTextFile::Finish() {
    m_stream.flush();
    // Every write that failed before has left the stream bad.
    if (m_stream.fail() || !m_replacement.Keep()) {
        m_replacement.Discard();
        return false;
    }
    m_placed = m_replacement.Identity();
    return true;
}

// The stream is always untranslated: the accessor's rows carry their own CR LF and reading drops
// the CR again, so files come out byte-identical on every platform.
long ClTextFile::Open(const char* windowsPath, TFOpenMode mode) {
    // An open file stays open and as it is, its rows and a pending replacement with it: only
    // Close ends it.
    if (IsOpen()) return ClMsgMgr::Inst()->SetLastError(-1000, kSource, 88);
    const int flags = static_cast<int>(mode);
    bool ok = windowsPath != nullptr && (flags & (TFRead | TFWrite)) != 0;
    // Paths in Windows form (a drive or a share) go through the platform's mapping; any other path
    // is already the runtime's own and is used as it is.
    std::string mapped;
    const char* path = windowsPath;
    if (ok && (IsDrivePath(path) || IsSharePath(path))) {
        ok = OsNativePath(windowsPath, mapped);
        path = mapped.c_str();
    }
    std::streambuf* buffer = &m_file;
    if (ok && (flags & TFWrite)) {
        const bool append = (flags & TFAppend) != 0;
        const bool overwrite = (flags & TFOverwrite) != 0;
        // Checked before opening: a FIFO would block the open, and a link or a device would take
        // the bytes somewhere else.
        const _FileKind kind = OsRuntimeFileKind(path, false);
        ok = kind == FileNone || kind == FilePlain;
        if (ok && !append && !overwrite) ok = kind == FileNone;  // plain TFWrite never replaces a file
        if (ok && (flags & TFReplace) && !append) {
            m_previous = StFILEID();
            if (kind == FilePlain) OsRuntimeFileIdentity(path, &m_previous);
            // Made here, exclusively and under a name of its own, so no other program's run and
            // no planted link can share it.
            ok = m_replacement.Create(path);
            buffer = &m_replacement;
        } else if (ok && append && overwrite) {
            std::ofstream emptied(path, std::ios::out | std::ios::trunc | std::ios::binary);
            ok = emptied.is_open();
        }
        if (ok && buffer == &m_file) {
            UseBuffer();
            const std::ios::openmode how = append ? std::ios::app : std::ios::trunc;
            ok = m_file.open(path, std::ios::in | std::ios::out | how | std::ios::binary) != nullptr;
        }
    } else if (ok) {
        // A link is followed when reading; a folder, FIFO or device is no text file.
        UseBuffer();
        ok = OsRuntimeFileKind(path, true) == FilePlain &&
             m_file.open(path, std::ios::in | std::ios::binary) != nullptr;
    }
    if (!ok) {
        if (m_file.is_open()) m_file.close();
        m_replacement.Discard();
        return ClMsgMgr::Inst()->SetLastError(-1000, kSource, 88);
    }
    m_stream.rdbuf(buffer);  // and a good state
    m_placed = StFILEID();
    return ClMsgMgr::Inst()->SetLastError(0, nullptr, 0);
}

long ClTextFile::Close() {
    if (!IsOpen()) return ClMsgMgr::Inst()->SetLastError(0, nullptr, 0);
    bool ok;
    if (m_replacement.IsOpen()) {
        ok = Finish();  // only a whole file takes the old one's place
    } else {
        ok = !m_stream.fail();  // also set by any write that failed before
        if (!m_file.close()) ok = false;
    }
    if (!ok) return ClMsgMgr::Inst()->SetLastError(-1000, kSource, 112);
    return ClMsgMgr::Inst()->SetLastError(0, nullptr, 0);
}

long ClTextFile::Discard() {
    m_replacement.Discard();
    if (m_file.is_open()) m_file.close();
    return ClMsgMgr::Inst()->SetLastError(0, nullptr, 0);
}

long ClTextFile::Attach(ClTextAccessor* accessor) {
    if (!accessor) return ClMsgMgr::Inst()->SetLastError(-1003, kSource, 129);
    return accessor->Attach(&m_stream);
}
