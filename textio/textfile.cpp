// textfile.cpp - opening, attaching and closing the stream of a text file.
#include "textfile.h"

#include "errorstore.h"
#include "textaccessor.h"

namespace {
const char kSource[] = "TextFile";
}

ClTextFile::ClTextFile() {}

ClTextFile::~ClTextFile() {}

// The stream is always untranslated: the accessor's rows carry their own CR LF and reading drops
// the CR again, so files come out byte-identical on every platform.
long ClTextFile::Open(const char* path, TFOpenMode mode) {
    if (m_stream.is_open()) m_stream.close();
    m_stream.clear();
    const int flags = static_cast<int>(mode);
    bool ok = path != nullptr && (flags & (TFRead | TFWrite)) != 0;
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
