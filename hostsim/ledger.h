// ledger.h - the stand-in host's company ledger: a folder of Shift-JIS CSV files, checked once.
#pragma once

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "csvreader.h"
#include "hosttypes.h"
#include "records.h"

// How one CSV column becomes bytes of a host record.
struct StLEDGERCOLUMN {
    const char* name;
    int kind;    // one of the LedgerColumnKind values
    int target;  // which record of the row the value goes to (0, 1, ...)
    int offset;  // byte offset in that record
    int size;    // text: field bytes incl. the NUL (kKeyBytes: no NUL needed)
};

enum LedgerColumnKind {
    ColText = 0,   // NUL-terminated text of at most size - 1 bytes
    ColKey,        // up to size bytes, NUL-padded, no terminator needed
    ColUInt8,
    ColInt16,
    ColInt32,
    ColInt64,
    ColAmount,     // yen with up to 4 decimals, stored x 10000 (tagCY)
    ColDate,       // 0 or a valid yyyymmdd
    ColHundredths  // a quantity with up to 2 decimals, stored x 100 in an int32
};

// Sequential reader of one ledger file, its rows converted into host records. Rows are counted
// from 0; comment lines (";") and blank lines do not count.
class ClLedgerReader {
public:
    ClLedgerReader();

    // 0, or -1 with the message set when the file cannot be opened.
    long Open(const std::string& path, const StLEDGERCOLUMN* columns, long count);
    // Reads the next row and converts it into targets: 0 done, 1 end of file, -1 bad row (message set).
    long Next(void* const* targets);
    // Reads the row with that index, reopening when it lies behind: 0, 1 (no such row) or -1.
    long Seek(long row, void* const* targets);
    long CellLength(long column) const { return m_lengths[column]; }  // of the row just converted
    long Line() const { return m_csv.Line(); }                         // where the row just read starts
    long NextRow() const { return m_nextRow; }
    const std::string& Message() const { return m_message; }
    bool IsOpen() const { return m_csv.IsOpen(); }

private:
    long Fail(const std::string& what);

    std::string m_path;
    const StLEDGERCOLUMN* m_columns;
    long m_count;
    ClCsvReader m_csv;
    long m_nextRow;
    std::string m_message;
    int32_t m_lengths[ClCsvReader::kMaxCells];
};

// Where the breakdown records of one lump-sum asset lie in the breakdown file.
struct StLUMPINDEX {
    unsigned char key[kDataIdBytes];
    int32_t firstRow;
    int32_t count;
    int32_t line;  // line of the asset in the asset file, for messages
};

struct StLEDGERFAULT {
    long result;  // what the failing call answers
    long index;   // Move / MoveIkkatsu: only this index fails; -1 every call
};

// One data set of the ledger with what is needed to walk it; assets stay in their file.
struct StLEDGERSET {
    StDATAINFO info;
    long assetCount;
    std::string assetsPath;
    std::string breakdownsPath;  // empty when the data set has no breakdown file
    std::vector<StLUMPINDEX> lumps;  // sorted by key
    std::vector<StSHISANKUBUNINFO> categories;
};

// The whole ledger as the stand-in host keeps it in memory.
class ClLedger {
public:
    // Loads and checks the folder; false with Message() naming file and line on the first problem.
    bool Load(const std::string& folder);
    const std::string& Message() const { return m_message; }
    const std::string& Folder() const { return m_folder; }

    const StLEDGERSET* FindSet(const char* dataId) const;  // kDataIdBytes compared
    const StLEDGERSET* FindSetNo(long dataNo) const;
    const std::vector<StLEDGERSET>& Sets() const { return m_sets; }
    const StLUMPINDEX* FindLump(const StLEDGERSET& set, const unsigned char* key) const;

    std::string userId;
    long selectionNo = 0;
    long dataSetNo = 0;
    std::string folders[2];
    // Fault switches by operation; result 0 = no fault.
    enum { FaultInitiate, FaultExpSysLink, FaultMove, FaultMoveIkkatsu, FaultLoadShisanKubunInfo, FaultCount };
    StLEDGERFAULT faults[FaultCount] = {};

    static const StLEDGERCOLUMN* AssetColumns(long* count);
    static const StLEDGERCOLUMN* BreakdownColumns(long* count);

private:
    bool Fail(const std::string& message);
    bool LoadSession();
    bool LoadFaults();
    bool LoadSets();
    bool LoadAssets(StLEDGERSET& set);
    bool LoadBreakdowns(StLEDGERSET& set);
    bool LoadCategories(StLEDGERSET& set);
    std::string Path(const std::string& name) const;

    std::string m_folder;
    std::string m_message;
    std::vector<StLEDGERSET> m_sets;
};
