// textaccessor_read.cpp - reading rows back: lines, comment lines, the four scanners, numbers.
#include <cstring>
#include <iostream>
#include <limits>

#include "textaccessor.h"

namespace {

bool IsBlank(char c) { return c == ' ' || c == '\t'; }
bool IsQuote(char c) { return c == '\'' || c == '"'; }

// Byte classes of the comma scanner, so that an ordinary byte costs one lookup. The scanner stops
// at the NUL that always follows the line (kEnd).
enum : unsigned char { kComma = 1, kQuote = 2, kBlank = 4, kEnd = 8 };
struct StBYTECLASSES {
    unsigned char of[256];
};
constexpr StBYTECLASSES MakeByteClasses() {
    StBYTECLASSES t{};
    t.of[0] = kEnd;
    t.of[static_cast<unsigned char>(',')] = kComma;
    t.of[static_cast<unsigned char>('\'')] = kQuote;
    t.of[static_cast<unsigned char>('"')] = kQuote;
    t.of[static_cast<unsigned char>(' ')] = kBlank;
    t.of[static_cast<unsigned char>('\t')] = kBlank;
    return t;
}
constexpr StBYTECLASSES kByteClasses = MakeByteClasses();
unsigned char ClassOf(char c) { return kByteClasses.of[static_cast<unsigned char>(c)]; }

// Collects the items of one line, refusing more than the row holds.
struct Split {
    StREADOFFSETINFO* entries;
    long wanted;
    long found;
    bool Add(char* start, long length) {
        if (found >= wanted) return false;
        entries[found].start = start;
        entries[found].length = static_cast<int32_t>(length);
        ++found;
        return true;
    }
    long Result() const { return found == wanted ? 0 : 2; }
};

// Whether quote character c may open an item under the quote setting.
bool MayOpen(_Quote quote, char c) {
    if (quote == SingleQuote) return c == '\'';
    if (quote == DoubleQuote) return c == '"';
    return true;
}

// The closing quote of the quoted item opening at line[p], or -1 when that quote may not open an
// item under the quote setting or is not closed before size.
long ClosingQuote(const char* line, long size, long p, _Quote quote) {
    const char q = line[p];
    if (!MayOpen(quote, q)) return -1;
    long e = p + 1;
    while (e < size && line[e] != q) ++e;
    return e < size ? e : -1;
}

// Scans the quoted item opening at line[p]; on success p is just past the closing quote.
bool TakeQuoted(char* line, long size, long& p, _Quote quote, Split& split) {
    const long e = ClosingQuote(line, size, p, quote);
    if (e < 0 || !split.Add(line + p + 1, e - p - 1)) return false;
    p = e + 1;
    return true;
}

}  // namespace

long ClTextAccessor::Read() {
    char line[kLineBytes + 1];  // _RdNextRow takes one byte more than the line may hold
    if (!m_stream) return 1;
    long r = _RdNextRow(line, kLineBytes);
    if (r != 0) return r;
    r = _RdCmntRow(line, kLineBytes);
    if (r != 0) return r;
    // An overlong data line is counted as every data line is, and does not fit.
    if (m_lineCut) return 2;

    const long items = _GetItemNum();
    if (items > kMaxReadItems) return 2;
    // Split in the accessor's own copy, which holds the same bytes with zeros after them, so that
    // the items stay where they are while they are taken.
    StREADOFFSETINFO split[kMaxReadItems];
    const long size = static_cast<long>(strnlen(m_readLine, kLineBytes - 1));
    switch (m_delimiter) {
        case Fixed: r = _InitOfs_Fixed(m_readLine, size, split); break;
        case Comma: r = _InitOfs_Comma(m_readLine, size, split); break;
        case Tab: r = _InitOfs_Tab(m_readLine, size, split); break;
        default: r = _InitOfs_Space(m_readLine, size, split); break;
    }
    if (r != 0) return r;
    for (long pos = 0; pos < items; ++pos) {
        const long taken = ReadItem(pos, _GetItemNo(pos), split[pos].start, split[pos].length);
        if (taken != 0) return taken;
    }
    return 0;
}

