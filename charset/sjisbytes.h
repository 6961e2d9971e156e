// sjisbytes.h - the one rule of what a double-byte character is: the classes of code page 932.
#pragma once

#include <cstddef>
#include <cstring>

// Header only and free of any system call, so that every layer, the pure text library and engine
// included, cuts, scans and splits by the same rule. Fixed to code page 932 rather than read from
// the running system, so that texts and paths are handled alike whatever the machine's code page.
inline bool IsSjisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
inline bool IsSjisTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Bytes taken by the character starting at text (1 or 2). A lead byte counts 2 only with a trail
// byte after it; before any other byte, the terminator included, it is a character of its own.
inline int SjisCharBytes(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    return (IsSjisLeadByte(p[0]) && IsSjisTrailByte(p[1])) ? 2 : 1;
}

// Length of the longest start of text with at most limit bytes that ends between two characters.
inline size_t SjisFitBytes(const char* text, size_t limit) {
    const size_t length = strnlen(text, limit + 1);
    if (length <= limit) return length;  // the whole text fits: its end is a boundary
    // A byte that cannot lead ends a character, whether it stands alone or trails, so the parse
    // from the start passes the position after it. Only the bytes from there on need a look.
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    size_t n = limit;
    while (n > 0 && IsSjisLeadByte(p[n - 1])) --n;
    while (n < limit) {
        const size_t width = static_cast<size_t>(SjisCharBytes(text + n));
        if (n + width > limit) break;
        n += width;
    }
    return n;
}
