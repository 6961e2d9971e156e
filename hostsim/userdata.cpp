// userdata.cpp - the stand-in user, data-set list, identifier helper and folder service.
#include <cstdio>
#include <cstring>

#include "folderservice.h"
#include "hostsim.h"
#include "ledgercore.h"

long ClSysUser::GetCurUserID(char* userId) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        const ClLedger* ledger = ClHostSim::Inst()->Ledger();
        if (!userId || !ledger) return -1;
        std::memset(userId, 0, 65);
        std::memcpy(userId, ledger->userId.data(), ledger->userId.size());  // at most 64, checked at load
        return 0;
    }();
    call.Journal("GetCurUserID\t" + ClHostSim::JournalText(r == 0 ? userId : "") + "\t" + std::to_string(r));
    return r;
}

long ClSysUser::GetSelectedNo(const char* userId, long* selectionNo, long* dataSetNo) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        const ClLedger* ledger = ClHostSim::Inst()->Ledger();
        if (!ledger || !userId || ledger->userId != userId) return -1;
        if (selectionNo) *selectionNo = ledger->selectionNo;
        if (dataSetNo) *dataSetNo = ledger->dataSetNo;
        return 0;
    }();
    call.Journal("GetSelectedNo\t" + ClHostSim::JournalText(userId) + "\t" +
                 std::to_string(selectionNo ? *selectionNo : 0) + "\t" +
                 std::to_string(dataSetNo ? *dataSetNo : 0) + "\t" + std::to_string(r));
    return r;
}

StDATAINFO* ClSetData::GetSelectedInfo() {
    ClHostSim* sim = ClHostSim::Inst();
    const ClHostCall call;
    std::memset(&sim->selected, 0, sizeof sim->selected);
    if (const ClLedger* ledger = sim->Ledger())
        if (const StLEDGERSET* set = ledger->FindSetNo(ledger->dataSetNo)) sim->selected = set->info;
    call.Journal("GetSelectedInfo\t" + std::to_string(sim->selected.dataNo));
    return &sim->selected;
}

long ClSetData::GetDatCursor(long* cursor) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        ClHostSim* sim = ClHostSim::Inst();
        if (!cursor || !sim->Ledger()) return -1;
        size_t slot = 0;
        while (slot < sim->cursors.size() && sim->cursors[slot] != -1) ++slot;
        if (slot == sim->cursors.size()) sim->cursors.push_back(-1);
        sim->cursors[slot] = 0;
        *cursor = static_cast<long>(slot) + 1;
        return 0;
    }();
    call.Journal("GetDatCursor\t" + std::to_string(cursor ? *cursor : 0) + "\t" + std::to_string(r));
    return r;
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
    const ClHostCall call;
    const auto r = [&]() -> long {
        long* slot = CursorSlot(cursor);
        if (!slot || mode != 0) return -1;
        *slot = 0;
        return 0;
    }();
    call.Journal("ReadyDat\t" + std::to_string(cursor) + "\t" + std::to_string(mode) + "\t" +
                 std::to_string(r));
    return r;
}

long ClSetData::WalkDat(StDATAINFO* record, long cursor) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        long* slot = CursorSlot(cursor);
        const ClLedger* ledger = ClHostSim::Inst()->Ledger();
        if (!slot || !record || !ledger) return -1;
        if (static_cast<size_t>(*slot) >= ledger->Sets().size()) return 1;
        *record = ledger->Sets()[static_cast<size_t>(*slot)].info;
        ++*slot;
        return 0;
    }();
    call.Journal("WalkDat\t" + std::to_string(cursor) + "\t" +
                 std::to_string(r == 0 && record ? static_cast<long>(record->dataNo) : -1L) + "\t" +
                 std::to_string(r));
    return r;
}

long ClSetData::ReleaseDatCursor(long cursor) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        long* slot = CursorSlot(cursor);
        if (!slot) return -1;
        *slot = -1;
        return 0;
    }();
    call.Journal("ReleaseDatCursor\t" + std::to_string(cursor) + "\t" + std::to_string(r));
    return r;
}

ClUtyDBHpr::ClUtyDBHpr() {}

ClUtyDBHpr* ClUtyDBHpr::Inst() {
    static ClUtyDBHpr helper;
    return &helper;
}

// Hex digits of the identifier's bytes: always printable, free of the "/" and ":" that settings
// keys use as separators, and 32 bytes long.
long ClUtyDBHpr::MakeIDStr(const char* id, char* text) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        if (!id || !text) return -1;
        static const char digits[] = "0123456789ABCDEF";
        for (int i = 0; i < kDataIdBytes; ++i) {
            const unsigned char c = static_cast<unsigned char>(id[i]);
            text[2 * i] = digits[c >> 4];
            text[2 * i + 1] = digits[c & 15];
        }
        text[2 * kDataIdBytes] = '\0';
        return 0;
    }();
    call.Journal("MakeIDStr\t" + ClHostSim::JournalText(r == 0 ? text : "") + "\t" + std::to_string(r));
    return r;
}

ClFileMgr::ClFileMgr() {}

ClFileMgr* ClFileMgr::Inst() {
    static ClFileMgr mgr;
    return &mgr;
}

const char* ClFileMgr::GetAppFolderPath(_FolderType type) {
    // Copies, so that the path stays valid when the ledger is loaded again.
    static char paths[2][261];
    const ClHostCall call;
    call.Journal("GetAppFolderPath\t" + std::to_string(static_cast<int>(type)));
    const ClLedger* ledger = ClHostSim::Inst()->Ledger();
    if (!ledger || (type != FolderOutput && type != FolderSettings)) return "";
    std::memset(paths[type], 0, sizeof paths[type]);
    std::memcpy(paths[type], ledger->folders[type].data(), ledger->folders[type].size());  // at most 260
    return paths[type];
}

long ClFileMgr::Release() {
    const ClHostCall call;
    call.Journal("ClFileMgr::Release");
    return 0;
}