void ClTextAccessor::GetReadLine(char* dst) const { std::memcpy(dst, m_readLine, kLineBytes); }

// Takes one physical line without its LF (and without a CR right before it). A last line without a
// line end is still a line. A line of more than size - 1 bytes is consumed whole; its first
// size - 1 bytes are the line, and m_lineCut tells. The stream's state is kept as it was, but for
// the end of the file once it is met: from then on every read answers 1, also when the file grows.
long ClTextAccessor::_RdNextRow(char* buffer, long size) {
    // After a failed read, or once at the end, the stream gives nothing more.
    if (m_stream->bad() || m_stream->eof()) return 1;
    m_streamRead = true;
    const std::ios::iostate state = m_stream->rdstate();
    m_stream->clear();
    // buffer holds size + 1 bytes: one more than the line may hold, for a CR before the LF.
    m_stream->getline(buffer, size + 1);
    long n = static_cast<long>(m_stream->gcount());
    const bool ended = n > 0 && !m_stream->fail() && !m_stream->eof();  // the LF was taken
    if (ended) --n;
    bool tooLong = false;
    if (m_stream->fail() && !m_stream->bad() && !m_stream->eof() && n > 0) {
        // The line goes on beyond the buffer: consume it to its end.
        m_stream->clear();
        m_stream->ignore(std::numeric_limits<std::streamsize>::max(), '\n');
        tooLong = true;
    }
    // The file buffer reports a failed read (a folder, EIO, a lost share) by throwing; getline and
    // ignore take that as the bad state, and this read ends with "does not fit".
    if (m_stream->bad()) {
        m_stream->clear(state | std::ios::badbit | std::ios::eofbit);
        return 2;
    }
    const bool atEnd = m_stream->eof();
    m_stream->clear(state | (atEnd ? std::ios::eofbit : std::ios::goodbit));
    if (n == 0 && !ended) return 1;
    ++m_physicalLineNo;
    if (n > 0 && buffer[n - 1] == '\r') --n;
    if (n > size - 1) {
        n = size - 1;
        tooLong = true;
    }
    buffer[n] = '\0';
    // The copy keeps the zeros behind the line, so only what the last line left there is cleared.
    std::memcpy(m_readLine, buffer, static_cast<size_t>(n));
    if (m_readLineBytes > n) std::memset(m_readLine + n, 0, static_cast<size_t>(m_readLineBytes - n));
    m_readLineBytes = n;
    m_lineCut = tooLong;
    return 0;
}

long ClTextAccessor::_RdCmntRow(char* buffer, long size) {
    if (!m_commentMark) {
        m_logicalLineNo = m_physicalLineNo;
        return 0;
    }
    if (m_commentSkip != 0) {
        while (_CheckIsCmntRow(buffer)) {
            const long r = _RdNextRow(buffer, size);
            if (r != 0) return r;
        }
    } else if (_CheckIsCmntRow(buffer)) {
        return 3;
    }
    ++m_logicalLineNo;
    return 0;
}

int ClTextAccessor::_CheckIsCmntRow(const char* line) const {
    if (!m_commentMark) return 0;
    // The first byte decides for almost every line; an empty mark marks every line.
    if (m_commentMark[0] == '\0') return 1;
    if (line[0] != m_commentMark[0]) return 0;
    return std::strncmp(line, m_commentMark, std::strlen(m_commentMark)) == 0;
}

long ClTextAccessor::_GetItemNum() const { return RowItemCount(true); }
long ClTextAccessor::_GetItemNo(long pos) const { return RowItem(pos, true); }

long ClTextAccessor::_InitOfs_Fixed(char* line, long size, StREADOFFSETINFO* entries) {
    Split split{entries, _GetItemNum(), 0};
    long p = 0;
    for (long pos = 0; pos < split.wanted; ++pos) {
        const long item = _GetItemNo(pos);
        const long width = item >= 0 && item < m_formatCount && m_format[item].width > 0 ? m_format[item].width : 0;
        if (p + width > size) return 2;
        split.Add(line + p, width);
        p += width;
    }
    return p == size ? split.Result() : 2;
}

