// ledger.cpp - reading and checking the ledger files; every problem names its file and line.
#include "ledger.h"
#include "osapi.h"
#include "winpath.h"

#include <algorithm>
#include <cstddef>
#include <cstring>

namespace {

std::string Quoted(const char* text, size_t n) { return "\"" + std::string(text, n) + "\""; }

// Anything of that name, so that an optional file that is a folder or a FIFO gets its message.
bool FileExists(const std::string& path) { return OsRuntimeFileKind(path.c_str(), true) != FileNone; }

std::string KeyText(const unsigned char* key) {
    const char* k = reinterpret_cast<const char*>(key);
    return Quoted(k, strnlen(k, kDataIdBytes));
}

bool KeyLess(const StLUMPINDEX& a, const StLUMPINDEX& b) { return std::memcmp(a.key, b.key, kDataIdBytes) < 0; }

#define MASTER(field) 0, static_cast<int>(offsetof(StKOTEISHISANINFO, field)), \
        static_cast<int>(sizeof(StKOTEISHISANINFO::field))
#define YEARLY(field) 1, static_cast<int>(offsetof(StKOTEINENINFO, field)), \
        static_cast<int>(sizeof(StKOTEINENINFO::field))

const StLEDGERCOLUMN kAssetColumns[] = {
    {"assetKey", ColKey, MASTER(assetKey)},
    {"assetCode", ColText, MASTER(assetCode)},
    {"assetTypeCode", ColInt32, MASTER(assetTypeCode)},
    {"assetName", ColText, MASTER(assetName)},
    {"quantityText", ColText, MASTER(quantityText)},
    {"memoText", ColText, MASTER(memoText)},
    {"disposalKind", ColInt16, MASTER(disposalKind)},
    {"capexText", ColText, MASTER(capexText)},
    {"acquisitionDate", ColDate, MASTER(acquisitionDate)},
    {"serviceDate", ColDate, MASTER(serviceDate)},
    {"acquisitionCost", ColAmount, MASTER(acquisitionCost)},
    {"compressionAmount", ColAmount, MASTER(compressionAmount)},
    {"openingBookValue", ColAmount, MASTER(openingBookValue)},
    {"methodCode", ColInt16, MASTER(methodCode)},
    {"usefulLife", ColInt16, MASTER(usefulLife)},
    {"rateThousandths", ColInt32, MASTER(rateThousandths)},
    {"residualRate", ColInt32, MASTER(residualRate)},
    {"limitInputFlag", ColUInt8, MASTER(limitInputFlag)},
    {"depreciableLimit", ColAmount, MASTER(depreciableLimit)},
    {"businessUseRatio", ColInt16, MASTER(businessUseRatio)},
    {"sgaShare", ColInt16, MASTER(sgaShare)},
    {"depMonthsFactor", ColInt16, MASTER(depMonthsFactor)},
    {"depMonthsDivisor", ColInt16, MASTER(depMonthsDivisor)},
    {"residualValue", ColAmount, MASTER(residualValue)},
    {"depreciationBase", ColAmount, MASTER(depreciationBase)},
    {"sgaAmount", ColAmount, MASTER(sgaAmount)},
    {"manufacturingAmount", ColAmount, MASTER(manufacturingAmount)},
    {"accumulatedDepreciation", ColAmount, MASTER(accumulatedDepreciation)},
    {"closingBookValue", ColAmount, MASTER(closingBookValue)},
    {"disposalDate", ColDate, MASTER(disposalDate)},
    {"salePrice", ColAmount, MASTER(salePrice)},
    {"monthsInputFlag", ColUInt8, MASTER(monthsInputFlag)},
    {"revisedCost", ColAmount, MASTER(revisedCost)},
    {"computedDepreciation", ColAmount, YEARLY(computedDepreciation)},
    {"specialDepreciation", ColAmount, YEARLY(specialDepreciation)},
    {"additionalDepreciation", ColAmount, YEARLY(additionalDepreciation)},
    {"currentDepreciationInput", ColInt64, YEARLY(currentDepreciationInput)},
};

#define BREAKDOWN(field) 0, static_cast<int>(offsetof(StIKKATSUINFO, field)), \
        static_cast<int>(sizeof(StIKKATSUINFO::field))
const StLEDGERCOLUMN kBreakdownColumns[] = {
    {"assetKey", ColKey, 1, 0, kDataIdBytes},
    {"breakdownNo", ColText, BREAKDOWN(breakdownNo)},
    {"breakdownName", ColText, BREAKDOWN(breakdownName)},
    {"breakdownAcquisitionDate", ColDate, BREAKDOWN(breakdownAcquisitionDate)},
    {"breakdownCost", ColAmount, BREAKDOWN(breakdownCost)},
    {"breakdownQuantity", ColHundredths, BREAKDOWN(breakdownQuantity)},
};

#define CATEGORY(field) 0, static_cast<int>(offsetof(StSHISANKUBUNINFO, field)), \
        static_cast<int>(sizeof(StSHISANKUBUNINFO::field))
const StLEDGERCOLUMN kCategoryColumns[] = {
    {"categoryCode", ColInt32, CATEGORY(categoryCode)},
    {"categoryName", ColText, CATEGORY(categoryName)},
    {"categoryMethod", ColInt16, CATEGORY(categoryMethod)},
    {"categoryResidual", ColInt32, CATEGORY(categoryResidual)},
};

#define DATASET(field) 0, static_cast<int>(offsetof(StDATAINFO, field)), static_cast<int>(sizeof(StDATAINFO::field))
const StLEDGERCOLUMN kDataSetColumns[] = {
    {"dataNo", ColInt32, DATASET(dataNo)},
    {"dataId", ColKey, DATASET(dataId)},
    {"companyName", ColText, DATASET(companyName)},
    {"periodStart", ColDate, DATASET(periodStart)},
    {"periodEnd", ColDate, DATASET(periodEnd)},
    {"dataKind", ColInt16, DATASET(dataKind)},
    {"entityKind", ColUInt8, DATASET(entityKind)},
};

struct StSESSION {
    char userId[65];
    int32_t selectionNo;
    int32_t dataSetNo;
    char folder0[261];
    char folder1[261];
};
#define SESSION(field) 0, static_cast<int>(offsetof(StSESSION, field)), static_cast<int>(sizeof(StSESSION::field))
const StLEDGERCOLUMN kSessionColumns[] = {
    {"userId", ColText, SESSION(userId)},
    {"selectionNo", ColInt32, SESSION(selectionNo)},
    {"dataSetNo", ColInt32, SESSION(dataSetNo)},
    {"outputFolder", ColText, SESSION(folder0)},
    {"settingsFolder", ColText, SESSION(folder1)},
};

struct StFAULTROW {
    char operation[32];
    int32_t result;
    int32_t index;
};
#define FAULT(field) 0, static_cast<int>(offsetof(StFAULTROW, field)), static_cast<int>(sizeof(StFAULTROW::field))
const StLEDGERCOLUMN kFaultColumns[] = {
    {"operation", ColText, FAULT(operation)},
    {"result", ColInt32, FAULT(result)},
    {"index", ColInt32, FAULT(index)},
};

template <size_t N>
long CountOf(const StLEDGERCOLUMN (&)[N]) {
    return static_cast<long>(N);
}

}  // namespace

