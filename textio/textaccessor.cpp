// textaccessor.cpp - setup, masks, order, rotation and row writing of the text accessor.
#include "textaccessor.h"

#include <cstdio>
#include <cstring>
#include <iostream>
#include <new>

#include "decimal.h"
#include "errorstore.h"
#include "ledgercore.h"
#include "shareddata.h"

namespace {

// Reads a little-endian integer of size bytes (1 to 8), sign- or zero-extended. Every platform
// this is built for is little-endian, so the usual sizes are plain copies.
__attribute__((always_inline)) inline uint64_t LoadInteger(const unsigned char* p, int size, bool sign) {
    switch (size) {
        case 1: return sign ? uint64_t(int64_t(int8_t(p[0]))) : p[0];
        case 2: {
            uint16_t v;
            std::memcpy(&v, p, 2);
            return sign ? uint64_t(int64_t(int16_t(v))) : v;
        }
        case 4: {
            uint32_t v;
            std::memcpy(&v, p, 4);
            return sign ? uint64_t(int64_t(int32_t(v))) : v;
        }
        case 8: {
            uint64_t v;
            std::memcpy(&v, p, 8);
            return v;
        }
        default: {  // 3, 5, 6, 7: little-endian, as the tables' records are
            uint64_t v = 0;
            for (int i = size - 1; i >= 0; --i) v = (v << 8) | p[i];
            if (sign && (p[size - 1] & 0x80)) v |= ~uint64_t(0) << (size * 8);
            return v;
        }
    }
}

long Clamp(long v, long lo, long hi) { return v < lo ? lo : (v > hi ? hi : v); }

}  // namespace

ClTextAccessor::ClTextAccessor(const char* formatName, const StTAFORMAT* table, long count, void* record)
    : m_stream(nullptr),
      m_delimiter(Fixed),
      m_quote(NoQuote),
      m_record(record),
      m_formatName(formatName),
      m_sourceFormat(table),
      m_formatCount(table ? Clamp(count, 0, kMaxItems) : 0),
      m_order(nullptr),
      m_orderCount(0),
      m_selectFlag(1),
      m_spaceFlag(0),
      m_commentMark(nullptr),
      m_commentSkip(1),
      m_format(nullptr),
      m_readLineBytes(0),
      m_lineCut(false),
      m_streamRead(false),
      m_physicalLineNo(0),
      m_logicalLineNo(0),
      m_rowUsed(0) {
    std::memset(m_mask, 0, sizeof m_mask);
    std::memset(m_readLine, 0, sizeof m_readLine);
    // Without a working copy the accessor behaves as one with no items.
    m_format = new (std::nothrow) StTAFORMAT[m_formatCount > 0 ? m_formatCount : 1];
    if (!m_format)
        m_formatCount = 0;
    else if (m_formatCount > 0)
        std::memcpy(m_format, table, sizeof(StTAFORMAT) * m_formatCount);
}

ClTextAccessor::~ClTextAccessor() { delete[] m_format; }

long ClTextAccessor::SetMode(_Delimiter delimiter, _Quote quote) {
    if (delimiter == Fixed && quote != NoQuote) return ClMsgMgr::Inst()->SetLastError(-1003, "textaccessor", 111);
    m_delimiter = delimiter;
    m_quote = quote;
    return ClMsgMgr::Inst()->SetLastError(0, nullptr, 0);
}

long ClTextAccessor::Attach(std::iostream* stream) {
    m_stream = stream;
    return ClMsgMgr::Inst()->SetLastError(0, nullptr, 0);
}

long ClTextAccessor::SetOrder(StTAORDER* order, long count) {
    m_order = order;
    m_orderCount = count;
    return 0;
}

void ClTextAccessor::SetAllMasks(long value) {
    std::memset(m_mask, static_cast<unsigned char>(value & 0xFF), static_cast<size_t>(m_formatCount));
}

long ClTextAccessor::GetMask(long item) const {
    if (item < 0 || item >= m_formatCount) return -1;
    return m_mask[item];
}

