// ledger.cpp - reading and checking the ledger files; every problem names its file and line.
#include "ledger.h"
#include "osapi.h"
#include "sjisbytes.h"

#include <algorithm>
#include <cstddef>
#include <cstring>
#include <fstream>

namespace {

// A cell holds up to kCellBytes - 1 bytes, enough for every field and a few bytes more, so that a
// text one byte too long still gets a message of its own.
const long kCellBytes = 264;

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

// Anything of that name, so that an optional file that is a folder or a FIFO gets its message.
bool FileExists(const std::string& path) { return OsRuntimeFileKind(path.c_str(), true) != FileNone; }

std::string KeyText(const unsigned char* key) {
    const char* k = reinterpret_cast<const char*>(key);
    return Quoted(k, strnlen(k, kDataIdBytes));
}

bool KeyLess(const StLUMPINDEX& a, const StLUMPINDEX& b) { return std::memcmp(a.key, b.key, kDataIdBytes) < 0; }

// Whether a Windows path ends in a backslash of its own, not in the trail byte of a double-byte
// character such as 0x95 0x5C.
bool EndsInSeparator(const std::string& path) {
    bool last = false;
    for (size_t i = 0; i < path.size(); ++i) {
        last = path[i] == '\\';
        if (SjisCharBytes(path.c_str() + i) == 2) ++i;
    }
    return last;
}

#define MASTER(field) 0, static_cast<int>(offsetof(StKOTEISHISANINFO, field)), \
        static_cast<int>(sizeof(StKOTEISHISANINFO::field))
#define YEARLY(field) 1, static_cast<int>(offsetof(StKOTEINENINFO, field)), \
        static_cast<int>(sizeof(StKOTEINENINFO::field))

const StLEDGERCOLUMN kAssetColumns[] = {
    {"assetKey", ColKey, MASTER(assetKey)},
    {"assetCode", ColText, MASTER(assetCode)},
    {"assetTypeCode", ColInt32, MASTER(assetTypeCode)},
    {"assetName", ColText, MASTER(assetName)},
    {"quantityText", ColText, MASTER(quantityText)},
    {"memoText", ColText, MASTER(memoText)},
    {"disposalKind", ColInt16, MASTER(disposalKind)},
    {"capexText", ColText, MASTER(capexText)},
    {"acquisitionDate", ColDate, MASTER(acquisitionDate)},
    {"serviceDate", ColDate, MASTER(serviceDate)},
    {"acquisitionCost", ColAmount, MASTER(acquisitionCost)},
    {"compressionAmount", ColAmount, MASTER(compressionAmount)},
    {"openingBookValue", ColAmount, MASTER(openingBookValue)},
    {"methodCode", ColInt16, MASTER(methodCode)},
    {"usefulLife", ColInt16, MASTER(usefulLife)},
    {"rateThousandths", ColInt32, MASTER(rateThousandths)},
    {"residualRate", ColInt32, MASTER(residualRate)},
    {"limitInputFlag", ColUInt8, MASTER(limitInputFlag)},
    {"depreciableLimit", ColAmount, MASTER(depreciableLimit)},
    {"businessUseRatio", ColInt16, MASTER(businessUseRatio)},
    {"sgaShare", ColInt16, MASTER(sgaShare)},
    {"depMonthsFactor", ColInt16, MASTER(depMonthsFactor)},
    {"depMonthsDivisor", ColInt16, MASTER(depMonthsDivisor)},
    {"residualValue", ColAmount, MASTER(residualValue)},
    {"depreciationBase", ColAmount, MASTER(depreciationBase)},
    {"sgaAmount", ColAmount, MASTER(sgaAmount)},
    {"manufacturingAmount", ColAmount, MASTER(manufacturingAmount)},
    {"accumulatedDepreciation", ColAmount, MASTER(accumulatedDepreciation)},
    {"closingBookValue", ColAmount, MASTER(closingBookValue)},
    {"disposalDate", ColDate, MASTER(disposalDate)},
    {"salePrice", ColAmount, MASTER(salePrice)},
    {"monthsInputFlag", ColUInt8, MASTER(monthsInputFlag)},
    {"revisedCost", ColAmount, MASTER(revisedCost)},
    {"computedDepreciation", ColAmount, YEARLY(computedDepreciation)},
    {"specialDepreciation", ColAmount, YEARLY(specialDepreciation)},
    {"additionalDepreciation", ColAmount, YEARLY(additionalDepreciation)},
    {"currentDepreciationInput", ColInt64, YEARLY(currentDepreciationInput)},
};

#define BREAKDOWN(field) 0, static_cast<int>(offsetof(StIKKATSUINFO, field)), \
        static_cast<int>(sizeof(StIKKATSUINFO::field))
const StLEDGERCOLUMN kBreakdownColumns[] = {
    {"assetKey", ColKey, 1, 0, kDataIdBytes},
    {"breakdownNo", ColText, BREAKDOWN(breakdownNo)},
    {"breakdownName", ColText, BREAKDOWN(breakdownName)},
    {"breakdownAcquisitionDate", ColDate, BREAKDOWN(breakdownAcquisitionDate)},
    {"breakdownCost", ColAmount, BREAKDOWN(breakdownCost)},
    {"breakdownQuantity", ColHundredths, BREAKDOWN(breakdownQuantity)},
};

#define CATEGORY(field) 0, static_cast<int>(offsetof(StSHISANKUBUNINFO, field)), \
        static_cast<int>(sizeof(StSHISANKUBUNINFO::field))
const StLEDGERCOLUMN kCategoryColumns[] = {
    {"categoryCode", ColInt32, CATEGORY(categoryCode)},
    {"categoryName", ColText, CATEGORY(categoryName)},
    {"categoryMethod", ColInt16, CATEGORY(categoryMethod)},
    {"categoryResidual", ColInt32, CATEGORY(categoryResidual)},
};

#define DATASET(field) 0, static_cast<int>(offsetof(StDATAINFO, field)), static_cast<int>(sizeof(StDATAINFO::field))
const StLEDGERCOLUMN kDataSetColumns[] = {
    {"dataNo", ColInt32, DATASET(dataNo)},
    {"dataId", ColKey, DATASET(dataId)},
    {"companyName", ColText, DATASET(companyName)},
    {"periodStart", ColDate, DATASET(periodStart)},
    {"periodEnd", ColDate, DATASET(periodEnd)},
    {"dataKind", ColInt16, DATASET(dataKind)},
    {"entityKind", ColUInt8, DATASET(entityKind)},
};

struct StSESSION {
    char userId[65];
    int32_t selectionNo;
    int32_t dataSetNo;
    char folder0[261];
    char folder1[261];
};
#define SESSION(field) 0, static_cast<int>(offsetof(StSESSION, field)), static_cast<int>(sizeof(StSESSION::field))
const StLEDGERCOLUMN kSessionColumns[] = {
    {"userId", ColText, SESSION(userId)},
    {"selectionNo", ColInt32, SESSION(selectionNo)},
    {"dataSetNo", ColInt32, SESSION(dataSetNo)},
    {"outputFolder", ColText, SESSION(folder0)},
    {"settingsFolder", ColText, SESSION(folder1)},
};

struct StFAULTROW {
    char operation[32];
    int32_t result;
    int32_t index;
};
#define FAULT(field) 0, static_cast<int>(offsetof(StFAULTROW, field)), static_cast<int>(sizeof(StFAULTROW::field))
const StLEDGERCOLUMN kFaultColumns[] = {
    {"operation", ColText, FAULT(operation)},
    {"result", ColInt32, FAULT(result)},
    {"index", ColInt32, FAULT(index)},
};

template <size_t N>
long CountOf(const StLEDGERCOLUMN (&)[N]) {
    return static_cast<long>(N);
}

}  // namespace