const StLEDGERCOLUMN* ClLedger::AssetColumns(long* count) {
    *count = CountOf(kAssetColumns);
    return kAssetColumns;
}

const StLEDGERCOLUMN* ClLedger::BreakdownColumns(long* count) {
    *count = CountOf(kBreakdownColumns);
    return kBreakdownColumns;
}

std::string ClLedger::Path(const std::string& name) const {
    std::string path = m_folder;
    if (!path.empty() && path.back() != '/' && path.back() != '\\') path += '/';
    return path + name;
}

bool ClLedger::Fail(const std::string& message) {
    m_message = message;
    return false;
}

bool ClLedger::Load(const std::string& folder) {
    m_folder = folder;
    m_message.clear();
    m_sets.clear();
    userId.clear();
    selectionNo = dataSetNo = 0;
    folders[0].clear();
    folders[1].clear();
    for (auto& f : faults) f = StLEDGERFAULT{0, -1};
    if (!LoadSession() || !LoadFaults() || !LoadSets()) return false;
    for (auto& set : m_sets)
        if (!LoadAssets(set) || !LoadBreakdowns(set) || !LoadCategories(set)) return false;
    return true;
}

bool ClLedger::LoadSession() {
    ClLedgerReader reader;
    if (reader.Open(Path("session.csv"), kSessionColumns, CountOf(kSessionColumns)) != 0)
        return Fail(reader.Message());
    StSESSION s;
    std::memset(&s, 0, sizeof s);
    void* targets[] = {&s};
    long r = reader.Next(targets);
    if (r < 0) return Fail(reader.Message());
    if (r == 1) return Fail(Path("session.csv") + ": no data row (one row with the user and selection expected)");
    if (s.userId[0] == '\0') return Fail(Path("session.csv") + " line " + std::to_string(reader.Line()) +
                                         ": column userId: the user identifier is empty");
    const long line = reader.Line();
    StSESSION extra;
    void* more[] = {&extra};
    r = reader.Next(more);
    if (r < 0) return Fail(reader.Message());
    if (r == 0) return Fail(Path("session.csv") + " line " + std::to_string(reader.Line()) +
                            ": a second data row (only one is allowed)");
    userId = s.userId;
    selectionNo = s.selectionNo;
    dataSetNo = s.dataSetNo;
    const char* given[2] = {s.folder0, s.folder1};
    for (int kind = 0; kind < 2; ++kind) {
        std::string f = given[kind];
        if (kind == 1 && f.empty())
            return Fail(Path("session.csv") + " line " + std::to_string(line) +
                        ": column settingsFolder: the settings folder is empty");
        if (!f.empty() && !EndsInBackslash(f.c_str())) f += '\\';
        if (f.size() > 260)
            return Fail(Path("session.csv") + " line " + std::to_string(line) + ": column " +
                        kSessionColumns[3 + kind].name + ": the folder with its closing backslash is longer than 260 bytes");
        folders[kind] = f;
    }
    return true;
}