long ClTextAccessor::RotateFormat(long start, long dest, long count) {
    if (start < 0 || start + 1 >= m_formatCount || start + count > m_formatCount || dest < start ||
        dest >= start + count)
        return 1;
    StTAFORMAT* scratch = new (std::nothrow) StTAFORMAT[m_formatCount];
    if (!scratch) return 1;
    std::memcpy(scratch, m_format, sizeof(StTAFORMAT) * m_formatCount);
    const long end = start + count;
    for (long i = 0; i < count; ++i) {
        long target = dest + i;
        if (target >= end) target = start + (target % end);
        scratch[target] = m_format[start + i];
    }
    std::memcpy(m_format, scratch, sizeof(StTAFORMAT) * m_formatCount);
    delete[] scratch;
    return 0;
}

void ClTextAccessor::ResetRotate() {
    if (m_formatCount > 0) std::memcpy(m_format, m_sourceFormat, sizeof(StTAFORMAT) * m_formatCount);
}

// The host's saved-settings object bound to the data set, and the record that names this format;
// null when the object cannot be made.
ClSaveTextIO* ClTextAccessor::_OpenSave(unsigned char* dataId, StTEXTIOSAVEINFO& info) const {
    ClSaveTextIO* save = new (std::nothrow) ClSaveTextIO;
    if (!save) return nullptr;
    save->AttachSetMgr(ClDataMgr::Inst()->GetSetMgr());
    save->SetCurDataID(dataId);
    std::memset(&info, 0, sizeof info);
    if (m_formatName) std::strncpy(info.name, m_formatName, sizeof info.name - 1);
    return save;
}

long ClTextAccessor::SaveOrder(unsigned char* dataId) {
    StTEXTIOSAVEINFO info;
    ClSaveTextIO* save = _OpenSave(dataId, info);
    if (!save) return -1;
    const long n = m_order ? Clamp(m_orderCount, 0, 256) : 0;
    info.count = static_cast<int16_t>(n);
    for (long i = 0; i < n; ++i) info.items[i] = m_order[i].item;
    const long r = save->SetData(&info);
    delete save;
    return r != 0 ? -1 : 0;
}

long ClTextAccessor::LoadOrder(unsigned char* dataId) {
    // The saved indices go into the caller's order array; without one there is nowhere to put them.
    if (!m_order) return -1;
    StTEXTIOSAVEINFO info;
    ClSaveTextIO* save = _OpenSave(dataId, info);
    if (!save) return -1;
    const long r = save->GetData(&info);
    delete save;
    if (r != 0) return -1;
    const long n = Clamp(info.count, 0, 256);
    for (long i = 0; i < n; ++i) m_order[i].item = info.items[i];
    m_orderCount = n;
    return 0;
}

// Write (and Read) take the order only when it has entries; the other row writers take any
// non-zero count, a negative one giving an empty row.
bool ClTextAccessor::UsesOrder(bool strictOrder) const {
    return m_selectFlag == 0 && (strictOrder ? m_orderCount > 0 : m_orderCount != 0);
}

long ClTextAccessor::RowItemCount(bool strictOrder) const {
    if (!UsesOrder(strictOrder)) return m_formatCount;
    return m_order && m_orderCount > 0 ? m_orderCount : 0;
}

long ClTextAccessor::RowItem(long pos, bool strictOrder) const { return UsesOrder(strictOrder) ? m_order[pos].item : pos; }

// A stream at its end of file takes no bytes and yet does not fail: only a stream still good
// after the row took all of it.
bool ClTextAccessor::StreamOk() const { return m_stream->good(); }

// A file stream takes nothing after a read that met the end of the file, and needs its position
// set between reading and writing: the row goes where the reading stopped. Only after a read, so
// that rows written one after the other cost no seek.
void ClTextAccessor::ResumeWriting() {
    m_streamRead = false;
    m_stream->clear(m_stream->rdstate() & ~std::ios::eofbit);
    const std::streampos at = m_stream->tellg();
    if (at != std::streampos(-1)) m_stream->seekp(at);
}

// Every byte of a row reaches the stream through here first.
void ClTextAccessor::Flush() {
    if (m_streamRead) ResumeWriting();
    if (m_rowUsed > 0) m_stream->write(m_row, static_cast<std::streamsize>(m_rowUsed));
    m_rowUsed = 0;
}

// What does not fit the rest of the row buffer: the buffer goes out first.
void ClTextAccessor::PutLong(const char* bytes, size_t n) {
    Flush();
    if (n > sizeof m_row) {
        m_stream->write(bytes, static_cast<std::streamsize>(n));
        return;
    }
    std::memcpy(m_row, bytes, n);
    m_rowUsed = n;
}

