// ledgerreader.cpp - one ledger file's rows converted into host records, each bad cell named.
#include "ledger.h"
#include "osapi.h"

#include <cstring>

namespace {

std::string Quoted(const char* text, size_t n) { return "\"" + std::string(text, n) + "\""; }

// What checking a number cell found; the message is built from it only for a bad cell.
enum _NumberCheck {
    NumberOk,
    NumberNotWhole,    // "is not a whole number"
    NumberNotDecimal,  // "is not a number with at most <decimals> decimals"
    NumberOutOfRange,  // "is out of range" (beyond 64 bits, or an amount beyond its field)
    NumberBeyondField, // "is out of range <min> to <max>" (a whole number beyond its field)
    NumberNotDate,     // "is not a date yyyymmdd (or 0)"
    TextTooLong,       // "text of <n> bytes is longer than the field's <room>"
    UnknownKind        // a column table's own fault
};

bool IsDigit(char c, unsigned* d) {
    *d = static_cast<unsigned char>(c) - static_cast<unsigned>('0');
    return *d <= 9;
}

// A text of at most this many bytes has too few digits to leave 64 bits, so only longer ones
// check for overflow digit by digit.
const size_t kSafeDigits = 19;

// A whole number of n bytes within 64 bits; empty is 0.
template <bool kLong>
_NumberCheck ParseWholeOf(const char* s, size_t n, int64_t* value) {
    *value = 0;
    if (n == 0) return NumberOk;
    const char* p = s;
    const char* const end = s + n;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    if (p == end) return NumberNotWhole;
    uint64_t magnitude = 0;
    for (unsigned d = 0; p < end; ++p) {
        if (!IsDigit(*p, &d)) return NumberNotWhole;
        if (kLong && magnitude > (UINT64_MAX - 9) / 10) return NumberOutOfRange;
        magnitude = magnitude * 10 + d;
    }
    if (magnitude > (negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX))) return NumberOutOfRange;
    *value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return NumberOk;
}

_NumberCheck ParseWhole(const char* s, size_t n, int64_t* value) {
    return n > kSafeDigits ? ParseWholeOf<true>(s, n, value) : ParseWholeOf<false>(s, n, value);
}

// A decimal number of n bytes with at most `decimals` (0 to 4) fraction digits, scaled by
// 10^decimals, within 64 bits; empty is 0.
template <bool kLong>
_NumberCheck ParseScaledOf(const char* s, size_t n, int decimals, int64_t* value) {
    *value = 0;
    if (n == 0) return NumberOk;
    const char* p = s;
    const char* const end = s + n;
    const bool negative = *p == '-';
    if (*p == '+' || *p == '-') ++p;
    // Once set, the value no longer matters: the text is out of range.
    bool overflow = false;
    uint64_t magnitude = 0;
    unsigned d = 0;
    const char* const whole = p;
    for (; p < end && IsDigit(*p, &d); ++p) {
        if (kLong) overflow |= magnitude > (UINT64_MAX - 9) / 10;
        magnitude = magnitude * 10 + d;
    }
    long digits = p - whole;
    long fraction = 0;
    if (p < end && *p == '.') {
        const char* const first = ++p;
        for (; p < end && IsDigit(*p, &d); ++p) {
            if (kLong) overflow |= magnitude > (UINT64_MAX - 9) / 10;
            magnitude = magnitude * 10 + d;
        }
        fraction = p - first;
        if (fraction == 0) digits = 0;  // "12." is no number
    }
    if (p != end || digits + fraction == 0 || fraction > decimals) return NumberNotDecimal;
    static const uint64_t kScale[] = {1, 10, 100, 1000, 10000};
    const uint64_t scale = kScale[decimals - fraction];
    if (overflow || magnitude > UINT64_MAX / scale) return NumberOutOfRange;
    magnitude *= scale;
    if (magnitude > (negative ? uint64_t(INT64_MAX) + 1 : uint64_t(INT64_MAX))) return NumberOutOfRange;
    *value = negative ? static_cast<int64_t>(0 - magnitude) : static_cast<int64_t>(magnitude);
    return NumberOk;
}