// line[size] is the NUL after the line, and no NUL comes before it.
long ClTextAccessor::_InitOfs_Comma(char* line, long size, StREADOFFSETINFO* entries) {
    Split split{entries, _GetItemNum(), 0};
    const unsigned char plainEnds = kComma | kQuote | kEnd | (m_spaceFlag == 0 ? kBlank : 0);
    char* c = line;  // the byte being looked at
    for (;;) {
        unsigned char cls = ClassOf(*c);
        if (cls != 0) {
            while (cls & kBlank) cls = ClassOf(*++c);
            if (cls & kEnd) {
                if (!split.Add(nullptr, 0)) return 2;
                break;
            }
            if (cls & kComma) {
                if (!split.Add(nullptr, 0)) return 2;
                ++c;
                continue;
            }
            if (cls & kQuote) {
                const long open = c - line;
                const long close = ClosingQuote(line, size, open, m_quote);
                if (close < 0 || !split.Add(c + 1, close - open - 1)) return 2;
                c = line + close + 1;
                cls = ClassOf(*c);
                while (cls & kBlank) cls = ClassOf(*++c);
                if (cls & kEnd) break;
                if (!(cls & kComma)) return 2;
                ++c;
                continue;
            }
        }
        // An unquoted item: its first byte is an ordinary one.
        char* const start = c;
        // Two bytes a turn: most items are short, and half the loop's tests go.
        for (;;) {
            cls = ClassOf(c[1]);
            if (cls & plainEnds) {
                c += 1;
                break;
            }
            cls = ClassOf(c[2]);
            c += 2;
            if (cls & plainEnds) break;
        }
        if (cls & kComma) {
            // Blanks before the comma are dropped; the item's first byte is no blank.
            char* end = c;
            while (ClassOf(end[-1]) & kBlank) --end;
            if (!split.Add(start, end - start)) return 2;
            ++c;
            continue;
        }
        if (cls & kEnd) {
            // Blanks at the end of the line stay with the last item.
            if (!split.Add(start, c - start)) return 2;
            break;
        }
        if (cls & kQuote) return 2;
        // A blank ends the item: only blanks, then a comma or the end, may follow.
        if (!split.Add(start, c - start)) return 2;
        do cls = ClassOf(*++c);
        while (cls & kBlank);
        if (cls & kEnd) break;
        if (!(cls & kComma)) return 2;
        ++c;
    }
    return split.Result();
}

long ClTextAccessor::_InitOfs_Tab(char* line, long size, StREADOFFSETINFO* entries) {
    Split split{entries, _GetItemNum(), 0};
    long p = 0;
    for (;;) {
        while (p < size && line[p] == ' ') ++p;
        if (p >= size) {
            if (!split.Add(nullptr, 0)) return 2;
            break;
        }
        if (line[p] == '\t') {
            if (!split.Add(nullptr, 0)) return 2;
            ++p;
            continue;
        }
        bool itemDone = false;  // the item has ended; only spaces, then a tab or the end, may follow
        if (IsQuote(line[p])) {
            if (!TakeQuoted(line, size, p, m_quote, split)) return 2;
            itemDone = true;
        } else {
            const long start = p;
            while (p < size && line[p] != '\t' && line[p] != ' ') {
                if (IsQuote(line[p])) return 2;
                ++p;
            }
            if (!split.Add(line + start, p - start)) return 2;
            itemDone = p < size && line[p] == ' ';
        }
        if (itemDone)
            while (p < size && line[p] == ' ') ++p;
        if (p >= size) break;
        if (line[p] != '\t') return 2;
        ++p;
    }
    return split.Result();
}

