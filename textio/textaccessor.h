// textaccessor.h - renders record buffers as text rows by a column format table, and reads them back.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <iosfwd>

#include "hosttypes.h"

// Item types of a column.
enum { ItemText = 0, ItemSigned = 1, ItemUnsigned = 2 };

// One column item of a format table; compiled-in tables depend on this exact layout.
struct StTAFORMAT {
    char name[36];      // item name, written as the column title
    int32_t width;      // output width in bytes, at most 1023
    int32_t decimals;   // fraction digits of 8-byte signed and of unsigned items, 0 to 4
    int32_t offset;     // byte offset of the value in the record buffer
    int32_t size;       // value size: text buffer incl. NUL, or 1, 2, 4, 8
    int32_t type;       // ItemText, ItemSigned or ItemUnsigned
    int32_t required;   // reading only: 1 = the item must be present
};
static_assert(sizeof(StTAFORMAT) == 60, "StTAFORMAT is 60 bytes");
static_assert(offsetof(StTAFORMAT, width) == 36 && offsetof(StTAFORMAT, decimals) == 40 &&
                  offsetof(StTAFORMAT, offset) == 44 && offsetof(StTAFORMAT, size) == 48 &&
                  offsetof(StTAFORMAT, type) == 52 && offsetof(StTAFORMAT, required) == 56,
              "StTAFORMAT field offsets");

// One entry of an order list: an index into the format table.
struct StTAORDER {
    int32_t item;
};
static_assert(sizeof(StTAORDER) == 4, "StTAORDER is one int32");

enum _Delimiter { Fixed = 1, Comma = 2, Tab = 3, Space = 4 };
enum _Quote { NoQuote = 0, SingleQuote = 1, DoubleQuote = 2 };

// Where one item lies in a line being read; start is null for an absent item.
struct StREADOFFSETINFO {
    char* start;
    int32_t length;
};

class ClSaveTextIO;
struct StTEXTIOSAVEINFO;

class ClTextAccessor {
public:
    enum { kMaxItems = 200, kLineBytes = 1024, kMaxReadItems = 100, kRowBytes = 4096 };

    // Keeps the four values (none copied but the table) and makes a working copy of the table.
    ClTextAccessor(const char* formatName, const StTAFORMAT* table, long count, void* record);
    virtual ~ClTextAccessor();
    ClTextAccessor(const ClTextAccessor&) = delete;
    ClTextAccessor& operator=(const ClTextAccessor&) = delete;

    // Fixed with a quote is refused (-1003, recorded); otherwise stores both (0, recorded).
    long SetMode(_Delimiter delimiter, _Quote quote);
    // Binds the stream every later row goes to or comes from; records success.
    long Attach(std::iostream* stream);

    void SetSelectFlag(int flag) { m_selectFlag = flag; }
    void SetSpaceFlag(int flag) { m_spaceFlag = flag; }
    void SetCommentMark(const char* mark) { m_commentMark = mark; }
    void SetCommentSkip(int skip) { m_commentSkip = skip; }

    long SetOrder(StTAORDER* order, long count);
    StTAORDER* GetOrder() { return m_order; }
    long GetOrderCount() const { return m_orderCount; }
    StTAFORMAT* GetFormat() { return m_format; }
    long GetFormatCount() const { return m_formatCount; }

    // Mask per item index: 0 = value, 2 = one blank, other = empty. -1 for a bad index.
    long SetMask(long item, long value) {
        if (item < 0 || item >= m_formatCount) return -1;
        m_mask[item] = static_cast<unsigned char>(value & 0xFF);
        return 0;
    }
    long GetMask(long item) const;
    // The same mask for every item of the table.
    void SetAllMasks(long value);

    // Moves count items from start so that the first lands at dest (cyclic in the block); 1 = refused.
    long RotateFormat(long start, long dest, long count);
    void ResetRotate();

    // Keep the order list with the host's saved settings under the table's name; 0 or -1.
    long LoadOrder(unsigned char* dataId);
    long SaveOrder(unsigned char* dataId);

    // Each writes one line ending in CR LF; 0 when the stream took it, -1 otherwise.
    long Write();
    long Write2(long lead);
    long ItemNameWrite();
    long ItemNameWrite2(long lead);
    int CommentWrite(char* text);

    // Reads the next data row into the record: 0 row, 1 end of file, 2 bad line, 3 comment line.
    long Read();
    void GetReadLine(char* dst) const;  // dst holds kLineBytes bytes
    // The same kLineBytes bytes in place, valid until the next Read.
    const char* ReadLineBytes() const { return m_readLine; }
    long GetPhysicalLineNo() const { return m_physicalLineNo; }
    long GetLogicalLineNo() const { return m_logicalLineNo; }

protected:
    long WriteItem(long item);
    long ReadItem(long pos, long item, char* start, long length);

private:
    ClSaveTextIO* _OpenSave(unsigned char* dataId, StTEXTIOSAVEINFO& info) const;
    // One item name into the row being rendered (a name row takes every item through it); 0.
    long WriteItemName(long item, long pos);
    bool UsesOrder(bool strictOrder) const;
    long RowItemCount(bool strictOrder) const;
    long RowItem(long pos, bool strictOrder) const;
    long WriteRow(long lead, bool names);
    void WriteMaskedRow(long count, char delimiter);
    void RenderItem(long item);
    void RenderValue(long item);
    void PutQuote();
    void ResumeWriting();
    bool StreamOk() const;
    void Put(const char* bytes, size_t n) {
        if (m_rowUsed + n > sizeof m_row) return PutLong(bytes, n);
        std::memcpy(m_row + m_rowUsed, bytes, n);
        m_rowUsed += n;
    }
    void PutChar(char c) {
        if (m_rowUsed == sizeof m_row) Flush();
        m_row[m_rowUsed++] = c;
    }
    void PutLong(const char* bytes, size_t n);
    void PutBlanks(size_t n);
    void Flush();

    long _RdNextRow(char* buffer, long size);
    long _RdCmntRow(char* buffer, long size);
    int _CheckIsCmntRow(const char* line) const;
    long _GetItemNum() const;
    long _GetItemNo(long pos) const;
    long _InitOfs_Fixed(char* line, long size, StREADOFFSETINFO* split);
    long _InitOfs_Comma(char* line, long size, StREADOFFSETINFO* split);
    long _InitOfs_Tab(char* line, long size, StREADOFFSETINFO* split);
    long _InitOfs_Space(char* line, long size, StREADOFFSETINFO* split);
    long CheckNumeric(const char* text, tagCY* value);

    std::iostream* m_stream;
    _Delimiter m_delimiter;
    _Quote m_quote;
    void* m_record;
    const char* m_formatName;
    const StTAFORMAT* m_sourceFormat;
    long m_formatCount;
    StTAORDER* m_order;
    long m_orderCount;
    unsigned char m_mask[kMaxItems];
    int m_selectFlag;
    int m_spaceFlag;
    const char* m_commentMark;
    int m_commentSkip;
    StTAFORMAT* m_format;
    char m_readLine[kLineBytes];
    long m_readLineBytes;  // bytes of the last line in m_readLine; zeros follow
    bool m_lineCut;        // the last line read was longer than m_readLine holds
    bool m_streamRead;     // the stream was read since the last row went to it
    long m_physicalLineNo;
    long m_logicalLineNo;
    // A row is rendered here and goes to the stream in one write; only a row longer than the
    // buffer goes in parts. A value is written once the buffer has room for the widest one.
    enum { kValueRoom = kLineBytes + 64 };
    char m_row[kRowBytes];
    size_t m_rowUsed;
};
