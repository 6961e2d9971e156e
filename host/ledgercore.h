// ledgercore.h - the host's ledger objects (library ledgercore).
#pragma once

#include <cstddef>
#include <cstdint>

#include "hosttypes.h"

class ClSetMgr;

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