long ClTextAccessor::_InitOfs_Space(char* line, long size, StREADOFFSETINFO* entries) {
    Split split{entries, _GetItemNum(), 0};
    long p = 0;
    while (p < size && IsBlank(line[p])) ++p;
    if (p >= size) return split.Add(nullptr, 0) ? split.Result() : 2;
    while (p < size) {
        if (IsQuote(line[p])) {
            if (!TakeQuoted(line, size, p, m_quote, split)) return 2;
        } else {
            const long start = p;
            while (p < size && !IsBlank(line[p])) {
                if (IsQuote(line[p])) return 2;
                ++p;
            }
            if (!split.Add(line + start, p - start)) return 2;
        }
        while (p < size && IsBlank(line[p])) ++p;
    }
    return split.Result();
}

long ClTextAccessor::ReadItem(long pos, long item, char* start, long length) {
    (void)pos;
    if (item < 0 || item >= m_formatCount) return 2;
    const StTAFORMAT& f = m_format[item];
    if (!start && f.required == 1) return 2;
    const long n = start ? (length < kLineBytes ? length : kLineBytes - 1) : 0;
    unsigned char* field = static_cast<unsigned char*>(m_record) + f.offset;

    if (f.type == ItemText) {
        if (f.size <= 0 || n > f.size - 1) return 2;
        if (n > 0) std::memcpy(field, start, static_cast<size_t>(n));
        std::memset(field + n, 0, static_cast<size_t>(f.size - n));
        return 0;
    }
    if (f.type != ItemSigned && f.type != ItemUnsigned) return 0;
    char text[kLineBytes];
    if (n > 0) std::memcpy(text, start, static_cast<size_t>(n));
    text[n] = '\0';
    tagCY value = 0;
    const long r = CheckNumeric(text, &value);
    if (r == 2) return 2;
    if (r == 1) return 0;
    if (f.size >= 8) {
        if (f.type == ItemSigned) std::memcpy(field, &value, 8);
        return 0;
    }
    const int64_t whole = value / 10000;  // truncates toward zero
    if (f.size == 1) {
        const int8_t v = static_cast<int8_t>(whole);
        std::memcpy(field, &v, 1);
    } else if (f.size == 2) {
        const int16_t v = static_cast<int16_t>(whole);
        std::memcpy(field, &v, 2);
    } else if (f.size == 4) {
        const int32_t v = static_cast<int32_t>(whole);
        std::memcpy(field, &v, 4);
    }
    return 0;
}

// 0 with the value set, 1 for an empty text (value unchanged), 2 for a text that is no number or
// whose value lies beyond the 64-bit range.
long ClTextAccessor::CheckNumeric(const char* text, tagCY* value) {
    const char* p = text;
    while (IsBlank(*p)) ++p;
    if (*p == '\0') return 1;
    bool negative = false;
    bool first = true;
    bool point = false;
    bool overflow = false;
    uint64_t whole = 0;
    uint64_t fraction = 0;
    int fractionDigits = 0;
    for (; *p != '\0' && !IsBlank(*p); ++p, first = false) {
        const char c = *p;
        if (c == '+' || c == '-') {
            if (!first) return 2;
            negative = c == '-';
        } else if (c == '.') {
            if (point) return 2;
            point = true;
        } else if (c >= '0' && c <= '9') {
            const unsigned d = static_cast<unsigned>(c - '0');
            if (point) {
                if (fractionDigits < 4) {
                    fraction = fraction * 10 + d;
                    ++fractionDigits;
                }
            } else if (whole > (UINT64_MAX - d) / 10) {
                overflow = true;
            } else {
                whole = whole * 10 + d;
            }
        }
    }
    for (; *p != '\0'; ++p)
        if (!IsBlank(*p)) return 2;
    for (; fractionDigits < 4; ++fractionDigits) fraction *= 10;
    const uint64_t limit = negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX);
    if (overflow || whole > (limit - fraction) / 10000) return 2;
    const uint64_t magnitude = whole * 10000 + fraction;
    *value = negative ? static_cast<tagCY>(0 - magnitude) : static_cast<tagCY>(magnitude);
    return 0;
}
