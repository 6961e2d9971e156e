// textfile.cpp - opening, attaching and closing the stream of a text file.
#include "textfile.h"

#include <cctype>
#include <string>

#include "errorstore.h"
#include "osapi.h"
#include "textaccessor.h"

namespace {
const char kSource[] = "TextFile";
}

ClTextFile::ClTextFile() : m_buffer(new char[kBufferBytes]) {}

// Closing here is a close like any other, only unrecorded: a whole replacement takes its place.
ClTextFile::~ClTextFile() {
    if (m_temporary.empty()) return;
    m_stream.close();
    if (m_stream.fail() || !OsReplaceRuntimeFile(m_temporary.c_str(), m_target.c_str()))
        OsDeleteRuntimeFile(m_temporary.c_str());
}

// The stream is always untranslated: the accessor's rows carry their own CR LF and reading drops
// the CR again, so files come out byte-identical on every platform.
long ClTextFile::Open(const char* windowsPath, TFOpenMode mode) {
    // An open file stays open and as it is, its rows and a pending replacement with it: only
    // Close ends it.
    if (m_stream.is_open()) return ClMsgMgr::Inst()->SetLastError(-1000, kSource, 88);
    m_stream.clear();
    m_stream.rdbuf()->pubsetbuf(m_buffer.get(), kBufferBytes);  // taken only while closed
    const int flags = static_cast<int>(mode);
    bool ok = windowsPath != nullptr && (flags & (TFRead | TFWrite)) != 0;
    // Paths in Windows form (a drive or a share) go through the platform's mapping; any other path
    // is already the runtime's own and is used as it is.
    std::string mapped;
    const char* path = windowsPath;
    if (ok && ((std::isalpha(static_cast<unsigned char>(path[0])) && path[1] == ':') ||
               (path[0] == '\\' && path[1] == '\\'))) {
        ok = OsNativePath(windowsPath, mapped);
        path = mapped.c_str();
    }
    if (ok && (flags & TFWrite)) {
        const bool append = (flags & TFAppend) != 0;
        const bool overwrite = (flags & TFOverwrite) != 0;
        // Checked before opening: a FIFO would block the open, and a link or a device would take
        // the bytes somewhere else.
        const _FileKind kind = OsRuntimeFileKind(path, false);
        ok = kind == FileNone || kind == FilePlain;
        if (ok && !append && !overwrite) ok = kind == FileNone;  // plain TFWrite never replaces a file
        if (ok && (flags & TFReplace) && !append) {
            // Created here, exclusively and under a name of its own, so no other program's run
            // and no planted link can share it.
            ok = OsCreateUniqueSibling(path, m_temporary);
            if (ok) {
                m_target = path;
                m_stream.open(m_temporary.c_str(), std::ios::in | std::ios::out | std::ios::binary);
            }
        } else if (ok && append && overwrite) {
            std::ofstream emptied(path, std::ios::out | std::ios::trunc | std::ios::binary);
            ok = emptied.is_open();
        }
        if (ok && m_temporary.empty()) {
            const std::ios::openmode how = append ? std::ios::app : std::ios::trunc;
            m_stream.open(path, std::ios::in | std::ios::out | how | std::ios::binary);
        }
    } else if (ok) {
        // A link is followed when reading; a folder, FIFO or device is no text file.
        ok = OsRuntimeFileKind(path, true) == FilePlain;
        if (ok) m_stream.open(path, std::ios::in | std::ios::binary);
    }
    if (!ok || !m_stream.is_open() || m_stream.fail()) {
        if (m_stream.is_open()) m_stream.close();
        m_stream.clear();
        if (!m_temporary.empty()) OsDeleteRuntimeFile(m_temporary.c_str());
        m_temporary.clear();
        m_target.clear();
        return ClMsgMgr::Inst()->SetLastError(-1000, kSource, 88);
    }
    return ClMsgMgr::Inst()->SetLastError(0, nullptr, 0);
}

long ClTextFile::Close() {
    if (!m_stream.is_open()) return ClMsgMgr::Inst()->SetLastError(0, nullptr, 0);
    m_stream.close();
    bool ok = !m_stream.fail();  // also set by any write that failed before
    if (!m_temporary.empty()) {
        // Only a whole file takes the old one's place.
        if (ok) ok = OsReplaceRuntimeFile(m_temporary.c_str(), m_target.c_str());
        if (!ok) OsDeleteRuntimeFile(m_temporary.c_str());
        m_temporary.clear();
        m_target.clear();
    }
    if (!ok) return ClMsgMgr::Inst()->SetLastError(-1000, kSource, 112);
    return ClMsgMgr::Inst()->SetLastError(0, nullptr, 0);
}

long ClTextFile::Attach(ClTextAccessor* accessor) {
    if (!accessor) return ClMsgMgr::Inst()->SetLastError(-1003, kSource, 129);
    return accessor->Attach(&m_stream);
}
