// hostfields.h - what the host's records hold where more than one part reads it: texts and the entity kind.
#pragma once

#include <cstddef>
#include <cstring>

#include "records.h"

// A text field of a host record, terminated even where the host filled it to the last byte; its
// length is known, so nobody counts it again.
template <size_t N>
struct StField {
    explicit StField(const char (&source)[N]) : length(strnlen(source, N)) {
        std::memcpy(text, source, length);
        text[length] = '\0';
    }
    size_t length;
    char text[N + 1];
};

// What the data set's entityKind says of the company: 0 and 1 a corporation, 3 and 4 an
// individual; any other value neither, and the header lines that would tell it stay empty.
enum _EntityKind { EntityUnknown, EntityCorporation, EntityIndividual };

inline _EntityKind EntityKindOf(const StDATAINFO& set) {
    if (set.entityKind == 0 || set.entityKind == 1) return EntityCorporation;
    if (set.entityKind == 3 || set.entityKind == 4) return EntityIndividual;
    return EntityUnknown;
}
