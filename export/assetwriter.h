// assetwriter.h - the output half of the exporter: the owner of the accessors, the files and the parts.
#pragma once

#include <cstddef>

#include "assetrows.h"
#include "codeindex.h"
#include "hosttypes.h"
#include "linklog.h"
#include "outputfiles.h"
#include "records.h"
#include "writerbase.h"

// The writer holds the four accessors, the three files and the written-codes index; its members
// hand the work to the part that does it: the files (outputfiles.h), the log (linklog.h), the data
// rows (assetrows.h), the data file's head (dataheader.h) and the type file (typefile.h).
class ClAssetWriter {
public:
    ClAssetWriter();
    virtual ~ClAssetWriter();
    ClAssetWriter(const ClAssetWriter&) = delete;
    ClAssetWriter& operator=(const ClAssetWriter&) = delete;

    // The name of the link error log, which lies beside the data file; set before the log is
    // opened (without one the log is not opened).
    void SetLogName(const char* name) { m_files.SetLogName(name); }
    // Opens one _OutputFile, created or replaced when whole; 1 when open, 0 when not (1 for other
    // values).
    int OpenFile(short file, const char* path) { return m_files.Open(file, path); }
    // Closes one _OutputFile (a log without entries is discarded, not put in place); 1 always.
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
    int CheckCodeChars(short kind, const char* code) { return ClAssetRows::CheckCodeChars(kind, code); }
    // 0 new (now registered), 1 registered before, 2 its first six bytes were registered before.
    short RegisterCode(const char* code) { return m_codes.Register(code); }
    // Room in the written-codes index for that many codes, and the bytes it takes.
    void ReserveCodes(size_t codes) { m_codes.Reserve(codes); }
    size_t CodeIndexBytes() const { return m_codes.Bytes(); }

    // The column text of an amount, in a buffer the next call overwrites.
    const char* FormatAmount(const tagCY* amount) { return m_rows.FormatAmount(amount); }
    // Items 14 (quantity) and 15 (unit) of the data row from a text such as 3台.
    void ParseQuantity(const char* quantityText) { m_rows.ParseQuantity(quantityText); }

    // 1 once a file could not be opened or a line was not taken by its stream.
    int HadOutputFailure() const { return m_files.Failed() != 0 ? 1 : 0; }
    // Which files failed so: the Failed... bits of outputfiles.h.
    int FailedFiles() const { return m_files.Failed(); }
    // How many entries this run made for the link error log, what the log it put in place is (all
    // zero until it is in place, and for a log without entries, which is never put in place), and
    // what lay at the log's name before: the closing report judges the log by them.
    long LogEntries() const { return m_log.Entries(); }
    const StFILEID& PlacedLog() const { return m_files.Log().Placed(); }
    const StFILEID& PreviousLog() const { return m_files.Log().Previous(); }

    // The data-row accessor and its record, for callers that inspect a converted row.
    ClTextAccessor& InfoAccessor() { return m_info; }
    const unsigned char* InfoRecord() { return m_info.Record(); }

private:
    ClInfoAccessor m_info;
    ClHeadAccessor m_head;
    ClHeaderAccessor m_header;
    ClSscAccessor m_ssc;
    ClOutputFiles m_files;
    ClCodeIndex m_codes;  // the written-codes list
    ClLinkLog m_log;
    ClAssetRows m_rows;
};
