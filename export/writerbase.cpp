// writerbase.cpp - the one-item line and the separator mend that the files and the log share.
#include "writerbase.h"

#include "sjisbytes.h"

long WriteLine(ClTextFile& file, ClHeaderAccessor& header, const char* text) {
    file.Attach(&header);
    // The item is written whole with its terminator: the rest of the record is never read.
    const size_t n = SjisFitBytes(text, kHeaderTextBytes);
    std::memcpy(header.Record(), text, n);
    header.Record()[n] = '\0';
    return header.Write();
}

// Rows carry no quotes: a comma would split the column and a line break the row. A comma
// becomes the half-width "､" (one byte, so no cut moves), a line break a blank. No trail byte
// is one of them, so a text without such a byte needs no closer look.
bool MendSeparators(unsigned char* text) {
    bool replaced = false;
    for (unsigned char* p = text; *p != '\0';) {
        if (SjisCharBytes(reinterpret_cast<const char*>(p)) == 2) {
            p += 2;
            continue;
        }
        if (*p == ',' || *p == '\r' || *p == '\n') {
            *p = *p == ',' ? 0xA4 : ' ';
            replaced = true;
        }
        ++p;
    }
    return replaced;
}
