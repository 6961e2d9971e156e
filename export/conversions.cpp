// conversions.cpp - exact conversions of host values into the forms the asset columns take.
#include "conversions.h"

#include <charconv>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <cstring>

#include "decimal.h"
#include "sjisbytes.h"

namespace {

// Where the last n bytes of whole characters of text (length bytes) start. Characters can only be
// told apart from the front: the start of the first character that lies whole within them.
size_t LastCharsStart(const char* text, size_t length, size_t n) {
    size_t pos = 0;
    while (pos < length && length - pos > n) pos += static_cast<size_t>(SjisCharBytes(text + pos));
    return pos;
}

}  // namespace

void LastChars(const char* text, size_t n, char* out) {
    const size_t length = std::strlen(text);
    const size_t start = length <= n ? 0 : LastCharsStart(text, length, n);
    std::memcpy(out, text + start, length - start + 1);
}

void PadZero(const char* text, size_t width, char* out) {
    const size_t length = std::strlen(text);
    const size_t pad = length < width ? width - length : 0;
    std::memset(out, '0', pad);
    std::memcpy(out + pad, text, length + 1);
}

void ZeroPaddedEnd(const char* text, size_t length, size_t n, char* out) {
    const size_t start = length <= n ? 0 : LastCharsStart(text, length, n);
    const size_t pad = n - (length - start);
    std::memset(out, '0', pad);
    std::memcpy(out + pad, text + start, length - start);
    out[n] = '\0';
}

void CleanNumberText(const char* text, char* out) {
    for (; *text != '\0'; ++text) {
        if (*text != ',' && *text != ' ') *out++ = *text;
    }
    *out = '\0';
}

