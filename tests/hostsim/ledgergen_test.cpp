// ledgergen_test.cpp - generated ledgers are repeatable and load in the stand-in host.
#include <set>

#include "ledger_fixture.h"
#include "ledgercore.h"
#include "ledgergen.h"

namespace {

std::string Generate(const TempDir& out, long assets, uint64_t seed) {
    std::string why;
    EXPECT_EQ(GenerateLedger(StLEDGERGENOPTIONS{assets, seed}, out.Path(), why), 0) << why;
    std::string all;
    for (const char* f : {"session.csv", "datasets.csv", "assets-1.csv", "assets-2.csv", "breakdowns-1.csv",
                          "categories-1.csv"})
        all += ReadBytes(out.File(f)) + "|";
    return all;
}

}  // namespace

TEST(LedgerGen, SameSeedSameBytesOtherSeedOtherBytes) {
    TempDir a, b, c;
    const std::string first = Generate(a, 800, 42);
    EXPECT_EQ(Generate(b, 800, 42), first);
    EXPECT_NE(Generate(c, 800, 43), first);
}

TEST_F(LedgerTest, GeneratedLedgerLoadsWithAllItsAdversarialValues) {
    Generate(dir, 2000, 7);
    ClHostSim::Inst()->Reset();
    ASSERT_NE(ClHostSim::Inst()->Ledger(), nullptr) << ClHostSim::Inst()->GetLedgerError();

    ClRuleGenkashokyaku rule;
    rule.SetCurDataID(ClDataMgr::Inst()->GetSetObject(5, 1)->GetSelectedInfo()->dataId);
    ASSERT_EQ(rule.MoveReady(nullptr, SortHostOrder, SumNone), 0);
    long count = 0;
    rule.GetCount(&count);
    ASSERT_EQ(count, 2000);
    std::set<size_t> codeLengths;
    std::set<int> methods;
    bool trail5C = false, overLimit = false, duplicate = false;
    long most = 0;
    std::set<std::string> codes;
    StKOTEISHISANINFO m;
    StKOTEINENINFO y;
    StKOTEITSUKIINFO t;
    for (long i = 0; i < count; ++i) {
        ASSERT_EQ(rule.Move(i, &m, &y, &t), 0) << i;
        codeLengths.insert(std::strlen(m.assetCode));
        methods.insert(m.methodCode);
        duplicate |= !codes.insert(m.assetCode).second;
        const std::string name = m.assetName;
        trail5C |= name.find("\x95\x5C") != std::string::npos || name.find("\x83\x5C") != std::string::npos;
        overLimit |= m.acquisitionCost > 999999999990000LL || m.acquisitionCost < -99999999990000LL;
        if (m.methodCode == 4) {
            ASSERT_EQ(rule.MoveReadyIkkatsu(m.assetKey), 0);
            long n = 0;
            rule.GetIkkatsuCount(&n);
            most = std::max(most, n);
            StIKKATSUINFO b;
            if (n > 0) {
                EXPECT_EQ(rule.MoveIkkatsu(n - 1, &b), 0);
            }
            rule.MoveFinishIkkatsu();
        }
    }
    EXPECT_TRUE(codeLengths.count(6) && codeLengths.count(7) && codeLengths.count(8));
    EXPECT_EQ(methods.count(4), 1u);
    EXPECT_TRUE(methods.count(1) && methods.count(8));
    EXPECT_TRUE(trail5C);
    EXPECT_TRUE(overLimit);
    EXPECT_TRUE(duplicate);
    EXPECT_EQ(most, 150);
}