_NumberCheck ParseScaled(const char* s, size_t n, int decimals, int64_t* value) {
    return n > kSafeDigits ? ParseScaledOf<true>(s, n, decimals, value)
                           : ParseScaledOf<false>(s, n, decimals, value);
}

bool ValidDate(int64_t d) {
    if (d == 0) return true;
    const int64_t y = d / 10000, m = d / 100 % 100, day = d % 100;
    if (y < 1000 || y > 9999 || m < 1 || m > 12 || day < 1) return false;
    static const int days[12] = {31, 29, 31, 30, 31, 30, 31, 31, 30, 31, 30, 31};
    if (day > days[m - 1]) return false;
    const bool leap = (y % 4 == 0 && y % 100 != 0) || y % 400 == 0;
    return !(m == 2 && day == 29 && !leap);
}

// The values a whole-number column holds.
void FieldBounds(int kind, int64_t* min, int64_t* max) {
    switch (kind) {
        case ColUInt8: *min = 0; *max = 255; break;
        case ColInt16: *min = INT16_MIN; *max = INT16_MAX; break;
        case ColInt32: case ColHundredths: *min = INT32_MIN; *max = INT32_MAX; break;
        case ColDate: *min = 0; *max = INT32_MAX; break;
        default: *min = INT64_MIN; *max = INT64_MAX; break;
    }
}

// Room for a text column's bytes.
size_t TextRoom(const StLEDGERCOLUMN& c) {
    return c.kind == ColKey ? static_cast<size_t>(c.size) : static_cast<size_t>(c.size - 1);
}

// Converts one cell of n bytes into its field of the row's records.
_NumberCheck ConvertCell(const StLEDGERCOLUMN& c, const char* text, size_t n, void* const* targets) {
    unsigned char* field = static_cast<unsigned char*>(targets[c.target]) + c.offset;
    int64_t v = 0;
    _NumberCheck r = NumberOk;
    // Most number cells are one digit, mostly 0: every field holds it, only a date refuses 1 to 9.
    unsigned d = 0;
    if (n == 1 && c.kind >= ColUInt8 && c.kind <= ColHundredths && IsDigit(*text, &d) &&
        (d == 0 || c.kind != ColDate)) {
        v = c.kind == ColAmount ? d * 10000 : c.kind == ColHundredths ? d * 100 : d;
    } else switch (c.kind) {
        case ColText:
        case ColKey:
            if (n > TextRoom(c)) return TextTooLong;
            if (n > 0) std::memcpy(field, text, n);
            std::memset(field + n, 0, static_cast<size_t>(c.size) - n);
            return NumberOk;
        case ColAmount: r = ParseScaled(text, n, 4, &v); break;
        case ColHundredths:
            r = ParseScaled(text, n, 2, &v);
            if (r == NumberOk && (v < INT32_MIN || v > INT32_MAX)) r = NumberOutOfRange;
            break;
        case ColUInt8:
        case ColInt16:
        case ColInt32:
        case ColInt64:
        case ColDate: {
            r = ParseWhole(text, n, &v);
            int64_t min = 0, max = 0;
            FieldBounds(c.kind, &min, &max);
            if (r == NumberOk && (v < min || v > max)) r = NumberBeyondField;
            if (r == NumberOk && c.kind == ColDate && !ValidDate(v)) r = NumberNotDate;
            break;
        }
        default: return UnknownKind;
    }
    if (r != NumberOk) return r;
    // Little-endian hosts only, as the records are.
    if (c.size == 1) {
        const uint8_t x = static_cast<uint8_t>(v);
        std::memcpy(field, &x, 1);
    } else if (c.size == 2) {
        const int16_t x = static_cast<int16_t>(v);
        std::memcpy(field, &x, 2);
    } else if (c.size == 4) {
        const int32_t x = static_cast<int32_t>(v);
        std::memcpy(field, &x, 4);
    } else {
        std::memcpy(field, &v, 8);
    }
    return NumberOk;
}

