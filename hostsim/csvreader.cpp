// csvreader.cpp - splitting a CSV file into rows and cells, read in blocks and split in place.
#include "csvreader.h"

#include <cstring>

#include "sjisbytes.h"

namespace {

const long kBufferBytes = 1 << 16;

// Byte classes, so that an ordinary byte costs one lookup. Every scan stops at the NUL kept after
// the bytes read (kStop).
enum : unsigned char {
    kComma = 1, kQuote = 2, kApostrophe = 4, kBlank = 8, kCr = 16, kLf = 32, kStop = 64, kLead = 128
};
struct StBYTECLASSES {
    unsigned char of[256];
};
StBYTECLASSES MakeByteClasses() {
    StBYTECLASSES t{};
    const char bytes[] = {'\0', ',', '"', '\'', ' ', '\t', '\r', '\n'};
    const unsigned char classes[] = {kStop, kComma, kQuote, kApostrophe, kBlank, kBlank, kCr, kLf};
    for (size_t i = 0; i < sizeof bytes; ++i) t.of[static_cast<unsigned char>(bytes[i])] = classes[i];
    // A lead byte must be stepped over with its trail byte (kLead) only if a byte the scans stop
    // at could trail it. By the rule of sjisbytes.h none can (trail bytes are 0x40 and up), so a
    // scan byte by byte finds the places a walk by characters finds, and lead bytes stay
    // ordinary: a scan of double-byte texts then costs what one of single-byte texts costs.
    bool stopCanTrail = false;
    for (int b = 0; b < 256; ++b) stopCanTrail |= t.of[b] != 0 && IsSjisTrailByte(static_cast<unsigned char>(b));
    for (int b = 0; b < 256 && stopCanTrail; ++b)
        if (IsSjisLeadByte(static_cast<unsigned char>(b))) t.of[b] = kLead;
    return t;
}
const StBYTECLASSES kClasses = MakeByteClasses();
unsigned char ClassOf(char c) { return kClasses.of[static_cast<unsigned char>(c)]; }

// Past the ordinary bytes and whole double-byte characters from p to the first byte of one of
// the classes kStops. Two bytes a turn, as the text accessor's comma splitter scans, so that the
// test of one byte overlaps the load of the next; the block-end test holds it to the rule.
template <unsigned char kStops>
inline char* SkipTo(char* p) {
    for (;;) {
        unsigned char c = ClassOf(p[0]);
        if (!(c & (kStops | kLead))) {
            // p[0] is no stop, so it is not the NUL after the bytes read: p[1] can be read.
            c = ClassOf(p[1]);
            if (!(c & (kStops | kLead))) {
                p += 2;
                continue;
            }
            ++p;
        }
        if (!(c & kLead)) return p;
        p += SjisCharBytes(p);
    }
}

}  // namespace

ClCsvReader::ClCsvReader()
    : m_file(nullptr), m_begin(0), m_end(0), m_atEnd(true), m_readError(false), m_inComment(false), m_line(0),
      m_rowLine(0), m_cells(), m_cellCount(0), m_rowDoubles(0) {}

ClCsvReader::~ClCsvReader() { Close(); }

void ClCsvReader::Close() {
    if (m_file) std::fclose(m_file);
    m_file = nullptr;
}

bool ClCsvReader::Open(const char* path) {
    Close();
    if (!m_buffer) m_buffer.reset(new char[kBufferBytes + 1]);  // once: a reopen allocates nothing
    m_buffer[0] = '\0';
    m_begin = m_end = 0;
    m_atEnd = m_readError = m_inComment = false;
    m_line = m_rowLine = 0;
    m_cellCount = 0;
    m_file = std::fopen(path, "rb");
    return m_file != nullptr;
}

// Moves the bytes not yet taken to the front and reads behind them.
void ClCsvReader::Fill() {
    char* const buffer = m_buffer.get();
    const long kept = m_end - m_begin;
    if (m_begin > 0) std::memmove(buffer, buffer + m_begin, static_cast<size_t>(kept));
    m_begin = 0;
    m_end = kept;
    m_end += static_cast<long>(std::fread(buffer + m_end, 1, static_cast<size_t>(kBufferBytes - m_end), m_file));
    buffer[m_end] = '\0';
    m_readError = std::ferror(m_file) != 0;
    m_atEnd = m_readError || std::feof(m_file) != 0;
}

// The line end at p (a CR, an LF, or the end of the bytes read): its bytes up to there in *used.
ClCsvReader::_Scan ClCsvReader::LineEnd(const char* p, const char* line, long* used) const {
    const char* const end = m_buffer.get() + m_end;
    if (*p == '\n') {
        *used = p + 1 - line;
        return ScanRow;
    }
    if (*p == '\r') {
        // The byte after the CR decides; a CR that ends the file ends its last line.
        if (p + 1 == end && !m_atEnd) return ScanMore;
        if (p[1] != '\n' && p + 1 != end) return ScanBareCr;
        *used = (p[1] == '\n' ? p + 2 : p + 1) - line;
        return ScanRow;
    }
    if (p != end) return ScanMalformed;  // a NUL byte
    if (!m_atEnd) return ScanMore;
    *used = p - line;  // the last line of the file without a line end
    return ScanRow;
}