// ---- reader ----

// The text accessor over the ledger's table: the reader takes each row's columns where they lie in
// the line instead of a copy of each in a record, so the accessor has no record; rows are read
// only through ReadRow.
class ClLedgerAccessor : public ClTextAccessor {
public:
    ClLedgerAccessor(const StTAFORMAT* table, long count, ClLedgerReader& reader)
        : ClTextAccessor("LEDGER", table, count, nullptr), m_reader(reader) {}

    // Read, with the columns taken by the reader straight from the line.
    long ReadRow() {
        StREADOFFSETINFO split[kMaxReadItems];
        long count = 0;
        const long r = _RdSplitRow(split, &count);
        return r != 0 ? r : m_reader.TakeRow(split, count);
    }

private:
    ClLedgerReader& m_reader;
};

ClLedgerReader::ClLedgerReader() : m_columns(nullptr), m_count(0), m_nextRow(0), m_targets(nullptr), m_lengths() {}
ClLedgerReader::~ClLedgerReader() {}

bool ClLedgerReader::IsOpen() const { return m_file && m_file->IsOpen(); }

long ClLedgerReader::Open(const std::string& path, const StLEDGERCOLUMN* columns, long count) {
    m_path = path;
    m_columns = columns;
    m_count = count;
    m_nextRow = 0;
    m_accessor.reset();
    m_table.resize(static_cast<size_t>(count));
    for (long i = 0; i < count; ++i) {
        StTAFORMAT& f = m_table[static_cast<size_t>(i)];
        std::memset(&f, 0, sizeof f);
        std::strncpy(f.name, columns[i].name, sizeof f.name - 1);
        f.width = kCellBytes - 1;
        f.offset = static_cast<int32_t>(i * kCellBytes);
        f.size = kCellBytes;
        f.type = ItemText;
    }
    m_file.reset(new ClTextFile);
    const _FileKind kind = OsRuntimeFileKind(path.c_str(), true);
    if (kind == FileFolder || kind == FileSpecial) {
        // Opening a FIFO would wait for a writer; a folder has no lines.
        m_message = path + ": cannot be read (a folder, FIFO or device, not a file)";
        return -1;
    }
    if (m_file->Open(path.c_str(), TFRead) != 0) return Fail("cannot be opened (a required ledger file)");
    m_accessor.reset(new ClLedgerAccessor(m_table.data(), count, *this));
    m_accessor->SetMode(Comma, DoubleQuote);
    m_accessor->SetSpaceFlag(1);  // blanks inside a name stay part of it
    m_accessor->SetCommentMark(";");
    m_accessor->SetCommentSkip(0);  // comment lines come back, to be checked for bare CRs too
    m_file->Attach(m_accessor.get());
    return 0;
}