std::string CellMessage(const StLEDGERCOLUMN& c, const char* text, size_t n, _NumberCheck r) {
    const std::string at = std::string("column ") + c.name + ": ";
    if (r == TextTooLong)
        return at + "text of " + std::to_string(n) + " bytes is longer than the field's " + std::to_string(TextRoom(c));
    if (r == UnknownKind) return at + "unknown column kind";
    const std::string quoted = Quoted(n > 0 ? text : "", n);
    int64_t min = 0, max = 0;
    FieldBounds(c.kind, &min, &max);
    switch (r) {
        case NumberNotWhole: return at + quoted + " is not a whole number";
        case NumberNotDecimal:
            return at + quoted + " is not a number with at most " + (c.kind == ColAmount ? "4" : "2") + " decimals";
        case NumberBeyondField:
            return at + quoted + " is out of range " + std::to_string(min) + " to " + std::to_string(max);
        case NumberNotDate: return at + quoted + " is not a date yyyymmdd (or 0)";
        default: return at + quoted + " is out of range";
    }
}


}  // namespace

ClLedgerReader::ClLedgerReader() : m_columns(nullptr), m_count(0), m_nextRow(0), m_lengths() {}

long ClLedgerReader::Open(const std::string& path, const StLEDGERCOLUMN* columns, long count) {
    m_path = path;
    m_columns = columns;
    m_count = count;
    m_nextRow = 0;
    const _FileKind kind = OsRuntimeFileKind(path.c_str(), true);
    if (kind == FileFolder || kind == FileSpecial) {
        // Opening a FIFO would wait for a writer; a folder has no lines.
        m_message = path + ": cannot be read (a folder, FIFO or device, not a file)";
        return -1;
    }
    if (kind != FilePlain || !m_csv.Open(path.c_str())) {
        m_message = path + ": cannot be opened (a required ledger file)";
        return -1;
    }
    return 0;
}

long ClLedgerReader::Fail(const std::string& what) {
    m_message = m_path + " line " + std::to_string(m_csv.Line()) + ": " + what;
    return -1;
}

// The row is checked whole before its cells: a bad cell is named only in a row of the right shape.
long ClLedgerReader::Next(void* const* targets) {
    if (!m_csv.IsOpen()) return Fail("not open");
    const _CsvRead r = m_csv.Next();
    if (r == CsvEnd) return 1;
    if (r == CsvReadError) {
        m_message = m_path + ": cannot be read";
        return -1;
    }
    // A file of bare CR line ends would be one line, often a comment line that hides every row.
    if (r == CsvBareCr) return Fail("a carriage return (CR) without a line feed: lines must end in LF or CR LF");
    if (r != CsvRow || m_csv.Cells() != m_count)
        return Fail("malformed row: " + std::to_string(m_count) +
                    " comma-separated columns expected (a text holding a comma, a quote mark or a line "
                    "break goes in double quotes, a double quote in it written twice; at most " +
                    std::to_string(ClCsvReader::kCellBytes) + " bytes a column and " +
                    std::to_string(ClCsvReader::kRowBytes) + " a row)");
    ++m_nextRow;
    if (!targets) return 0;
    for (long i = 0; i < m_count; ++i) {
        const size_t n = static_cast<size_t>(m_csv.CellLength(i));
        m_lengths[i] = static_cast<int32_t>(n);
        const _NumberCheck c = ConvertCell(m_columns[i], m_csv.Cell(i), n, targets);
        if (c != NumberOk) return Fail(CellMessage(m_columns[i], m_csv.Cell(i), n, c));
    }
    return 0;
}

long ClLedgerReader::Seek(long row, void* const* targets) {
    if (row < 0) return 1;
    if (row < m_nextRow || !m_csv.IsOpen()) {
        const long r = Open(m_path, m_columns, m_count);
        if (r != 0) return r;
    }
    while (m_nextRow < row) {
        const long r = Next(nullptr);
        if (r != 0) return r;
    }
    return Next(targets);
}
