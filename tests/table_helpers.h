// table_helpers.h - building small format tables and records for the text accessor tests.
#pragma once

#include <cstring>
#include <sstream>
#include <string>

#include "textaccessor.h"

inline StTAFORMAT Col(const char* name, int width, int type, int offset, int size, int decimals = 0,
                      int required = 0) {
    StTAFORMAT f;
    std::memset(&f, 0, sizeof f);
    std::strncpy(f.name, name, sizeof f.name - 1);
    f.width = width;
    f.decimals = decimals;
    f.offset = offset;
    f.size = size;
    f.type = type;
    f.required = required;
    return f;
}

inline StTAFORMAT TextCol(const char* name, int width, int offset, int required = 0) {
    return Col(name, width, ItemText, offset, width + 1, 0, required);
}

// A string stream as the accessor's bidirectional stream; what it holds is what a file would.
struct Sink {
    std::stringstream stream{std::ios::in | std::ios::out | std::ios::binary};
    std::string Bytes() const { return stream.str(); }
};
