// assetwriter.h - the output half of the exporter: format accessors, the three files, rows and messages.
#pragma once

#include <cstddef>
#include <cstdint>
#include <cstring>

#include "codeindex.h"
#include "formattables.h"
#include "hosttypes.h"
#include "records.h"
#include "textaccessor.h"
#include "textfile.h"

// The three files of a run.
enum _OutputFile : short { DataFile = 0, TypeFile = 1, ErrorLog = 2 };

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

class ClAssetWriter {
public:
    ClAssetWriter();
    virtual ~ClAssetWriter();
    ClAssetWriter(const ClAssetWriter&) = delete;
    ClAssetWriter& operator=(const ClAssetWriter&) = delete;

    // The name of the link error log, which lies beside the data file; set before the log is
    // opened (without one the log is not opened).
    void SetLogName(const char* name);
    // Opens one _OutputFile, created or emptied; 1 when open, 0 when not (1 for other values).
    int OpenFile(short file, const char* path);
    // Closes one _OutputFile; 1 always.
    int CloseFile(short file);

    // The six header lines and the column-name line of the asset data file; 1.
    int WriteDataHeader(const StDATAINFO* set);
    // The 17 header lines of the asset type file; 1.
    int WriteTypeHeader(const StDATAINFO* set);
    // One row of the asset type file; 1.
    int WriteTypeRow(const StSHISANKUBUNINFO* category);

    // One asset row, or one breakdown row when the master's method code is 4; 1 always.
    int WriteAssetRow(StKOTEISHISANINFO* master, StKOTEINENINFO* yearly, StKOTEITSUKIINFO* monthly,
                      StIKKATSUINFO* breakdown);

    // One entry of the link error log, at most 152 bytes of whole characters; 1.
    int WriteLinkMessage(const char* text);
    // The entries for what the host could not hand over: the asset at position index of the run,
    // the breakdown at index of the lump-sum asset master, the asset categories; 1.
    int UnreadAssetMessage(long index);
    int UnreadBreakdownMessage(const StKOTEISHISANINFO* master, long index);
    int UnreadCategoriesMessage();
    // 1 when every byte of code is in the class kind (3: ASCII letters and digits, 2: letters).
    int CheckCodeChars(short kind, const char* code);
    // 0 new (now registered), 1 registered before, 2 its first six bytes were registered before.
    short RegisterCode(const char* code) { return m_codes.Register(code); }
    // Room in the written-codes index for that many codes, and the bytes it takes.
    void ReserveCodes(size_t codes) { m_codes.Reserve(codes); }
    size_t CodeIndexBytes() const { return m_codes.Bytes(); }

    // The column text of an amount, in a buffer the next call overwrites.
    const char* FormatAmount(const tagCY* amount);
    // Items 14 (quantity) and 15 (unit) of the data row from a text such as 3台.
    void ParseQuantity(const char* quantityText);

    // 1 once a file could not be opened or a line was not taken by its stream.
    int HadOutputFailure() const { return m_failedFiles != 0 ? 1 : 0; }
    // Which files failed so: bit 1 << _OutputFile for each.
    int FailedFiles() const { return m_failedFiles; }
    // How many entries this run made for the link error log, what the log it put in place is (all
    // zero until it is in place, and for a log without entries, which is never put in place), and
    // what lay at the log's name before: the closing report judges the log by them.
    long LogEntries() const { return m_logEntries; }
    const StFILEID& PlacedLog() const { return m_errorLog.Placed(); }
    const StFILEID& PreviousLog() const { return m_errorLog.Previous(); }

    // The data-row accessor and its record, for callers that inspect a converted row.
    ClTextAccessor& InfoAccessor() { return m_info; }
    const unsigned char* InfoRecord() { return m_info.Record(); }

private:
    enum { kMessageBytes = 2048, kPathBytes = 261, kAmountColumnBytes = 13 };

    void WriteAssetItems(const StKOTEISHISANINFO& master, const StKOTEINENINFO& yearly, const char* code);
    void WriteBreakdownItems(const StKOTEISHISANINFO& master, const StIKKATSUINFO& breakdown, const char* code);
    void AssetCode(const StKOTEISHISANINFO& master, char* code);
    void LinkMessage(const char* format, ...);
    // The entry for a text whose separators were mended.
    void SeparatorMessage(const char* text);
    // Comma -> "､", CR and LF -> blank in a terminated text; true when anything was replaced.
    static bool MendSeparators(unsigned char* text);
    void HeaderLine(ClTextFile& file, const char* text);
    void NoteWrite(short file, long result);
    void NoteFailure(short file) { m_failedFiles |= 1 << file; }
    short FileOf(const ClTextFile& file) const;
    ClTextFile* File(short file);

    void SetText(long item, const char* text);
    void SetName(const char* text, const char* message);
    void SetInt16(long item, int value);
    void SetInt32(long item, long value);
    void SetFixed(long item, tagCY value);
    void SetAmount(long item, tagCY amount);
    // The column text of an amount at out (kAmountColumnBytes), with its entry when it has too many
    // digits; returns its length. FormatAmount and SetAmount both render through it.
    size_t RenderAmount(tagCY amount, char* out);
    void Show(long item) { m_info.SetMask(item, 0); }

    ClTableAccessor<kInfoRecordBytes> m_info;
    ClTableAccessor<kHeadRecordBytes> m_head;
    ClTableAccessor<kHeaderRecordBytes> m_header;
    ClTableAccessor<kSscRecordBytes> m_ssc;
    ClTextFile m_dataFile;
    ClTextFile m_typeFile;
    ClTextFile m_errorLog;
    char m_logName[kPathBytes];
    long m_logEntries;
    ClCodeIndex m_codes;         // the written-codes list
    char m_amountText[64];
    int m_failedFiles;
};