long ClLedgerReader::Fail(const std::string& what) {
    m_message = m_path + (m_accessor && m_accessor->GetPhysicalLineNo() > 0
                              ? " line " + std::to_string(m_accessor->GetPhysicalLineNo()) + ": "
                              : ": ") +
                what;
    return -1;
}

long ClLedgerReader::Line() const { return m_accessor ? m_accessor->GetPhysicalLineNo() : 0; }

long ClLedgerReader::CellLength(long column) const { return m_lengths[column]; }

long ClLedgerReader::ReadSplit() {
    if (!m_accessor) return Fail("not open");
    for (;;) {
        const long r = m_accessor->ReadRow();
        if (r == 1 && !m_file->HadReadError()) return 1;
        if (m_file->HadReadError()) {
            m_message = m_path + ": cannot be read";
            return -1;
        }
        // The line ends in a NUL before its kLineBytes, zeros follow it.
        const char* line = m_accessor->ReadLineBytes();
        // Lines end in LF or CR LF; a file of bare CRs would be one line, often a comment line
        // that hides every row.
        if (std::strchr(line, '\r')) {
            return Fail("a carriage return (CR) without a line feed: lines must end in LF or CR LF");
        }
        if (r == 0) return 0;
        if (r == 3) continue;
        const char* p = line;
        while (*p == ' ' || *p == '\t' || *p == '\r') ++p;
        if (*p == '\0' && std::strlen(line) < ClTextAccessor::kLineBytes - 1) continue;  // a blank line
        return Fail("malformed row: " + std::to_string(m_count) +
                    " comma-separated columns expected (a text holding a comma or a quote mark goes in "
                    "double quotes and may not hold a double quote; at most " +
                    std::to_string(kCellBytes - 1) + " bytes a column and " +
                    std::to_string(ClTextAccessor::kLineBytes - 1) + " a line)");
    }
}

