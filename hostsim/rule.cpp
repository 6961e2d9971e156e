// rule.cpp - the stand-in depreciation rule object: assets and breakdowns read from the ledger
// files in the order asked, so that no asset is held in memory.
#include <cstdio>
#include <cstring>
#include <string>

#include "hostsim.h"
#include "ledgercore.h"
#include "shareddata.h"
#include "taskmem.h"

ClRuleBase::ClRuleBase() : m_setMgr(nullptr), m_hasDataId(false), m_optLink(nullptr) {
    std::memset(m_dataId, 0, sizeof m_dataId);
}
ClRuleBase::~ClRuleBase() {}

long ClRuleBase::AttachSetMgr(ClSetMgr* mgr) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        m_setMgr = mgr;
        return mgr ? 0 : -1;
    }();
    call.Journal("AttachSetMgr\t" + std::to_string(r));
    return r;
}

long ClRuleBase::SetCurDataID(const char* id) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        if (!id) return -1;
        std::memcpy(m_dataId, id, sizeof m_dataId);
        m_hasDataId = true;
        const ClLedger* ledger = ClHostSim::Inst()->Ledger();
        return ledger && ledger->FindSet(m_dataId) ? 0 : -1;
    }();
    call.Journal("SetCurDataID\t" +
                 ClHostSim::JournalText(id ? std::string(id, strnlen(id, kDataIdBytes)).c_str() : "") + "\t" +
                 std::to_string(r));
    return r;
}

long ClRuleBase::AttachOptLink(ClOptLink* link) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        m_optLink = link;
        return link ? 0 : -1;
    }();
    call.Journal("AttachOptLink\t" + std::to_string(r));
    return r;
}

// The walk of one rule object: which data set, how far each file has been read.
class ClRuleState {
public:
    const StLEDGERSET* set = nullptr;
    unsigned long generation = 0;
    long count = 0;
    ClLedgerReader assets;
    ClLedgerReader breakdowns;
    const StLUMPINDEX* lump = nullptr;

    // The ledger and data set still valid for this walk; null after a reload of the ledger.
    const ClLedger* Current() const {
        const ClLedger* ledger = ClHostSim::Inst()->Ledger();
        return ledger && set && generation == ClHostSim::Inst()->Generation() ? ledger : nullptr;
    }
};

ClRuleGenkashokyaku::ClRuleGenkashokyaku() : m_state(new ClRuleState) {
    const ClHostCall call;
    call.Journal("new ClRuleGenkashokyaku");
}

ClRuleGenkashokyaku::~ClRuleGenkashokyaku() {
    const ClHostCall call;
    call.Journal("delete ClRuleGenkashokyaku");
    delete m_state;
}

long ClRuleGenkashokyaku::AttachSetMgr(ClSetMgr* mgr) {
    const ClHostCall call;
    const long r = ClRuleBase::AttachSetMgr(mgr);
    call.Journal("AttachSetMgr\t" + std::to_string(r));
    return r;
}

long ClRuleGenkashokyaku::MoveReady(StFINDINFO* find, _RuleGenkashokyaku_SortType sort,
                                    _RuleGenkashokyaku_MoveReady_SumType sum) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        m_state->set = nullptr;
        m_state->count = 0;
        m_state->lump = nullptr;
        const ClLedger* ledger = ClHostSim::Inst()->Ledger();
        if (find || sort != SortHostOrder || sum != SumNone || !ledger || !m_hasDataId) return -1;
        m_state->set = ledger->FindSet(m_dataId);
        if (!m_state->set) return -1;
        m_state->generation = ClHostSim::Inst()->Generation();
        long n = 0;
        const StLEDGERCOLUMN* columns = ClLedger::AssetColumns(&n);
        if (m_state->assets.Open(m_state->set->assetsPath, columns, n) != 0) {
            m_state->set = nullptr;
            return -1;
        }
        m_state->count = m_state->set->assetCount;
        return 0;
    }();
    call.Journal("MoveReady\t" + std::string(find ? "find" : "null") + "\t" +
                 std::to_string(static_cast<int>(sort)) + "\t" + std::to_string(static_cast<int>(sum)) +
                 "\t" + std::to_string(r));
    return r;
}

long ClRuleGenkashokyaku::GetCount(long* count) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        if (!count) return -1;
        *count = m_state->Current() ? m_state->count : 0;
        return 0;
    }();
    call.Journal("GetCount\t" + std::to_string(count ? *count : 0) + "\t" + std::to_string(r));
    return r;
}

long ClRuleGenkashokyaku::Move(long index, StKOTEISHISANINFO* master, StKOTEINENINFO* yearly,
                               StKOTEITSUKIINFO* monthly) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        // A failing call leaves the caller's buffers as they were, as a real host may: only the
        // program's own zero-fill keeps an earlier record out of them.
        const ClLedger* ledger = m_state->Current();
        if (!ledger || !master || !yearly || index < 0 || index >= m_state->count) return -1;
        const StLEDGERFAULT& fault = ledger->faults[ClLedger::FaultMove];
        if (fault.result != 0 && (fault.index < 0 || fault.index == index)) return fault.result;
        std::memset(master, 0, sizeof *master);
        std::memset(yearly, 0, sizeof *yearly);
        if (monthly) std::memset(monthly, 0, sizeof *monthly);
        void* targets[] = {master, yearly};
        if (m_state->assets.Seek(index, targets) != 0) {
            // The file changed after it was checked: say so rather than hand out half a record.
            std::fprintf(stderr, "hostsim: %s\n", m_state->assets.Message().c_str());
            std::memset(master, 0, sizeof *master);
            std::memset(yearly, 0, sizeof *yearly);
            return -1;
        }
        return 0;
    }();
    if (call.Wanted()) call.Journal("Move\t" + std::to_string(index) + "\t" + std::to_string(r));
    return r;
}

