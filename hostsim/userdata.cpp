// userdata.cpp - the stand-in user, data-set list, identifier helper and folder service.
#include <cstdio>
#include <cstring>

#include "folderservice.h"
#include "hostsim.h"
#include "ledgercore.h"

long ClSysUser::GetCurUserID(char* userId) {
    const ClLedger* ledger = ClHostSim::Inst()->Ledger();
    if (!userId || !ledger) return -1;
    std::memset(userId, 0, 65);
    std::memcpy(userId, ledger->userId.data(), ledger->userId.size());  // at most 64, checked at load
    return 0;
}

long ClSysUser::GetSelectedNo(const char* userId, long* selectionNo, long* dataSetNo) {
    const ClLedger* ledger = ClHostSim::Inst()->Ledger();
    if (!ledger || !userId || ledger->userId != userId) return -1;
    if (selectionNo) *selectionNo = ledger->selectionNo;
    if (dataSetNo) *dataSetNo = ledger->dataSetNo;
    return 0;
}

StDATAINFO* ClSetData::GetSelectedInfo() {
    ClHostSim* sim = ClHostSim::Inst();
    std::memset(&sim->selected, 0, sizeof sim->selected);
    if (const ClLedger* ledger = sim->Ledger())
        if (const StLEDGERSET* set = ledger->FindSetNo(ledger->dataSetNo)) sim->selected = set->info;
    return &sim->selected;
}

long ClSetData::GetDatCursor(long* cursor) {
    ClHostSim* sim = ClHostSim::Inst();
    if (!cursor || !sim->Ledger()) return -1;
    size_t slot = 0;
    while (slot < sim->cursors.size() && sim->cursors[slot] != -1) ++slot;
    if (slot == sim->cursors.size()) sim->cursors.push_back(-1);
    sim->cursors[slot] = 0;
    *cursor = static_cast<long>(slot) + 1;
    return 0;
}

namespace {
long* CursorSlot(long cursor) {
    ClHostSim* sim = ClHostSim::Inst();
    if (cursor < 1 || static_cast<size_t>(cursor) > sim->cursors.size()) return nullptr;
    long* slot = &sim->cursors[static_cast<size_t>(cursor - 1)];
    return *slot == -1 ? nullptr : slot;
}
}  // namespace

long ClSetData::ReadyDat(long cursor, long mode) {
    long* slot = CursorSlot(cursor);
    if (!slot || mode != 0) return -1;
    *slot = 0;
    return 0;
}

long ClSetData::WalkDat(StDATAINFO* record, long cursor) {
    long* slot = CursorSlot(cursor);
    const ClLedger* ledger = ClHostSim::Inst()->Ledger();
    if (!slot || !record || !ledger) return -1;
    if (static_cast<size_t>(*slot) >= ledger->Sets().size()) return 1;
    *record = ledger->Sets()[static_cast<size_t>(*slot)].info;
    ++*slot;
    return 0;
}

long ClSetData::ReleaseDatCursor(long cursor) {
    long* slot = CursorSlot(cursor);
    if (!slot) return -1;
    *slot = -1;
    return 0;
}

ClUtyDBHpr::ClUtyDBHpr() {}

ClUtyDBHpr* ClUtyDBHpr::Inst() {
    static ClUtyDBHpr helper;
    return &helper;
}

// Hex digits of the identifier's bytes: always printable, free of the "/" and ":" that settings
// keys use as separators, and 32 bytes long.
long ClUtyDBHpr::MakeIDStr(const char* id, char* text) {
    if (!id || !text) return -1;
    static const char digits[] = "0123456789ABCDEF";
    for (int i = 0; i < kDataIdBytes; ++i) {
        const unsigned char c = static_cast<unsigned char>(id[i]);
        text[2 * i] = digits[c >> 4];
        text[2 * i + 1] = digits[c & 15];
    }
    text[2 * kDataIdBytes] = '\0';
    return 0;
}

ClFileMgr::ClFileMgr() {}

ClFileMgr* ClFileMgr::Inst() {
    static ClFileMgr mgr;
    return &mgr;
}

const char* ClFileMgr::GetAppFolderPath(_FolderType type) {
    // Copies, so that the path stays valid when the ledger is loaded again.
    static char paths[2][261];
    const ClLedger* ledger = ClHostSim::Inst()->Ledger();
    if (!ledger || (type != FolderOutput && type != FolderSettings)) return "";
    std::memset(paths[type], 0, sizeof paths[type]);
    std::memcpy(paths[type], ledger->folders[type].data(), ledger->folders[type].size());  // at most 260
    return paths[type];
}

long ClFileMgr::Release() { return 0; }
