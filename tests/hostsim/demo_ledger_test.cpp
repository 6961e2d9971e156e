// demo_ledger_test.cpp - the demo ledger loads and still holds every case the demonstration shows.
#include <gtest/gtest.h>

#include <cstring>
#include <map>
#include <set>
#include <string>
#include <vector>

#include "hostsim.h"
#include "ledgercore.h"
#include "setmgr.h"
#include "shareddata.h"

namespace {

bool HasDoubleByte(const char* text) {
    for (const unsigned char* p = reinterpret_cast<const unsigned char*>(text); *p; ++p)
        if ((*p >= 0x81 && *p <= 0x9F) || (*p >= 0xE0 && *p <= 0xFC)) return true;
    return false;
}

// Beyond the eleven integer digits (or ten and a sign) that the data file takes; x 10000.
bool OverDigitLimit(int64_t amount) { return amount > 999999999990000LL || amount < -99999999990000LL; }

// What the walk of one data set met.
struct StDemoSet {
    long assets = 0;
    std::map<int, long> methods;
    std::set<int32_t> types;
    std::set<int> disposals;
    std::vector<long> lumpBreakdowns;  // breakdown count of each lump-sum asset
    bool longName = false, longMemo = false, longBreakdownName = false, duplicate = false, overLimit = false;
};

class DemoLedgerTest : public ::testing::Test {
protected:
    DemoLedgerTest() : m_previous(ClDataMgr::Inst()->GetSetMgr()->LedgerFolder()) {
        ClDataMgr::Inst()->GetSetMgr()->SetLedgerFolder(DEMO_LEDGER_DIR);
        ClHostSim::Inst()->Reset();
    }
    ~DemoLedgerTest() override {
        ClDataMgr::Inst()->GetSetMgr()->SetLedgerFolder(m_previous);
        ClHostSim::Inst()->Reset();
    }

    // The data sets in list order, as the program walks them.
    std::vector<StDATAINFO> DataSets() {
        std::vector<StDATAINFO> sets;
        ClSetData* list = ClDataMgr::Inst()->GetSetObject(5, 1);
        long cursor = 0;
        list->GetDatCursor(&cursor);
        list->ReadyDat(cursor, 0);
        StDATAINFO record;
        while (std::memset(&record, 0, sizeof record), list->WalkDat(&record, cursor) == 0)
            sets.push_back(record);
        list->ReleaseDatCursor(cursor);
        return sets;
    }

    StDemoSet Walk(const StDATAINFO& set) {
        StDemoSet seen;
        ClRuleGenkashokyaku rule;
        rule.AttachSetMgr(ClDataMgr::Inst()->GetSetMgr());
        rule.SetCurDataID(set.dataId);
        EXPECT_EQ(rule.MoveReady(nullptr, SortHostOrder, SumNone), 0);
        rule.GetCount(&seen.assets);
        std::set<std::string> codes;
        StKOTEISHISANINFO m;
        StKOTEINENINFO y;
        StKOTEITSUKIINFO t;
        for (long i = 0; i < seen.assets; ++i) {
            EXPECT_EQ(rule.Move(i, &m, &y, &t), 0) << i;
            ++seen.methods[m.methodCode];
            seen.types.insert(m.assetTypeCode);
            seen.disposals.insert(m.disposalKind);
            seen.longName |= std::strlen(m.assetName) > 32 && HasDoubleByte(m.assetName);
            seen.longMemo |= std::strlen(m.memoText) > 40 && HasDoubleByte(m.memoText);
            seen.duplicate |= !codes.insert(m.assetCode).second;
            seen.overLimit |= OverDigitLimit(m.acquisitionCost) || OverDigitLimit(m.closingBookValue);
            if (m.methodCode != 4) continue;
            EXPECT_EQ(rule.MoveReadyIkkatsu(m.assetKey), 0) << i;
            long n = 0;
            rule.GetIkkatsuCount(&n);
            seen.lumpBreakdowns.push_back(n);
            StIKKATSUINFO b;
            for (long j = 0; j < n; ++j) {
                EXPECT_EQ(rule.MoveIkkatsu(j, &b), 0) << i << " " << j;
                seen.longBreakdownName |= std::strlen(b.breakdownName) > 32 && HasDoubleByte(b.breakdownName);
            }
            rule.MoveFinishIkkatsu();
        }
        rule.MoveFinish();
        return seen;
    }

private:
    std::string m_previous;
};

}  // namespace

TEST_F(DemoLedgerTest, CompanyIndividualAndPastDataSetsWithEveryCase) {
    ASSERT_NE(ClHostSim::Inst()->Ledger(), nullptr) << ClHostSim::Inst()->GetLedgerError();
    const StDATAINFO* selected = ClDataMgr::Inst()->GetSetObject(5, 1)->GetSelectedInfo();
    ASSERT_NE(selected->dataId[0], '\0') << "the session selects no data set of the list";
    EXPECT_TRUE(selected->entityKind == 0 || selected->entityKind == 1);
    EXPECT_NE(selected->dataKind, 99);

    long individuals = 0, past = 0;
    for (const StDATAINFO& set : DataSets()) {
        if (set.dataKind == 99) ++past;
        if (set.entityKind == 3 || set.entityKind == 4) {
            ++individuals;
            EXPECT_GT(Walk(set).assets, 0) << set.dataNo;
        }
    }
    EXPECT_GE(individuals, 1);
    EXPECT_GE(past, 1);

    const StDemoSet company = Walk(*selected);
    EXPECT_GE(company.assets, 40);
    for (int method = 1; method <= 8; ++method) EXPECT_EQ(company.methods.count(method), 1u) << "method " << method;
    for (int32_t type = 1; type <= 11; ++type) EXPECT_EQ(company.types.count(type), 1u) << "type " << type;
    EXPECT_EQ(company.disposals.count(4), 1u) << "a sale";
    EXPECT_EQ(company.disposals.count(5), 1u) << "a retirement";
    long lumpsWithBreakdowns = 0, overImportLimit = 0, several = 0;
    for (long n : company.lumpBreakdowns) {
        lumpsWithBreakdowns += n > 0;
        overImportLimit += n > 101;
        several += n > 1 && n <= 101;
    }
    EXPECT_GE(lumpsWithBreakdowns, 3);
    EXPECT_GE(overImportLimit, 1);
    EXPECT_GE(several, 2);
    EXPECT_TRUE(company.longName);
    EXPECT_TRUE(company.longMemo);
    EXPECT_TRUE(company.longBreakdownName);
    EXPECT_TRUE(company.duplicate);
    EXPECT_TRUE(company.overLimit);
}