// A comment line, which may be longer than the buffer: what was looked at is taken at once.
ClCsvReader::_Scan ClCsvReader::SkipComment(long* used) {
    char* const line = m_buffer.get() + m_begin;
    const char* const end = m_buffer.get() + m_end;
    char* p = line;
    for (;;) {
        p = SkipTo<kCr | kLf | kStop>(p);
        if (*p != '\0' || p == end) break;
        ++p;  // a NUL is a byte like any other in a comment
    }
    const _Scan s = LineEnd(p, line, used);
    m_inComment = s == ScanMore;
    if (s == ScanMore) *used = p - line;  // a CR at the end waits for the byte after it
    return s;
}

// One data row from m_begin into m_cells; *breaks counts the line breaks inside quotes.
ClCsvReader::_Scan ClCsvReader::ScanData(long* used, long* breaks) {
    char* const row = m_buffer.get() + m_begin;
    const char* const end = m_buffer.get() + m_end;
    char* p = row;
    long n = 0;
    bool quoted = false;
    *breaks = 0;
    m_rowDoubles = 0;
    for (;;) {
        unsigned char c = ClassOf(*p);
        while (c & kBlank) c = ClassOf(*++p);
        if (n == kMaxCells) return ScanMalformed;
        StCELL& cell = m_cells[n++];
        cell.doubles = 0;
        quoted = (c & kQuote) != 0;
        if (quoted) {
            char* const start = ++p;
            for (;;) {
                p = SkipTo<kQuote | kCr | kLf | kStop>(p);
                if (*p == '"') {
                    if (p[1] == '"') {
                        p += 2;
                        ++cell.doubles;
                        continue;
                    }
                    if (p + 1 == end && !m_atEnd) return ScanMore;  // the next byte may double it
                    break;
                }
                if (*p == '\0') return p == end && !m_atEnd ? ScanMore : ScanMalformed;  // a NUL, or not closed
                // A line break of the text (CR LF, LF or CR) stays part of it.
                if (*p == '\r') {
                    if (p + 1 == end && !m_atEnd) return ScanMore;
                    if (p[1] == '\n') ++p;
                }
                ++p;
                ++*breaks;
            }
            cell.start = start;
            cell.length = static_cast<int32_t>(p - start - cell.doubles);
            m_rowDoubles += cell.doubles;
            c = ClassOf(*++p);
            while (c & kBlank) c = ClassOf(*++p);
            if (!(c & (kComma | kCr | kLf | kStop))) return ScanMalformed;
        } else {
            char* const start = p;
            // An ordinary first byte needs no second look.
            p = SkipTo<kComma | kQuote | kApostrophe | kCr | kLf | kStop>(c == 0 ? p + 1 : p);
            c = ClassOf(*p);
            if (c & (kQuote | kApostrophe)) return ScanMalformed;
            char* last = p;
            // Blanks before a comma are dropped (the first byte is none); at the end of the line
            // they stay.
            if ((c & kComma) && last != start)
                while (ClassOf(last[-1]) & kBlank) --last;
            cell.start = start;
            cell.length = static_cast<int32_t>(last - start);
        }
        if (cell.length > kCellBytes) return ScanMalformed;
        if (!(c & kComma)) break;
        ++p;
    }
    const _Scan s = LineEnd(p, row, used);
    if (s != ScanRow) return s;
    if (p - row > kRowBytes) return ScanMalformed;
    m_cellCount = n;
    return n == 1 && !quoted && m_cells[0].length == 0 ? ScanBlank : ScanRow;
}

_CsvRead ClCsvReader::Next() {
    m_cellCount = 0;
    if (!m_file) return CsvEnd;
    for (;;) {
        m_rowLine = m_line + 1;
        if (m_begin == m_end) {
            if (m_readError) return CsvReadError;
            if (m_atEnd) return CsvEnd;
            Fill();
            continue;
        }
        long used = 0;
        long breaks = 0;
        const bool comment = m_inComment || m_buffer[m_begin] == ';';
        const _Scan s = comment ? SkipComment(&used) : ScanData(&used, &breaks);
        // After a failed read no row is trusted: its end may be where the reading stopped.
        if (m_readError) return CsvReadError;
        if (s == ScanMalformed) return CsvMalformed;
        if (s == ScanBareCr) return CsvBareCr;
        if (s == ScanMore) {
            m_begin += used;
            // A data row longer than the limit is refused without waiting for its end.
            if (!comment && m_end - m_begin > kRowBytes + 1) return CsvMalformed;
            Fill();
            continue;
        }
        m_begin += used;
        m_line += 1 + breaks;
        if (comment || s == ScanBlank) continue;
        // A quote written twice inside quotes stands for one: the text moves up in place.
        for (long i = 0; i < m_cellCount && m_rowDoubles > 0; ++i) {
            StCELL& cell = m_cells[i];
            if (cell.doubles == 0) continue;
            char* to = cell.start;
            for (const char* from = cell.start; to < cell.start + cell.length; ++from) {
                *to++ = *from;
                if (*from == '"') ++from;
            }
        }
        return CsvRow;
    }
}
