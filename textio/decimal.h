// decimal.h - decimal digits of unsigned integers, two at a time, for the row writers.
#pragma once

#include <cstddef>
#include <cstdint>

// "00" to "99".
inline constexpr char kDigitPairs[] =
    "00010203040506070809101112131415161718192021222324252627282930313233343536373839"
    "40414243444546474849505152535455565758596061626364656667686970717273747576777879"
    "8081828384858687888990919293949596979899";

// The decimal digits of v, ending just before end; returns where they begin.
inline char* DecimalDigitsBefore(uint64_t v, char* end) {
    while (v >= 100) {
        const unsigned pair = static_cast<unsigned>(v % 100) * 2;
        v /= 100;
        *--end = kDigitPairs[pair + 1];
        *--end = kDigitPairs[pair];
    }
    if (v >= 10) {
        const unsigned pair = static_cast<unsigned>(v) * 2;
        *--end = kDigitPairs[pair + 1];
        *--end = kDigitPairs[pair];
    } else {
        *--end = static_cast<char>('0' + v);
    }
    return end;
}

// How many decimal digits v has (1 for 0).
inline size_t DecimalCount(uint64_t v) {
    static constexpr uint64_t kPowers[20] = {1ull,
                                             10ull,
                                             100ull,
                                             1000ull,
                                             10000ull,
                                             100000ull,
                                             1000000ull,
                                             10000000ull,
                                             100000000ull,
                                             1000000000ull,
                                             10000000000ull,
                                             100000000000ull,
                                             1000000000000ull,
                                             10000000000000ull,
                                             100000000000000ull,
                                             1000000000000000ull,
                                             10000000000000000ull,
                                             100000000000000000ull,
                                             1000000000000000000ull,
                                             10000000000000000000ull};
    // Bits to digits: 1233 / 4096 is just above log10(2), then one comparison settles it.
    const unsigned bits = 64 - static_cast<unsigned>(__builtin_clzll(v | 1));
    unsigned n = (bits * 1233) >> 12;
    if (n < 20 && v >= kPowers[n]) ++n;
    return n == 0 ? 1 : n;
}

// Writes the decimal digits of v at out (no terminator) and returns how many.
inline size_t PutDecimal(uint64_t v, char* out) {
    const size_t n = DecimalCount(v);
    DecimalDigitsBefore(v, out + n);
    return n;
}