void ClTextAccessor::PutBlanks(size_t n) {
    if (m_rowUsed + n > sizeof m_row) Flush();  // n is at most a width, below the buffer's size
    std::memset(m_row + m_rowUsed, ' ', n);
    m_rowUsed += n;
}

void ClTextAccessor::PutQuote() {
    if (m_quote == SingleQuote) PutChar('\'');
    if (m_quote == DoubleQuote) PutChar('"');
}

namespace {

const uint64_t kOnes = 0x0101010101010101ull;
const uint64_t kHighs = 0x8080808080808080ull;
const uint64_t kLows = 0x7F7F7F7F7F7F7F7Full;

// The bit 7 of each byte of x that is zero, exact for the lowest such byte only.
uint64_t FirstZeroByte(uint64_t x) { return (x - kOnes) & ~x & kHighs; }
// The bit 7 of every byte of x that is zero, exact for each.
uint64_t ZeroBytes(uint64_t x) { return ~(((x & kLows) + kLows) | x) & kHighs; }

// Copies the text at s, at most room bytes, to out and returns its length. Eight bytes go in one
// step while the field has eight more, so out needs eight bytes beyond the text. Gain: 1,433
// instructions a data row, 14.6 % of the engine (callgrind, bench at 10k assets, against a
// byte-wise copy); WriteRow.TextsOfEveryLengthAndFieldAreCopiedWhole holds it to that copy.
size_t CopyText(const unsigned char* s, size_t room, char* out) {
    size_t n = 0;
    for (; n + 8 <= room; n += 8) {
        uint64_t x;
        std::memcpy(&x, s + n, 8);
        std::memcpy(out + n, &x, 8);
        if (const uint64_t z = FirstZeroByte(x)) return n + static_cast<size_t>(__builtin_ctzll(z)) / 8;
    }
    for (; n < room && s[n] != 0; ++n) out[n] = static_cast<char>(s[n]);
    return n;
}

// An unquoted text of a delimited row, the most common value, at out; returns the end, or null
// for any other value. out has room for the widest value. Saves RenderValue's checks and cursor
// updates per text: 840 instructions a data row, 8.6 % of the engine (callgrind, bench at 10k
// assets); WriteRow.MasksInStepsGiveTheBytesOfTheItemPath holds it to RenderValue.
char* PutPlainText(const StTAFORMAT& f, const unsigned char* value, char* out) {
    if (f.type != ItemText || f.size <= 0) return nullptr;
    const size_t width = static_cast<size_t>(Clamp(f.width, 0, ClTextAccessor::kLineBytes - 1));
    const size_t room = static_cast<size_t>(f.size);
    return out + CopyText(value, width < room ? width : room, out);
}

// A number at out: a minus, the digits, and for an amount (eight signed bytes) its fraction cut to
// the item's decimals, for an unsigned item as many zeros; a plain signed integer ignores decimals.
// In a fixed row (field: the width) the integer part stands right-aligned in the field less the
// fraction. The digit count first, then the digits straight into the row, with no copy. The one
// renderer of numbers for both row paths, inlined into each (the masked row path: 4,308
// instructions a data row against 4,105 with a renderer of its own, callgrind over 10k assets;
// WriteRow.MasksInStepsGiveTheBytesOfTheItemPath holds the paths to the same bytes). out has room
// for the widest value; returns the end.
__attribute__((always_inline)) inline char* PutNumber(const StTAFORMAT& f, const unsigned char* value, long field,
                                                      char* out) {
    const bool sign = f.type == ItemSigned;
    const int size = f.size >= 8 ? 8 : static_cast<int>(f.size);
    if (size < 1) return out;
    const uint64_t raw = LoadInteger(value, size, sign);
    const bool negative = sign && static_cast<int64_t>(raw) < 0;
    const uint64_t mag = negative ? 0 - raw : raw;
    uint64_t whole = mag;
    unsigned rest = 0;
    long decimals = 0;
    if (!sign || size == 8) {
        decimals = Clamp(f.decimals, 0, 4);
        if (sign) {  // an amount scaled by 10000
            whole = mag / 10000;
            rest = static_cast<unsigned>(mag % 10000);
        }
    }
    const size_t digits = DecimalCount(whole);
    if (field > 0) {
        const size_t n = digits + (negative ? 1 : 0);
        if (decimals > 0) field -= decimals + 1;
        if (field > static_cast<long>(n)) {
            std::memset(out, ' ', static_cast<size_t>(field) - n);
            out += static_cast<size_t>(field) - n;
        }
    }
    if (negative) *out++ = '-';
    DecimalDigitsBefore(whole, out + digits);
    out += digits;
    if (decimals > 0) {
        out[0] = '.';
        std::memcpy(out + 1, kDigitPairs + rest / 100 * 2, 2);
        std::memcpy(out + 3, kDigitPairs + rest % 100 * 2, 2);
        out += decimals + 1;
    }
    return out;
}

}  // namespace