bool ClLedger::LoadFaults() {
    const std::string path = Path("faults.csv");
    if (!FileExists(path)) return true;
    ClLedgerReader reader;
    if (reader.Open(path, kFaultColumns, CountOf(kFaultColumns)) != 0) return Fail(reader.Message());
    static const char* const names[FaultCount] = {"Initiate", "ExpSysLink", "Move", "MoveIkkatsu",
                                                  "LoadShisanKubunInfo"};
    for (;;) {
        StFAULTROW row;
        std::memset(&row, 0, sizeof row);
        void* targets[] = {&row};
        const long r = reader.Next(targets);
        if (r < 0) return Fail(reader.Message());
        if (r == 1) return true;
        const std::string at = path + " line " + std::to_string(reader.Line()) + ": ";
        int which = -1;
        for (int i = 0; i < FaultCount; ++i)
            if (std::strcmp(row.operation, names[i]) == 0) which = i;
        if (which < 0)
            return Fail(at + "column operation: \"" + row.operation +
                        "\" is none of Initiate, ExpSysLink, Move, MoveIkkatsu, LoadShisanKubunInfo");
        if (row.result == 0) return Fail(at + "column result: a fault needs a non-zero result");
        const bool indexed = which == FaultMove || which == FaultMoveIkkatsu;
        if (reader.CellLength(2) != 0 && (!indexed || row.index < 0))
            return Fail(at + "column index: only Move and MoveIkkatsu take an index, 0 or more");
        faults[which] = StLEDGERFAULT{row.result, reader.CellLength(2) != 0 ? static_cast<long>(row.index) : -1};
    }
}

bool ClLedger::LoadSets() {
    const std::string path = Path("datasets.csv");
    ClLedgerReader reader;
    if (reader.Open(path, kDataSetColumns, CountOf(kDataSetColumns)) != 0) return Fail(reader.Message());
    for (;;) {
        StLEDGERSET set;
        std::memset(&set.info, 0, sizeof set.info);
        set.assetCount = 0;
        void* targets[] = {&set.info};
        const long r = reader.Next(targets);
        if (r < 0) return Fail(reader.Message());
        if (r == 1) return true;
        const std::string at = path + " line " + std::to_string(reader.Line()) + ": ";
        if (set.info.dataNo < 0) return Fail(at + "column dataNo: a data-set number is 0 or more");
        if (set.info.dataId[0] == '\0') return Fail(at + "column dataId: the identifier is empty");
        for (const auto& other : m_sets) {
            if (other.info.dataNo == set.info.dataNo)
                return Fail(at + "column dataNo: " + std::to_string(set.info.dataNo) + " is used twice");
            if (std::memcmp(other.info.dataId, set.info.dataId, kDataIdBytes) == 0)
                return Fail(at + "column dataId: " + KeyText(reinterpret_cast<unsigned char*>(set.info.dataId)) +
                            " is used twice");
        }
        const std::string no = std::to_string(set.info.dataNo);
        set.assetsPath = Path("assets-" + no + ".csv");
        set.breakdownsPath = Path("breakdowns-" + no + ".csv");
        m_sets.push_back(set);
    }
}