long ClRuleGenkashokyaku::MoveReadyIkkatsu(unsigned char* assetKey) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        m_state->lump = nullptr;
        const ClLedger* ledger = m_state->Current();
        if (!ledger || !assetKey) return -1;
        m_state->lump = ledger->FindLump(*m_state->set, assetKey);
        if (!m_state->lump) return -1;
        if (m_state->lump->count > 0 && !m_state->breakdowns.IsOpen()) {
            long n = 0;
            const StLEDGERCOLUMN* columns = ClLedger::BreakdownColumns(&n);
            if (m_state->breakdowns.Open(m_state->set->breakdownsPath, columns, n) != 0) {
                m_state->lump = nullptr;
                return -1;
            }
        }
        return 0;
    }();
    call.Journal("MoveReadyIkkatsu\t" +
                 ClHostSim::JournalText(
                     assetKey ? std::string(reinterpret_cast<const char*>(assetKey),
                                            strnlen(reinterpret_cast<const char*>(assetKey), kDataIdBytes))
                                    .c_str()
                              : "") +
                 "\t" + std::to_string(r));
    return r;
}

long ClRuleGenkashokyaku::GetIkkatsuCount(long* count) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        if (!count) return -1;
        *count = m_state->lump && m_state->Current() ? m_state->lump->count : 0;
        return 0;
    }();
    call.Journal("GetIkkatsuCount\t" + std::to_string(count ? *count : 0) + "\t" + std::to_string(r));
    return r;
}

long ClRuleGenkashokyaku::MoveIkkatsu(long index, StIKKATSUINFO* breakdown) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        const ClLedger* ledger = m_state->Current();
        const StLUMPINDEX* lump = m_state->lump;
        if (!ledger || !lump || !breakdown || index < 0 || index >= lump->count) return -1;
        const StLEDGERFAULT& fault = ledger->faults[ClLedger::FaultMoveIkkatsu];
        if (fault.result != 0 && (fault.index < 0 || fault.index == index)) return fault.result;
        std::memset(breakdown, 0, sizeof *breakdown);
        unsigned char key[kDataIdBytes];
        void* targets[] = {breakdown, key};
        if (m_state->breakdowns.Seek(lump->firstRow + index, targets) != 0 ||
            std::memcmp(key, lump->key, kDataIdBytes) != 0) {
            std::fprintf(stderr, "hostsim: %s: the breakdown file changed after it was loaded\n",
                         m_state->set->breakdownsPath.c_str());
            std::memset(breakdown, 0, sizeof *breakdown);
            return -1;
        }
        return 0;
    }();
    if (call.Wanted()) call.Journal("MoveIkkatsu\t" + std::to_string(index) + "\t" + std::to_string(r));
    return r;
}

long ClRuleGenkashokyaku::MoveFinishIkkatsu() {
    const ClHostCall call;
    const auto r = [&]() -> long {
        m_state->lump = nullptr;
        return 0;
    }();
    call.Journal("MoveFinishIkkatsu\t" + std::to_string(r));
    return r;
}

long ClRuleGenkashokyaku::LoadShisanKubunInfo(StSHISANKUBUNINFO** categories, long* count) {
    const ClHostCall call;
    const auto r = [&]() -> long {
        if (!categories || !count) return -1;
        const ClLedger* ledger = ClHostSim::Inst()->Ledger();
        if (!ledger || !m_hasDataId) return -1;
        const StLEDGERFAULT& fault = ledger->faults[ClLedger::FaultLoadShisanKubunInfo];
        if (fault.result != 0) return fault.result;
        *categories = nullptr;
        *count = 0;
        const StLEDGERSET* set = ledger->FindSet(m_dataId);
        if (!set) return -1;
        if (set->categories.empty()) return 0;
        const size_t bytes = set->categories.size() * sizeof(StSHISANKUBUNINFO);
        void* block = TaskMemAlloc(bytes);
        if (!block) return -1;
        std::memcpy(block, set->categories.data(), bytes);
        *categories = static_cast<StSHISANKUBUNINFO*>(block);
        ClHostSim::Inst()->categoryBlock = block;
        *count = static_cast<long>(set->categories.size());
        return 0;
    }();
    call.Journal("LoadShisanKubunInfo\t" + std::to_string(count ? *count : 0) + "\t" + std::to_string(r));
    return r;
}

long ClRuleGenkashokyaku::MoveFinish() {
    const ClHostCall call;
    const auto r = [&]() -> long {
        m_state->set = nullptr;
        m_state->count = 0;
        m_state->lump = nullptr;
        return 0;
    }();
    call.Journal("MoveFinish\t" + std::to_string(r));
    return r;
}
