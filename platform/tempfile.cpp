// tempfile.cpp - the temporary file's part common to every platform: its name, buffer, keep and discard.
#include "tempfile.h"

#include <atomic>
#include <cstdio>
#include <cstring>
#include <ctime>

#include "winpath.h"

const intptr_t ClTempFile::kNoHandle = -1;

namespace {

const char kPrefix[] = "~aex";
const char kSuffix[] = ".tmp";
const size_t kHexDigits = 8;

}  // namespace

ClTempFile::ClTempFile() : m_handle(kNoHandle), m_id(), m_failed(false) {}

ClTempFile::~ClTempFile() { Discard(); }

bool ClTempFile::IsTemporaryName(const char* name) {
    const size_t prefix = sizeof kPrefix - 1;
    if (!name || std::strlen(name) != prefix + kHexDigits + sizeof kSuffix - 1) return false;
    if (std::strncmp(name, kPrefix, prefix) != 0 || std::strcmp(name + prefix + kHexDigits, kSuffix) != 0) return false;
    for (size_t i = prefix; i < prefix + kHexDigits; ++i)
        if (!std::strchr("0123456789abcdef", name[i])) return false;
    return true;
}

bool ClTempFile::Create(const char* target) {
    Discard();
    if (!target || !*target) return false;
    const std::string folder(target, FileNameStart(target));
    RemoveLeftovers(folder);
    static std::atomic<unsigned long> counter{0};  // saves may run on several threads
    for (int attempt = 0; attempt < 100; ++attempt) {
        // Process, clock and a counter: distinct between programs and within one.
        const unsigned long mix = (ProcessNumber() * 2654435761UL) ^
                                  (static_cast<unsigned long>(std::time(nullptr)) * 40503UL) ^
                                  (static_cast<unsigned long>(std::clock()) << 7) ^ (++counter * 97UL);
        char name[24];
        std::snprintf(name, sizeof name, "%s%08lx%s", kPrefix, mix & 0xFFFFFFFFUL, kSuffix);
        const _Made made = OpenNew(folder + name);
        if (made == NotMade) return false;
        if (made == Made) {
            if (!m_buffer) m_buffer.reset(new char[kBufferBytes]);  // only where a temporary is written
            m_path = folder + name;
            m_target = target;
            m_failed = false;
            setp(m_buffer.get(), m_buffer.get() + kBufferBytes);
            return true;
        }
    }
    return false;
}

bool ClTempFile::Keep() {
    if (!IsOpen()) return false;
    const bool placed = Flush() && Place();
    Close(!placed);
    if (!placed) m_id = StFILEID();
    return placed;
}

void ClTempFile::Discard() {
    if (!IsOpen()) return;
    Close(true);
    m_id = StFILEID();
}

bool ClTempFile::Flush() {
    const size_t pending = static_cast<size_t>(pptr() - pbase());
    if (pending > 0 && !m_failed) m_failed = !WriteOut(pbase(), pending);
    setp(m_buffer.get(), m_buffer.get() + kBufferBytes);
    return !m_failed;
}

ClTempFile::int_type ClTempFile::overflow(int_type c) {
    if (!IsOpen() || !Flush()) return traits_type::eof();
    if (traits_type::eq_int_type(c, traits_type::eof())) return traits_type::not_eof(c);
    *pptr() = traits_type::to_char_type(c);
    pbump(1);
    return c;
}

// A row longer than what is left of the buffer flushes it; one longer than the buffer goes out whole.
std::streamsize ClTempFile::xsputn(const char* bytes, std::streamsize count) {
    if (!IsOpen() || count <= 0) return 0;
    const size_t n = static_cast<size_t>(count);
    if (n > static_cast<size_t>(epptr() - pptr())) {
        if (!Flush()) return 0;
        if (n >= kBufferBytes) {
            m_failed = !WriteOut(bytes, n);
            return m_failed ? 0 : count;
        }
    }
    std::memcpy(pptr(), bytes, n);
    pbump(static_cast<int>(n));
    return count;
}

int ClTempFile::sync() { return IsOpen() && Flush() ? 0 : -1; }