bool ClLedger::LoadAssets(StLEDGERSET& set) {
    ClLedgerReader reader;
    if (reader.Open(set.assetsPath, kAssetColumns, CountOf(kAssetColumns)) != 0) return Fail(reader.Message());
    StKOTEISHISANINFO master;
    StKOTEINENINFO yearly;
    void* targets[] = {&master, &yearly};
    for (;;) {
        std::memset(&master, 0, sizeof master);
        std::memset(&yearly, 0, sizeof yearly);
        const long r = reader.Next(targets);
        if (r < 0) return Fail(reader.Message());
        if (r == 1) break;
        ++set.assetCount;
        if (master.methodCode != 4) continue;
        if (master.assetKey[0] == '\0')
            return Fail(set.assetsPath + " line " + std::to_string(reader.Line()) +
                        ": column assetKey: a lump-sum asset (methodCode 4) needs a key for its breakdowns");
        StLUMPINDEX lump;
        std::memcpy(lump.key, master.assetKey, kDataIdBytes);
        lump.firstRow = 0;
        lump.count = 0;
        lump.line = static_cast<int32_t>(reader.Line());
        set.lumps.push_back(lump);
    }
    std::stable_sort(set.lumps.begin(), set.lumps.end(), KeyLess);
    for (size_t i = 1; i < set.lumps.size(); ++i)
        if (!KeyLess(set.lumps[i - 1], set.lumps[i]))
            return Fail(set.assetsPath + " line " + std::to_string(set.lumps[i].line) + ": column assetKey: " +
                        KeyText(set.lumps[i].key) + " of a lump-sum asset is used before, at line " +
                        std::to_string(set.lumps[i - 1].line));
    return true;
}

bool ClLedger::LoadBreakdowns(StLEDGERSET& set) {
    if (!FileExists(set.breakdownsPath)) {
        set.breakdownsPath.clear();
        return true;
    }
    ClLedgerReader reader;
    if (reader.Open(set.breakdownsPath, kBreakdownColumns, CountOf(kBreakdownColumns)) != 0)
        return Fail(reader.Message());
    std::vector<StLUMPINDEX> groups;
    StIKKATSUINFO breakdown;
    unsigned char key[kDataIdBytes];
    void* targets[] = {&breakdown, key};
    for (long row = 0;; ++row) {
        std::memset(&breakdown, 0, sizeof breakdown);
        const long r = reader.Next(targets);
        if (r < 0) return Fail(reader.Message());
        if (r == 1) break;
        if (key[0] == '\0')
            return Fail(set.breakdownsPath + " line " + std::to_string(reader.Line()) +
                        ": column assetKey: the key of the lump-sum asset is empty");
        if (groups.empty() || std::memcmp(groups.back().key, key, kDataIdBytes) != 0) {
            StLUMPINDEX g;
            std::memcpy(g.key, key, kDataIdBytes);
            g.firstRow = static_cast<int32_t>(row);
            g.count = 0;
            g.line = static_cast<int32_t>(reader.Line());
            groups.push_back(g);
        }
        ++groups.back().count;
    }
    std::stable_sort(groups.begin(), groups.end(), KeyLess);
    for (size_t i = 0; i < groups.size(); ++i) {
        const std::string at = set.breakdownsPath + " line " + std::to_string(groups[i].line) + ": ";
        if (i > 0 && !KeyLess(groups[i - 1], groups[i]))
            return Fail(at + "the breakdowns of " + KeyText(groups[i].key) +
                        " must stand together; they began before at line " + std::to_string(groups[i - 1].line));
        StLUMPINDEX* lump = const_cast<StLUMPINDEX*>(FindLump(set, groups[i].key));
        if (!lump)
            return Fail(at + "column assetKey: no lump-sum asset (methodCode 4) of " + set.assetsPath +
                        " has the key " + KeyText(groups[i].key));
        lump->firstRow = groups[i].firstRow;
        lump->count = groups[i].count;
    }
    return true;
}

bool ClLedger::LoadCategories(StLEDGERSET& set) {
    const std::string path = Path("categories-" + std::to_string(set.info.dataNo) + ".csv");
    if (!FileExists(path)) return true;
    ClLedgerReader reader;
    if (reader.Open(path, kCategoryColumns, CountOf(kCategoryColumns)) != 0) return Fail(reader.Message());
    for (;;) {
        StSHISANKUBUNINFO category;
        std::memset(&category, 0, sizeof category);
        void* targets[] = {&category};
        const long r = reader.Next(targets);
        if (r < 0) return Fail(reader.Message());
        if (r == 1) return true;
        set.categories.push_back(category);
    }
}

const StLEDGERSET* ClLedger::FindSet(const char* dataId) const {
    if (!dataId) return nullptr;
    for (const auto& set : m_sets)
        if (std::memcmp(set.info.dataId, dataId, kDataIdBytes) == 0) return &set;
    return nullptr;
}

const StLEDGERSET* ClLedger::FindSetNo(long dataNo) const {
    for (const auto& set : m_sets)
        if (set.info.dataNo == dataNo) return &set;
    return nullptr;
}

const StLUMPINDEX* ClLedger::FindLump(const StLEDGERSET& set, const unsigned char* key) const {
    StLUMPINDEX probe;
    std::memcpy(probe.key, key, kDataIdBytes);
    auto it = std::lower_bound(set.lumps.begin(), set.lumps.end(), probe, KeyLess);
    if (it == set.lumps.end() || std::memcmp(it->key, key, kDataIdBytes) != 0) return nullptr;
    return &*it;
}