// Masked items are most of a sparse row; they are dealt with before the value is looked at.
inline void ClTextAccessor::RenderItem(long item) {
    // An order entry naming no item of the table renders as nothing rather than reading past it.
    if (item < 0 || item >= m_formatCount) return;
    const unsigned char mask = m_mask[item];
    if (mask == 0) return RenderValue(item);
    if (m_delimiter == Fixed)
        PutBlanks(static_cast<size_t>(Clamp(m_format[item].width, 0, kLineBytes - 1)));
    else if (mask == 2)
        PutChar(' ');
}

// A value is written straight into the row buffer, which first makes room for the widest one.
void ClTextAccessor::RenderValue(long item) {
    const StTAFORMAT& f = m_format[item];
    const size_t width = static_cast<size_t>(Clamp(f.width, 0, kLineBytes - 1));
    const bool fixed = m_delimiter == Fixed;
    const unsigned char* value = static_cast<const unsigned char*>(m_record) + f.offset;
    if (m_rowUsed + kValueRoom > sizeof m_row) Flush();
    char* const out = m_row + m_rowUsed;
    switch (f.type) {
        case ItemText: {
            // Bounded by the field too, so an unterminated field never reads into its neighbour.
            const size_t room = f.size > 0 ? static_cast<size_t>(f.size) : width;
            const char quote = fixed ? 0 : (m_quote == SingleQuote ? '\'' : (m_quote == DoubleQuote ? '"' : 0));
            size_t used = 0;
            if (quote) out[used++] = quote;
            const size_t n = CopyText(value, width < room ? width : room, out + used);
            used += n;
            if (quote) out[used++] = quote;
            if (fixed) {
                std::memset(out + used, ' ', width - n);
                used += width - n;
            }
            m_rowUsed += used;
            break;
        }
        case ItemSigned:
        case ItemUnsigned:
            m_rowUsed = static_cast<size_t>(PutNumber(f, value, fixed ? static_cast<long>(width) : 0, out) - m_row);
            break;
        default:
            break;
    }
}

// The streams this accessor writes to are untranslated for their whole life (ClTextFile opens
// them binary), so every row end reaches the file as exactly CR LF and texts keep bare LF.
// The stream's state is looked at once the row has gone out: a stream that failed earlier in the
// row took nothing more of it, as it would have item by item.
long ClTextAccessor::WriteRow(long lead, bool names) {
    static const char kLeadIn[3] = {'"', '"', ','};
    m_rowUsed = 0;
    for (long i = 0; i < lead; ++i) Put(kLeadIn, sizeof kLeadIn);
    const bool strict = !names && lead < 0;  // only Write passes a negative lead
    const long count = RowItemCount(strict);
    const char delimiter = m_delimiter == Comma ? ',' : (m_delimiter == Tab ? '\t' : (m_delimiter == Space ? ' ' : 0));
    if (!UsesOrder(strict) && !names && delimiter != 0) {
        WriteMaskedRow(count, delimiter);
    } else {
        for (long pos = 0; pos < count; ++pos) {
            const long item = RowItem(pos, strict);
            if (names)
                WriteItemName(item, pos);
            else
                RenderItem(item);
            if (delimiter != 0 && pos + 1 < count) PutChar(delimiter);
        }
    }
    Put("\r\n", 2);
    Flush();
    return StreamOk() ? 0 : -1;
}

