// ledgercore.h - the host's ledger objects (library ledgercore).
#pragma once

#include <cstddef>
#include <cstdint>

#include "hosttypes.h"
#include "records.h"

class ClSetMgr;
class ClOptLink;

// One saved column order: the key (a format table's name) and its item indices.
struct StTEXTIOSAVEINFO {
    char name[10];
    int16_t count;
    int32_t items[256];
};
static_assert(sizeof(StTEXTIOSAVEINFO) == 1036, "StTEXTIOSAVEINFO is 1036 bytes");
static_assert(offsetof(StTEXTIOSAVEINFO, count) == 10, "count follows the name");
static_assert(offsetof(StTEXTIOSAVEINFO, items) == 12, "items follow the count");

// Base of the host's saved-settings objects: binds a settings manager and a data set.
class ClSaveBase {
public:
    ClSaveBase();
    virtual ~ClSaveBase();
    long AttachSetMgr(ClSetMgr* mgr);
    // id: the data set's identifier, the first kDataIdBytes bytes at that address.
    long SetCurDataID(const unsigned char* id);

protected:
    ClSetMgr* m_setMgr;
    unsigned char m_dataId[kDataIdBytes];
    bool m_hasDataId;
};

// Saved column orders of the text accessor, kept per data set and table name.
class ClSaveTextIO : public ClSaveBase {
public:
    ClSaveTextIO();
    ~ClSaveTextIO() override;
    // Fills info (count and items) for info->name; 0 when found, non-zero otherwise.
    long GetData(StTEXTIOSAVEINFO* info);
    // Keeps info under info->name, replacing an earlier entry; 0 on success.
    long SetData(const StTEXTIOSAVEINFO* info);
};

// The package's current user and the data set selected for it.
class ClSysUser {
public:
    // Copies the NUL-terminated user identifier (at most 64 bytes) into a 65-byte buffer; 0 on success.
    long GetCurUserID(char* userId);
    // The user's current selection; dataSetNo equals the dataNo of the selected data set. 0 on
    // success; non-zero for an unknown user, the outputs then unchanged.
    long GetSelectedNo(const char* userId, long* selectionNo, long* dataSetNo);
};

// The list of data sets (one company's books for one period each).
class ClSetData {
public:
    // The selected data set's record; never null, all zero when no data set of the list is selected.
    StDATAINFO* GetSelectedInfo();
    // A walk over the list: get a cursor (preset 0), make it ready with 0, call WalkDat until it
    // answers non-zero (0 = a record was delivered into the 1,506-byte record), release the cursor.
    long GetDatCursor(long* cursor);
    long ReadyDat(long cursor, long mode);
    long WalkDat(StDATAINFO* record, long cursor);
    long ReleaseDatCursor(long cursor);
};

// Database helpers of the package.
class ClUtyDBHpr {
public:
    static ClUtyDBHpr* Inst();
    // Printable form of a data-set identifier (its kDataIdBytes leading bytes), NUL-terminated in
    // a 35-byte buffer; 0 on success.
    long MakeIDStr(const char* id, char* text);

private:
    ClUtyDBHpr();
};

// A search condition of rule objects; the program passes none.
struct StFINDINFO;

enum _RuleGenkashokyaku_SortType { SortHostOrder = 0 };
enum _RuleGenkashokyaku_MoveReady_SumType { SumNone = 0 };

class ClRuleState;

// Base of the package's rule objects: binds settings manager, data set and link options.
class ClRuleBase {
public:
    ClRuleBase();
    virtual ~ClRuleBase();
    virtual long AttachSetMgr(ClSetMgr* mgr);
    // id: the data set's identifier, the first kDataIdBytes bytes at that address.
    long SetCurDataID(const char* id);
    long AttachOptLink(ClOptLink* link);

protected:
    ClSetMgr* m_setMgr;
    char m_dataId[kDataIdBytes];
    bool m_hasDataId;
    ClOptLink* m_optLink;
};

// The depreciation rule object: the fixed assets, lump-sum breakdowns and asset categories of the
// bound data set. Every call answers 0 for success; a failing call leaves counts 0 and records
// zero-filled.
class ClRuleGenkashokyaku : public ClRuleBase {
public:
    ClRuleGenkashokyaku();
    ~ClRuleGenkashokyaku() override;
    long AttachSetMgr(ClSetMgr* mgr) override;
    ClRuleGenkashokyaku(const ClRuleGenkashokyaku&) = delete;
    ClRuleGenkashokyaku& operator=(const ClRuleGenkashokyaku&) = delete;

    // Selects every fixed asset in the host's order; only (null, SortHostOrder, SumNone) is known.
    long MoveReady(StFINDINFO* find, _RuleGenkashokyaku_SortType sort, _RuleGenkashokyaku_MoveReady_SumType sum);
    long GetCount(long* count);
    // Fills the three records of the asset at index (0 to count - 1).
    long Move(long index, StKOTEISHISANINFO* master, StKOTEINENINFO* yearly, StKOTEITSUKIINFO* monthly);
    // Selects the breakdown records of the lump-sum asset whose 16-byte key is given.
    long MoveReadyIkkatsu(unsigned char* assetKey);
    long GetIkkatsuCount(long* count);
    long MoveIkkatsu(long index, StIKKATSUINFO* breakdown);
    long MoveFinishIkkatsu();
    // An array of count asset categories from TaskMemAlloc (null when there are none); the caller
    // frees it with TaskMemFree.
    long LoadShisanKubunInfo(StSHISANKUBUNINFO** categories, long* count);
    // Ends the walk; called once before deletion.
    long MoveFinish();

private:
    ClRuleState* m_state;
};
