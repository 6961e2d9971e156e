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

ClTextFile::~ClTextFile() {}

// The stream is always untranslated: the accessor's rows carry their own CR LF and reading drops
// the CR again, so files come out byte-identical on every platform.
long ClTextFile::Open(const char* windowsPath, TFOpenMode mode) {
    if (m_stream.is_open()) m_stream.close();
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
        if (!append && !overwrite) {
            std::ifstream probe(path, std::ios::in | std::ios::binary);
            ok = !probe.is_open();  // plain TFWrite never replaces a file
        }
        if (ok && append && overwrite) {
            std::ofstream emptied(path, std::ios::out | std::ios::trunc | std::ios::binary);
            ok = emptied.is_open();
        }
        if (ok) {
            const std::ios::openmode how = append ? std::ios::app : std::ios::trunc;
            m_stream.open(path, std::ios::in | std::ios::out | how | std::ios::binary);
        }
    } else if (ok) {
        m_stream.open(path, std::ios::in | std::ios::binary);
    }
    if (!ok || !m_stream.is_open() || m_stream.fail()) {
        if (m_stream.is_open()) m_stream.close();
        m_stream.clear();
        return ClMsgMgr::Inst()->SetLastError(-1000, kSource, 88);
    }
    return ClMsgMgr::Inst()->SetLastError(0, nullptr, 0);
}

long ClTextFile::Close() {
    if (!m_stream.is_open()) return ClMsgMgr::Inst()->SetLastError(0, nullptr, 0);
    m_stream.close();
    if (m_stream.fail()) return ClMsgMgr::Inst()->SetLastError(-1000, kSource, 112);
    return ClMsgMgr::Inst()->SetLastError(0, nullptr, 0);
}

long ClTextFile::Attach(ClTextAccessor* accessor) {
    if (!accessor) return ClMsgMgr::Inst()->SetLastError(-1003, kSource, 129);
    return accessor->Attach(&m_stream);
}