namespace {

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

// Converts one cell into its field of the row's records; text is null only for an empty cell.
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

long ClLedgerReader::TakeRow(const StREADOFFSETINFO* split, long count) {
    m_pending.clear();
    long i = 0;
    if (m_targets) {
        for (; i < count; ++i) {
            // Refused as the accessor refuses a text beyond its field: the row is malformed.
            if (split[i].length > kCellBytes - 1) return 2;
            const size_t n = static_cast<size_t>(split[i].length);
            m_lengths[i] = split[i].length;
            const _NumberCheck r = ConvertCell(m_columns[i], split[i].start, n, m_targets);
            if (r != NumberOk) {
                m_pending = CellMessage(m_columns[i], split[i].start, n, r);
                ++i;
                break;
            }
        }
    }
    for (; i < count; ++i)
        if (split[i].length > kCellBytes - 1) return 2;
    return 0;
}

// The columns are converted as the accessor takes them; a bad cell is reported only once the line
// has passed the checks of a whole line, which come first.
long ClLedgerReader::Next(void* const* targets) {
    m_targets = targets;
    const long r = ReadSplit();
    m_targets = nullptr;
    if (r != 0) return r;
    ++m_nextRow;
    return m_pending.empty() ? 0 : Fail(m_pending);
}

long ClLedgerReader::Seek(long row, void* const* targets) {
    if (row < 0) return 1;
    if (row < m_nextRow || !m_accessor) {
        const long r = Open(m_path, m_columns, m_count);
        if (r != 0) return r;
    }
    while (m_nextRow < row) {
        const long r = Next(nullptr);
        if (r != 0) return r;
    }
    return Next(targets);
}

// ---- ledger ----

const StLEDGERCOLUMN* ClLedger::AssetColumns(long* count) {
    *count = CountOf(kAssetColumns);
    return kAssetColumns;
}

const StLEDGERCOLUMN* ClLedger::BreakdownColumns(long* count) {
    *count = CountOf(kBreakdownColumns);
    return kBreakdownColumns;
}

std::string ClLedger::Path(const std::string& name) const {
    std::string path = m_folder;
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
    return path + name;
}

bool ClLedger::Fail(const std::string& message) {
    m_message = message;
    return false;
}

bool ClLedger::Load(const std::string& folder) {
    m_folder = folder;
    m_message.clear();
    m_sets.clear();
    userId.clear();
    selectionNo = dataSetNo = 0;
    folders[0].clear();
    folders[1].clear();
    for (auto& f : faults) f = StLEDGERFAULT{0, -1};
    if (!LoadSession() || !LoadFaults() || !LoadSets()) return false;
    for (auto& set : m_sets)
        if (!LoadAssets(set) || !LoadBreakdowns(set) || !LoadCategories(set)) return false;
    return true;
}

bool ClLedger::LoadSession() {
    ClLedgerReader reader;
    if (reader.Open(Path("session.csv"), kSessionColumns, CountOf(kSessionColumns)) != 0)
        return Fail(reader.Message());
    StSESSION s;
    std::memset(&s, 0, sizeof s);
    void* targets[] = {&s};
    long r = reader.Next(targets);
    if (r < 0) return Fail(reader.Message());
    if (r == 1) return Fail(Path("session.csv") + ": no data row (one row with the user and selection expected)");
    if (s.userId[0] == '\0') return Fail(Path("session.csv") + " line " + std::to_string(reader.Line()) +
                                         ": column userId: the user identifier is empty");
    const long line = reader.Line();
    StSESSION extra;
    void* more[] = {&extra};
    r = reader.Next(more);
    if (r < 0) return Fail(reader.Message());
    if (r == 0) return Fail(Path("session.csv") + " line " + std::to_string(reader.Line()) +
                            ": a second data row (only one is allowed)");
    userId = s.userId;
    selectionNo = s.selectionNo;
    dataSetNo = s.dataSetNo;
    const char* given[2] = {s.folder0, s.folder1};
    for (int kind = 0; kind < 2; ++kind) {
        std::string f = given[kind];
        if (kind == 1 && f.empty())
            return Fail(Path("session.csv") + " line " + std::to_string(line) +
                        ": column settingsFolder: the settings folder is empty");
        if (!f.empty() && !EndsInSeparator(f)) f += '\\';
        if (f.size() > 260)
            return Fail(Path("session.csv") + " line " + std::to_string(line) + ": column " +
                        kSessionColumns[3 + kind].name + ": the folder with its closing backslash is longer than 260 bytes");
        folders[kind] = f;
    }
    return true;
}

bool ClLedger::LoadFaults() {
    const std::string path = Path("faults.csv");
    if (!FileExists(path)) return true;
    ClLedgerReader reader;
    if (reader.Open(path, kFaultColumns, CountOf(kFaultColumns)) != 0) return Fail(reader.Message());
    static const char* const names[FaultCount] = {"Initiate", "ExpSysLink", "Move", "MoveIkkatsu",
                                                  "LoadShisanKubunInfo"};
    for (;;) {
        StFAULTROW row;
        std::memset(&row, 0, sizeof row);
        void* targets[] = {&row};
        const long r = reader.Next(targets);
        if (r < 0) return Fail(reader.Message());
        if (r == 1) return true;
        const std::string at = path + " line " + std::to_string(reader.Line()) + ": ";
        int which = -1;
        for (int i = 0; i < FaultCount; ++i)
            if (std::strcmp(row.operation, names[i]) == 0) which = i;
        if (which < 0)
            return Fail(at + "column operation: \"" + row.operation +
                        "\" is none of Initiate, ExpSysLink, Move, MoveIkkatsu, LoadShisanKubunInfo");
        if (row.result == 0) return Fail(at + "column result: a fault needs a non-zero result");
        const bool indexed = which == FaultMove || which == FaultMoveIkkatsu;
        if (reader.CellLength(2) != 0 && (!indexed || row.index < 0))
            return Fail(at + "column index: only Move and MoveIkkatsu take an index, 0 or more");
        faults[which] = StLEDGERFAULT{row.result, reader.CellLength(2) != 0 ? static_cast<long>(row.index) : -1};
    }
}

bool ClLedger::LoadSets() {
    const std::string path = Path("datasets.csv");
    ClLedgerReader reader;
    if (reader.Open(path, kDataSetColumns, CountOf(kDataSetColumns)) != 0) return Fail(reader.Message());
    for (;;) {
        StLEDGERSET set;
        std::memset(&set.info, 0, sizeof set.info);
        set.assetCount = 0;
        void* targets[] = {&set.info};
        const long r = reader.Next(targets);
        if (r < 0) return Fail(reader.Message());
        if (r == 1) return true;
        const std::string at = path + " line " + std::to_string(reader.Line()) + ": ";
        if (set.info.dataNo < 0) return Fail(at + "column dataNo: a data-set number is 0 or more");
        if (set.info.dataId[0] == '\0') return Fail(at + "column dataId: the identifier is empty");
        for (const auto& other : m_sets) {
            if (other.info.dataNo == set.info.dataNo)
                return Fail(at + "column dataNo: " + std::to_string(set.info.dataNo) + " is used twice");
            if (std::memcmp(other.info.dataId, set.info.dataId, kDataIdBytes) == 0)
                return Fail(at + "column dataId: " + KeyText(reinterpret_cast<unsigned char*>(set.info.dataId)) +
                            " is used twice");
        }
        const std::string no = std::to_string(set.info.dataNo);
        set.assetsPath = Path("assets-" + no + ".csv");
        set.breakdownsPath = Path("breakdowns-" + no + ".csv");
        m_sets.push_back(set);
    }
}

bool ClLedger::LoadAssets(StLEDGERSET& set) {
    ClLedgerReader reader;
    if (reader.Open(set.assetsPath, kAssetColumns, CountOf(kAssetColumns)) != 0) return Fail(reader.Message());
    StKOTEISHISANINFO master;
    StKOTEINENINFO yearly;
    void* targets[] = {&master, &yearly};
    for (;;) {
        std::memset(&master, 0, sizeof master);
        std::memset(&yearly, 0, sizeof yearly);
        const long r = reader.Next(targets);
        if (r < 0) return Fail(reader.Message());
        if (r == 1) break;
        ++set.assetCount;
        if (master.methodCode != 4) continue;
        if (master.assetKey[0] == '\0')
            return Fail(set.assetsPath + " line " + std::to_string(reader.Line()) +
                        ": column assetKey: a lump-sum asset (methodCode 4) needs a key for its breakdowns");
        StLUMPINDEX lump;
        std::memcpy(lump.key, master.assetKey, kDataIdBytes);
        lump.firstRow = 0;
        lump.count = 0;
        lump.line = static_cast<int32_t>(reader.Line());
        set.lumps.push_back(lump);
    }
    std::stable_sort(set.lumps.begin(), set.lumps.end(), KeyLess);
    for (size_t i = 1; i < set.lumps.size(); ++i)
        if (!KeyLess(set.lumps[i - 1], set.lumps[i]))
            return Fail(set.assetsPath + " line " + std::to_string(set.lumps[i].line) + ": column assetKey: " +
                        KeyText(set.lumps[i].key) + " of a lump-sum asset is used before, at line " +
                        std::to_string(set.lumps[i - 1].line));
    return true;
}

bool ClLedger::LoadBreakdowns(StLEDGERSET& set) {
    if (!FileExists(set.breakdownsPath)) {
        set.breakdownsPath.clear();
        return true;
    }
    ClLedgerReader reader;
    if (reader.Open(set.breakdownsPath, kBreakdownColumns, CountOf(kBreakdownColumns)) != 0)
        return Fail(reader.Message());
    std::vector<StLUMPINDEX> groups;
    StIKKATSUINFO breakdown;
    unsigned char key[kDataIdBytes];
    void* targets[] = {&breakdown, key};
    for (long row = 0;; ++row) {
        std::memset(&breakdown, 0, sizeof breakdown);
        const long r = reader.Next(targets);
        if (r < 0) return Fail(reader.Message());
        if (r == 1) break;
        if (key[0] == '\0')
            return Fail(set.breakdownsPath + " line " + std::to_string(reader.Line()) +
                        ": column assetKey: the key of the lump-sum asset is empty");
        if (groups.empty() || std::memcmp(groups.back().key, key, kDataIdBytes) != 0) {
            StLUMPINDEX g;
            std::memcpy(g.key, key, kDataIdBytes);
            g.firstRow = static_cast<int32_t>(row);
            g.count = 0;
            g.line = static_cast<int32_t>(reader.Line());
            groups.push_back(g);
        }
        ++groups.back().count;
    }
    std::stable_sort(groups.begin(), groups.end(), KeyLess);
    for (size_t i = 0; i < groups.size(); ++i) {
        const std::string at = set.breakdownsPath + " line " + std::to_string(groups[i].line) + ": ";
        if (i > 0 && !KeyLess(groups[i - 1], groups[i]))
            return Fail(at + "the breakdowns of " + KeyText(groups[i].key) +
                        " must stand together; they began before at line " + std::to_string(groups[i - 1].line));
        StLUMPINDEX* lump = const_cast<StLUMPINDEX*>(FindLump(set, groups[i].key));
        if (!lump)
            return Fail(at + "column assetKey: no lump-sum asset (methodCode 4) of " + set.assetsPath +
                        " has the key " + KeyText(groups[i].key));
        lump->firstRow = groups[i].firstRow;
        lump->count = groups[i].count;
    }
    return true;
}

bool ClLedger::LoadCategories(StLEDGERSET& set) {
    const std::string path = Path("categories-" + std::to_string(set.info.dataNo) + ".csv");
    if (!FileExists(path)) return true;
    ClLedgerReader reader;
    if (reader.Open(path, kCategoryColumns, CountOf(kCategoryColumns)) != 0) return Fail(reader.Message());
    for (;;) {
        StSHISANKUBUNINFO category;
        std::memset(&category, 0, sizeof category);
        void* targets[] = {&category};
        const long r = reader.Next(targets);
        if (r < 0) return Fail(reader.Message());
        if (r == 1) return true;
        set.categories.push_back(category);
    }
}

const StLEDGERSET* ClLedger::FindSet(const char* dataId) const {
    if (!dataId) return nullptr;
    for (const auto& set : m_sets)
        if (std::memcmp(set.info.dataId, dataId, kDataIdBytes) == 0) return &set;
    return nullptr;
}

const StLEDGERSET* ClLedger::FindSetNo(long dataNo) const {
    for (const auto& set : m_sets)
        if (set.info.dataNo == dataNo) return &set;
    return nullptr;
}

const StLUMPINDEX* ClLedger::FindLump(const StLEDGERSET& set, const unsigned char* key) const {
    StLUMPINDEX probe;
    std::memcpy(probe.key, key, kDataIdBytes);
    auto it = std::lower_bound(set.lumps.begin(), set.lumps.end(), probe, KeyLess);
    if (it == set.lumps.end() || std::memcmp(it->key, key, kDataIdBytes) != 0) return nullptr;
    return &*it;
}