static bool IsDigit(char c) { return c >= '0' && c <= '9'; }
static bool IsBlank(char c) {
    return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

long LeadingInteger(const char* text) {
    while (IsBlank(*text)) ++text;
    bool negative = false;
    if (*text == '+' || *text == '-') negative = *text++ == '-';
    long value = 0;
    for (; IsDigit(*text); ++text) {
        if (value < 100000000) value = value * 10 + (*text - '0');  // only zero or not matters beyond this
    }
    return negative ? -value : value;
}

double LeadingNumber(const char* text) {
    // Only a plain decimal number is taken: strtod alone would also read "inf", "nan" and hex.
    char number[128];
    size_t n = 0;
    const char* p = text;
    while (IsBlank(*p)) ++p;
    auto take = [&](char c) {
        if (n + 1 < sizeof number) number[n++] = c;
    };
    if (*p == '+' || *p == '-') take(*p++);
    bool digits = false;
    for (; IsDigit(*p); ++p, digits = true) take(*p);
    if (*p == '.') {
        take(*p++);
        for (; IsDigit(*p); ++p, digits = true) take(*p);
    }
    if (!digits) return 0.0;
    if (*p == 'e' || *p == 'E') {
        const char* q = p + 1;
        if (*q == '+' || *q == '-') ++q;
        if (IsDigit(*q)) {
            for (; p < q; ++p) take(*p);
            for (; IsDigit(*p); ++p) take(*p);
        }
    }
    number[n] = '\0';
    // Whole numbers of up to 15 digits are exact in a double, as strtod would give them; the usual
    // quantity needs no strtod (220 instructions a data row, 2.2 % of the engine, callgrind over
    // 10k assets; LeadingNumbers.WholeNumbersAreWhatStrtodGives holds it to strtod).
    const size_t sign = number[0] == '+' || number[0] == '-' ? 1 : 0;
    if (n - sign <= 15) {
        uint64_t whole = 0;
        size_t i = sign;
        for (; i < n && IsDigit(number[i]); ++i) whole = whole * 10 + static_cast<unsigned>(number[i] - '0');
        if (i == n) return number[0] == '-' ? -static_cast<double>(whole) : static_cast<double>(whole);
    }
    return std::strtod(number, nullptr);
}

int ToFixedPoint(double x, tagCY* value) {
    int64_t sign = 1;
    if (x < 0) {
        sign = -1;
        x = -x;
    }
    if (!(x < kFixedPointLimit)) return 0;
    const int64_t whole = static_cast<int64_t>(x);
    const int64_t fraction = (static_cast<int64_t>((x - static_cast<double>(whole)) * 100000) + 5) / 10;
    *value = sign * (whole * 10000 + fraction);
    return 1;
}

void FormatTotal(const tagCY* amounts, int count, char* text) {
    // The sum of amounts near the 64-bit limits would wrap; its integer part always fits.
    __extension__ typedef __int128 wide;
    wide sum = 0;
    for (int i = 0; i < count; ++i) sum += amounts[i];
    const long long whole = static_cast<long long>(sum / 10000);
    *std::to_chars(text, text + kTotalTextBytes - 1, whole).ptr = '\0';
}

tagCY DivideFixed(tagCY a, tagCY b) {
    if (b == 0) return 0;
    const bool negative = (a < 0) != (b < 0);
    const uint64_t ua = a < 0 ? 0 - static_cast<uint64_t>(a) : static_cast<uint64_t>(a);
    const uint64_t ub = b < 0 ? 0 - static_cast<uint64_t>(b) : static_cast<uint64_t>(b);
    uint64_t whole = ua / ub;
    uint64_t rest = ua % ub;
    uint64_t digits = 0;
    // Long division of the remainder, five digits; ten times a remainder may exceed 64 bits.
    __extension__ typedef unsigned __int128 uwide;
    for (int i = 0; i < 5; ++i) {
        // Ten times it fits 64 bits: no wide division (175 instructions a data row, 1.8 % of the
        // engine, callgrind over 10k assets; DivideFixed.WideRemaindersGiveWhatWideArithmeticGives
        // holds it to the wide one).
        if (rest < (uint64_t(1) << 59)) {
            const uint64_t r = rest * 10;
            digits = digits * 10 + r / ub;
            rest = r % ub;
            continue;
        }
        const uwide r = static_cast<uwide>(rest) * 10;
        digits = digits * 10 + static_cast<uint64_t>(r / ub);
        rest = static_cast<uint64_t>(r % ub);
    }
    uint64_t fraction = (digits + 5) / 10;
    if (fraction >= 10000) {
        fraction = 0;
        ++whole;
    }
    const tagCY magnitude = static_cast<tagCY>(whole * 10000 + fraction);
    if (magnitude == 0) return 0;
    return negative ? -magnitude : magnitude;
}

// The unit ends the text: at most four bytes that are no digits, never starting on a trail byte.
size_t QuantityUnitBytes(const char* text) {
    const size_t length = std::strlen(text);
    size_t unitBytes = 0;
    while (unitBytes < length && unitBytes < kQuantityUnitBytes && !IsDigit(text[length - 1 - unitBytes])) ++unitBytes;
    if (unitBytes > 0) {
        const size_t unitStart = length - unitBytes;
        size_t pos = 0;
        while (pos < unitStart) pos += static_cast<size_t>(SjisCharBytes(text + pos));
        if (pos > unitStart) --unitBytes;
    }
    return unitBytes;
}

tagCY RoundToHundredths(tagCY value) {
    const bool negative = value < 0;
    tagCY whole = (negative ? -value : value) / 10000;
    tagCY fraction = (negative ? -value : value) % 10000;
    fraction = ((fraction + 50) / 100) * 100;
    if (fraction >= 10000) {
        ++whole;
        fraction = 0;
    }
    value = whole * 10000 + fraction;
    return negative ? -value : value;
}

size_t PutAmountDigits(tagCY amount, char* out) {
    char* p = out;
    const tagCY whole = amount / 10000;  // toward zero, so a small loss has no minus
    if (amount != 0) {
        if (whole < 0) *p++ = '-';
        p += PutDecimal(whole < 0 ? 0 - static_cast<uint64_t>(whole) : static_cast<uint64_t>(whole), p);
    }
    *p = '\0';
    return static_cast<size_t>(p - out);
}

const char* ReturnKindText(long code) {
    switch (code) {
        case 1:
        case 4:
        case 6:
        case 7:
        case 8:
        case 9:
        case 10:
        case 11:
            return "申告なし";
        case 2:
            return "構築物";
        case 3:
            return "機械及び装置";
        case 5:
            return "工具器具及び備品";
        default:
            return nullptr;
    }
}

