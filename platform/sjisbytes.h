// sjisbytes.h - the lead and trail byte classes of code page 932, shared by the path code.
#pragma once

// Fixed to code page 932 rather than read from the running system, so that paths are split the
// same way whatever the machine's own code page is.
inline bool IsSjisLeadByte(unsigned char c) { return (c >= 0x81 && c <= 0x9F) || (c >= 0xE0 && c <= 0xFC); }
inline bool IsSjisTrailByte(unsigned char c) { return (c >= 0x40 && c <= 0x7E) || (c >= 0x80 && c <= 0xFC); }

// Bytes taken by the character starting at text (1 or 2); a lead byte before the terminator is 1.
inline int SjisCharBytes(const char* text) {
    const unsigned char* p = reinterpret_cast<const unsigned char*>(text);
    return (IsSjisLeadByte(p[0]) && IsSjisTrailByte(p[1])) ? 2 : 1;
}
