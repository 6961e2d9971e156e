// csvreader.h - the stand-in host's reader of Shift-JIS CSV files, as spreadsheets write them.
#pragma once

#include <cstdint>
#include <cstdio>
#include <memory>

// What ClCsvReader::Next found.
enum _CsvRead {
    CsvRow = 0,        // a data row; its cells stay valid until the next Next
    CsvEnd = 1,        // no more rows
    CsvMalformed = 2,  // a quote out of place or not closed, a NUL byte, too many cells or bytes
    CsvBareCr = 3,     // a carriage return outside quotes that no line feed follows
    CsvReadError = 4   // the file could not be read
};

// Rows of comma-separated cells. A cell in double quotes may hold commas, line breaks (CR LF, LF,
// CR) and quotes written twice; blanks around it are dropped. An unquoted cell loses the blanks
// before it and before the next comma (at the end of a line it keeps them) and may hold no quote
// mark or apostrophe. Lines starting with ';' (column titles) and blank lines are skipped.
// Nothing is allocated after Open: the file is read in blocks and cells point into the block.
class ClCsvReader {
public:
    // A cell holds a few bytes more than the longest field, so that a text one byte too long
    // still gets a message of its own from the caller.
    enum { kRowBytes = 1023, kCellBytes = 263, kMaxCells = 64 };

    ClCsvReader();
    ~ClCsvReader();
    ClCsvReader(const ClCsvReader&) = delete;
    ClCsvReader& operator=(const ClCsvReader&) = delete;

    // Opens the file at a path of the running system (closing one open before); false when it
    // cannot be opened.
    bool Open(const char* path);
    bool IsOpen() const { return m_file != nullptr; }

    _CsvRead Next();
    long Cells() const { return m_cellCount; }
    const char* Cell(long i) const { return m_cells[i].start; }  // not terminated
    long CellLength(long i) const { return m_cells[i].length; }
    // Physical line where the row just read (or refused) starts, counted from 1; every line break
    // counts, also one inside quotes.
    long Line() const { return m_rowLine; }

private:
    enum _Scan { ScanRow, ScanBlank, ScanMore, ScanMalformed, ScanBareCr };
    struct StCELL {
        char* start;
        int32_t length;  // text bytes, with each doubled quote counted once
        int32_t doubles;
    };
    _Scan ScanData(long* used, long* breaks);
    _Scan SkipComment(long* used);
    _Scan LineEnd(const char* p, const char* line, long* used) const;
    void Fill();
    void Close();

    std::FILE* m_file;
    std::unique_ptr<char[]> m_buffer;  // kBufferBytes and a NUL after the bytes read
    long m_begin;                      // first byte not yet taken
    long m_end;                        // end of the bytes read
    bool m_atEnd;                      // the file has no more bytes
    bool m_readError;
    bool m_inComment;                  // a comment line goes on beyond the bytes read
    long m_line;                       // physical lines taken so far
    long m_rowLine;
    StCELL m_cells[kMaxCells];
    long m_cellCount;
    long m_rowDoubles;  // quotes written twice in the row just scanned
};
