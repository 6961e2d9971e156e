// textreader_fuzz.cpp - the text accessor's reading in every mode, quote setting and comment rule.
#include <cstddef>
#include <cstdint>
#include <cstring>
#include <sstream>
#include <string>

#include "fuzz_helpers.h"
#include "table_helpers.h"
#include "textaccessor.h"

namespace {

struct StRECORD {
    char text[9];
    char name[21];
    int64_t amount;
    int32_t number;
    int16_t small;
    char last[5];
};

}  // namespace

// The first three bytes choose the mode, the quote setting and the reading flags; the rest is the file.
extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    if (size < 3) return 0;
    const StTAFORMAT table[] = {
        Col("T", 8, ItemText, offsetof(StRECORD, text), 9, 0, data[2] & 1),
        Col("N", 20, ItemText, offsetof(StRECORD, name), 21, 0, 0),
        Col("A", 12, ItemSigned, offsetof(StRECORD, amount), 8, 2, 0),
        Col("I", 6, ItemSigned, offsetof(StRECORD, number), 4, 0, 0),
        Col("S", 4, ItemUnsigned, offsetof(StRECORD, small), 2, 0, 0),
        Col("L", 4, ItemText, offsetof(StRECORD, last), 5, 0, 0),
    };
    StRECORD record;
    std::memset(&record, 0, sizeof record);
    std::stringstream stream(std::string(reinterpret_cast<const char*>(data) + 3, size - 3));
    ClTextAccessor accessor("FUZZ", table, 6, &record);
    accessor.Attach(&stream);
    accessor.SetMode(static_cast<_Delimiter>(data[0] % 5), static_cast<_Quote>(data[1] % 4));
    accessor.SetSpaceFlag(data[2] >> 1 & 1);
    accessor.SetCommentMark(data[2] & 4 ? ";" : data[2] & 8 ? "" : nullptr);
    accessor.SetCommentSkip(data[2] >> 4 & 1);
    long physical = 0;
    for (int reads = 0; reads < 100000; ++reads) {
        const long r = accessor.Read();
        FUZZ_CHECK(r >= 0 && r <= 3);
        FUZZ_CHECK(accessor.GetPhysicalLineNo() >= physical);
        FUZZ_CHECK(accessor.GetLogicalLineNo() <= accessor.GetPhysicalLineNo());
        physical = accessor.GetPhysicalLineNo();
        // Texts stay terminated inside their fields.
        FUZZ_CHECK(strnlen(record.text, sizeof record.text) < sizeof record.text);
        FUZZ_CHECK(strnlen(record.name, sizeof record.name) < sizeof record.name);
        if (r == 1) {
            FUZZ_CHECK(accessor.Read() == 1);  // after the end, the end
            break;
        }
    }
    return 0;
}