// The items of a delimited row in table order, eight masks at a time: an item masked to nothing
// is only its delimiter, so the masks of values (0) and blanks (2) are found first and the
// delimiters go in runs, each run ending just before the next item shown. Gain, PutPlainText's
// included: 3,125 instructions a data row, 31.9 % of the engine (callgrind, bench at 10k assets);
// WriteRow.MasksInStepsGiveTheBytesOfTheItemPath holds it to the item-by-item path.
void ClTextAccessor::WriteMaskedRow(long count, char delimiter) {
    uint64_t delimiters;
    std::memset(&delimiters, delimiter, sizeof delimiters);
    // The delimiters of the items from next to the one shown next go out in one eight-byte store
    // (none shown in a chunk: the chunk's eight); room for them and for the widest value is made
    // once per item shown. The row is written through a local cursor: a byte stored through it
    // could be any member, so the members the loop needs are read once.
    const StTAFORMAT* const format = m_format;
    const unsigned char* const record = static_cast<const unsigned char*>(m_record);
    const bool quoted = m_quote != NoQuote;
    char* out = m_row + m_rowUsed;
    long next = 0;  // the first item whose delimiter is still to come
    // The delimiters of the items from next to item - 1 (at most eight), with room made first for
    // them and the bytes that follow.
    auto delimitersUpTo = [&](long item, size_t then) {
        if (out + sizeof delimiters + then > m_row + sizeof m_row) {
            m_rowUsed = static_cast<size_t>(out - m_row);
            Flush();
            out = m_row;
        }
        std::memcpy(out, &delimiters, sizeof delimiters);
        out += item - next;
        next = item;
    };
    for (long chunk = 0; chunk < count; chunk += 8) {
        uint64_t masks;
        std::memcpy(&masks, m_mask + chunk, sizeof masks);  // chunk + 8 <= kMaxItems
        uint64_t shown = ZeroBytes(masks) | ZeroBytes(masks ^ (kOnes * 2));
        if (count - chunk < 8) shown &= (uint64_t(1) << (8 * (count - chunk))) - 1;
        while (shown != 0) {
            const int step = __builtin_ctzll(shown) / 8;
            const long item = chunk + step;
            shown &= shown - 1;
            delimitersUpTo(item, kValueRoom);
            if ((masks >> (8 * step) & 0xFF) != 0) {
                *out++ = ' ';
                continue;
            }
            const StTAFORMAT& f = format[item];
            char* end = quoted ? nullptr : PutPlainText(f, record + f.offset, out);
            if (!end && (f.type == ItemSigned || f.type == ItemUnsigned)) end = PutNumber(f, record + f.offset, 0, out);
            if (end) {
                out = end;
                continue;
            }
            m_rowUsed = static_cast<size_t>(out - m_row);
            RenderValue(item);
            out = m_row + m_rowUsed;
        }
        // Up to the chunk's end, but no delimiter after the row's last item.
        const long end = chunk + 8 < count ? chunk + 8 : count - 1;
        if (end > next) delimitersUpTo(end, 0);
    }
    m_rowUsed = static_cast<size_t>(out - m_row);
}

long ClTextAccessor::Write() { return WriteRow(-1, false); }
long ClTextAccessor::Write2(long lead) { return WriteRow(lead > 0 ? lead : 0, false); }
long ClTextAccessor::ItemNameWrite() { return WriteRow(0, true); }
long ClTextAccessor::ItemNameWrite2(long lead) { return WriteRow(lead > 0 ? lead : 0, true); }

int ClTextAccessor::CommentWrite(char* text) {
    m_rowUsed = 0;
    if (text) Put(text, strnlen(text, kLineBytes - 1));
    Put("\r\n", 2);
    Flush();
    return StreamOk() ? 0 : -1;
}

long ClTextAccessor::WriteItem(long item) {
    m_rowUsed = 0;
    RenderItem(item);
    Flush();
    return StreamOk() ? 0 : -1;
}

long ClTextAccessor::WriteItemName(long item, long pos) {
    if (item < 0 || item >= m_formatCount) return 0;
    const StTAFORMAT& f = m_format[item];
    const size_t n = strnlen(f.name, sizeof f.name);
    const bool fixed = m_delimiter == Fixed;
    if (m_mask[item] != 0) {
        if (fixed)
            PutBlanks(n);
        else if (m_mask[item] == 2)
            Put(" ", 1);
        return 0;
    }
    if (fixed) {
        if (pos != 0) Put("  ", 2);
        Put(f.name, n);
    } else {
        PutQuote();
        Put(f.name, n);
        PutQuote();
    }
    return 0;
}
