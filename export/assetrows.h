// assetrows.h - the data rows of the asset data file: an asset or a breakdown, item by item, with its checks.
#pragma once

#include <cstddef>
#include <cstdint>

#include "codeindex.h"
#include "hostfields.h"
#include "hosttypes.h"
#include "linklog.h"
#include "outputfiles.h"
#include "records.h"
#include "writerbase.h"

// Fills the G_INFO record of one row and writes it to the DataFile of files. Every problem of a
// value goes to the log as one entry; none stops the row. Codes are checked against the codes
// written before them in the run (codes).
class ClAssetRows {
public:
    ClAssetRows(ClInfoAccessor& info, ClOutputFiles& files, ClLinkLog& log, ClCodeIndex& codes);
    ClAssetRows(const ClAssetRows&) = delete;
    ClAssetRows& operator=(const ClAssetRows&) = delete;

    // One asset row, or one breakdown row when the master's method code is 4 (breakdown is read
    // only then, yearly only otherwise); nothing without the records it needs.
    void WriteAssetRow(const StKOTEISHISANINFO* master, const StKOTEINENINFO* yearly,
                       const StIKKATSUINFO* breakdown);

    // The column text of an amount, in a buffer the next call overwrites.
    const char* FormatAmount(const tagCY* amount);
    // Items 14 (quantity) and 15 (unit) of the data row from a text such as 3台.
    void ParseQuantity(const char* quantityText);
    // 1 when every byte of code is in the class kind (3: ASCII letters and digits, 2: letters).
    static int CheckCodeChars(short kind, const char* code);

    // An amount column: twelve characters and the terminator.
    enum { kAmountColumnBytes = 13 };

private:
    typedef StField<sizeof(StKOTEISHISANINFO::assetCode)> StAssetCode;

    // The two kinds of row.
    void WriteAssetItems(const StKOTEISHISANINFO& m, const StKOTEINENINFO& y, const StAssetCode& assetCode,
                         const char* code);
    void WriteBreakdownItems(const StKOTEISHISANINFO& m, const StIKKATSUINFO& b, const StAssetCode& assetCode,
                             char* code);

    // The steps of an asset row, in item order (the log's entries follow it).
    void AssetCodeItem(const StAssetCode& assetCode, const char* code);
    void KindItems(const StKOTEISHISANINFO& m);
    void DescriptionItems(const StKOTEISHISANINFO& m);
    void DepreciationItems(const StKOTEISHISANINFO& m);
    void YearItems(const StKOTEISHISANINFO& m, const StKOTEINENINFO& y);
    void CurrentItems(const StKOTEISHISANINFO& m, const StKOTEINENINFO& y);
    void DisposalItems(const StKOTEISHISANINFO& m);
    void MemoItems(const StKOTEISHISANINFO& m);
    // Items 70, 71, 84, 85, 87 and 88, the same in both kinds of row.
    void ShareItems(const StKOTEISHISANINFO& m);

    // The item setters: each writes its item whole and shows it.
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

    ClInfoAccessor& m_info;
    ClTextFile& m_dataFile;
    ClOutputFiles& m_files;
    ClLinkLog& m_log;
    ClCodeIndex& m_codes;
    char m_amountText[64];
};
