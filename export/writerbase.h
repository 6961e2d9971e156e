// writerbase.h - what the writer's parts build on: the table accessors, a one-item line, the separator mend.
#pragma once

#include <cstddef>
#include <cstring>

#include "formattables.h"
#include "textaccessor.h"
#include "textfile.h"

// An accessor bound to one table, with the record buffer it renders from.
template <size_t Bytes>
class ClTableAccessor : public ClTextAccessor {
public:
    ClTableAccessor(const char* name, const StTAFORMAT* table, long count)
        : ClTextAccessor(name, table, count, m_record), m_record() {}
    ~ClTableAccessor() override {}
    unsigned char* Record() { return m_record; }
    void ClearRecord() { std::memset(m_record, 0, Bytes); }

private:
    unsigned char m_record[Bytes];
};

typedef ClTableAccessor<kInfoRecordBytes> ClInfoAccessor;      // G_INFO: the data rows
typedef ClTableAccessor<kHeadRecordBytes> ClHeadAccessor;      // G_HEAD: the column-name line
typedef ClTableAccessor<kHeaderRecordBytes> ClHeaderAccessor;  // G_HEADER: every one-item line
typedef ClTableAccessor<kSscRecordBytes> ClSscAccessor;        // G_SSC: the type file's rows

// One G_HEADER line of text to file (a header line of either file, or a log entry): at most its
// 152 bytes, of whole characters, so that a long text never ends in half a character. The
// accessor's answer: 0 when the file took the line.
long WriteLine(ClTextFile& file, ClHeaderAccessor& header, const char* text);

// Comma -> "､", CR and LF -> blank in a terminated text; true when anything was replaced.
bool MendSeparators(unsigned char* text);
