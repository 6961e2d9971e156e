// ledger_records_test.cpp - host records filled from ledger rows, byte for byte at their offsets.
#include <cstdint>
#include <cstring>

#include "ledger_fixture.h"
#include "ledgercore.h"
#include "taskmem.h"

namespace {

template <typename T>
T At(const void* record, size_t offset) {
    T v;
    std::memcpy(&v, static_cast<const unsigned char*>(record) + offset, sizeof v);
    return v;
}

const char* Text(const void* record, size_t offset) {
    return reinterpret_cast<const char*>(static_cast<const unsigned char*>(record) + offset);
}

class RuleTest : public LedgerTest {
protected:
    void Bind(const char* id) {
        char dataId[kDataIdBytes] = {};
        std::memcpy(dataId, id, strnlen(id, sizeof dataId));  // NUL-padded, may fill the field
        rule.AttachSetMgr(ClDataMgr::Inst()->GetSetMgr());
        rule.SetCurDataID(dataId);
        rule.AttachOptLink(ClLinkMgr::Inst()->GetOptLink());
        ASSERT_EQ(rule.MoveReady(nullptr, SortHostOrder, SumNone), 0);
    }
    ClRuleGenkashokyaku rule;
    unsigned char master[545];
    unsigned char yearly[960];
    unsigned char monthly[1536];
    long Move(long i) {
        std::memset(master, 0xAA, sizeof master);
        std::memset(yearly, 0xAA, sizeof yearly);
        std::memset(monthly, 0xAA, sizeof monthly);
        return rule.Move(i, reinterpret_cast<StKOTEISHISANINFO*>(master), reinterpret_cast<StKOTEINENINFO*>(yearly),
                         reinterpret_cast<StKOTEITSUKIINFO*>(monthly));
    }
};

}  // namespace

TEST_F(RuleTest, EveryAssetColumnLandsAtItsOffsetAndTheRestIsZero) {
    WriteBytes(dir.File("assets-7.csv"),
               ";a title line\r\n"
               "KEY-0123456789AB,X1234567,11,\"\x95\x5C\x8E\xA6, \x83\x5C\x83t\x83g\",12\x91\xE4,\x94\x5C\x97\xCD,5,"
               "cap,20120401,20130331,-9999999999.1234,2,3,8,-7,250,10,1,4,10000,-30,3,0,5,6,7,8,9,10,"
               "20231231,11,1,12,13.5,14,15,-9223372036854775808\r\n");
    Bind("ID-SEVEN");
    long count = -1;
    ASSERT_EQ(rule.GetCount(&count), 0);
    ASSERT_EQ(count, 1);
    ASSERT_EQ(Move(0), 0);

    EXPECT_EQ(std::memcmp(master + 16, "KEY-0123456789AB", 16), 0);  // all 16 bytes, no terminator
    EXPECT_STREQ(Text(master, 32), "X1234567");
    EXPECT_EQ(At<int32_t>(master, 48), 11);
    EXPECT_STREQ(Text(master, 52), "\x95\x5C\x8E\xA6, \x83\x5C\x83t\x83g");
    EXPECT_STREQ(Text(master, 245), "12\x91\xE4");
    EXPECT_STREQ(Text(master, 254), "\x94\x5C\x97\xCD");
    EXPECT_EQ(At<int16_t>(master, 336), 5);
    EXPECT_STREQ(Text(master, 338), "cap");
    EXPECT_EQ(At<int32_t>(master, 356), 20120401);
    EXPECT_EQ(At<int32_t>(master, 360), 20130331);
    EXPECT_EQ(At<int64_t>(master, 368), -99999999991234LL);
    EXPECT_EQ(At<int64_t>(master, 376), 20000);
    EXPECT_EQ(At<int64_t>(master, 384), 30000);
    EXPECT_EQ(At<int16_t>(master, 392), 8);
    EXPECT_EQ(At<int16_t>(master, 394), -7);
    EXPECT_EQ(At<int32_t>(master, 396), 250);
    EXPECT_EQ(At<int32_t>(master, 400), 10);
    EXPECT_EQ(master[404], 1);
    EXPECT_EQ(At<int64_t>(master, 408), 40000);
    EXPECT_EQ(At<int16_t>(master, 426), 10000);
    EXPECT_EQ(At<int16_t>(master, 428), -30);
    EXPECT_EQ(At<int16_t>(master, 430), 3);
    EXPECT_EQ(At<int16_t>(master, 432), 0);
    EXPECT_EQ(At<int64_t>(master, 440), 50000);
    EXPECT_EQ(At<int64_t>(master, 448), 60000);
    EXPECT_EQ(At<int64_t>(master, 456), 70000);
    EXPECT_EQ(At<int64_t>(master, 464), 80000);
    EXPECT_EQ(At<int64_t>(master, 472), 90000);
    EXPECT_EQ(At<int64_t>(master, 480), 100000);
    EXPECT_EQ(At<int32_t>(master, 488), 20231231);
    EXPECT_EQ(At<int64_t>(master, 496), 110000);
    EXPECT_EQ(master[533], 1);
    EXPECT_EQ(At<int64_t>(master, 537), 120000);
    EXPECT_EQ(At<int64_t>(yearly, 40), 135000);
    EXPECT_EQ(At<int64_t>(yearly, 48), 140000);
    EXPECT_EQ(At<int64_t>(yearly, 56), 150000);
    EXPECT_EQ(At<int64_t>(yearly, 64), INT64_MIN);

    // Bytes no column fills are zero, not what the buffer held before.
    for (size_t i : {0u, 15u, 41u, 47u, 364u, 405u, 416u, 434u, 492u, 504u, 534u}) EXPECT_EQ(master[i], 0) << i;
    for (size_t i : {0u, 39u, 72u, 959u}) EXPECT_EQ(yearly[i], 0) << i;
    for (unsigned char b : monthly) ASSERT_EQ(b, 0);
    EXPECT_EQ(master[32 + 8], 0);  // the code's terminator and the rest of its field
    EXPECT_EQ(master[32 + 15], 0);
}

TEST_F(RuleTest, AssetsComeInFileOrderAlsoWhenAskedBackwards) {
    WriteBytes(dir.File("assets-7.csv"), AssetRow("", "A", 1) + "\r\n;comment between\r\n" + AssetRow("", "B", 2) +
                                             AssetRow("", "C", 3));
    Bind("ID-SEVEN");
    long count = 0;
    rule.GetCount(&count);
    ASSERT_EQ(count, 3);
    const char* expected[] = {"C", "A", "B", "B", "C"};
    const long order[] = {2, 0, 1, 1, 2};
    for (int k = 0; k < 5; ++k) {
        ASSERT_EQ(Move(order[k]), 0);
        EXPECT_STREQ(Text(master, 32), expected[k]);
        EXPECT_EQ(At<int16_t>(master, 392), order[k] + 1);
    }
    EXPECT_NE(Move(3), 0);
    for (unsigned char b : master) ASSERT_EQ(b, 0xAA);  // a failing Move leaves the buffer alone
    EXPECT_NE(Move(-1), 0);
}

TEST_F(RuleTest, BreakdownsAreSelectedByTheAssetKey) {
    WriteBytes(dir.File("assets-7.csv"), AssetRow("LUMP-A", "100", 4) + AssetRow("PLAIN", "200", 6) +
                                             AssetRow("LUMP-B", "300", 4) + AssetRow("LUMP-C", "400", 4));
    std::string rows = ";assetKey,breakdownNo,breakdownName,breakdownAcquisitionDate,breakdownCost,breakdownQuantity\r\n"
                       "LUMP-B,1,\x83\x7C\x83\x93\x83v,20200102,1500.25,2.5\r\n";
    for (int j = 1; j <= 150; ++j) rows += "LUMP-A," + std::to_string(j) + ",part,20190101," + std::to_string(j) + ",1\r\n";
    WriteBytes(dir.File("breakdowns-7.csv"), rows);
    Bind("ID-SEVEN");

    unsigned char key[16] = {};
    StIKKATSUINFO b;
    long n = -1;
    std::memcpy(key, "LUMP-B", 6);
    ASSERT_EQ(rule.MoveReadyIkkatsu(key), 0);
    rule.GetIkkatsuCount(&n);
    ASSERT_EQ(n, 1);
    ASSERT_EQ(rule.MoveIkkatsu(0, &b), 0);
    EXPECT_STREQ(Text(&b, 48), "1");
    EXPECT_STREQ(Text(&b, 61), "\x83\x7C\x83\x93\x83v");
    EXPECT_EQ(At<int32_t>(&b, 144), 20200102);
    EXPECT_EQ(At<int64_t>(&b, 152), 15002500);
    EXPECT_EQ(At<int32_t>(&b, 160), 250);
    EXPECT_NE(rule.MoveIkkatsu(1, &b), 0);
    rule.MoveFinishIkkatsu();

    std::memcpy(key, "LUMP-A", 6);
    ASSERT_EQ(rule.MoveReadyIkkatsu(key), 0);
    rule.GetIkkatsuCount(&n);
    ASSERT_EQ(n, 150);
    ASSERT_EQ(rule.MoveIkkatsu(149, &b), 0);
    EXPECT_STREQ(b.breakdownNo, "150");
    ASSERT_EQ(rule.MoveIkkatsu(0, &b), 0);
    EXPECT_STREQ(b.breakdownNo, "1");
    EXPECT_EQ(b.breakdownCost, 10000);

    std::memcpy(key, "LUMP-C", 6);  // a lump-sum asset without breakdowns
    ASSERT_EQ(rule.MoveReadyIkkatsu(key), 0);
    n = -1;
    rule.GetIkkatsuCount(&n);
    EXPECT_EQ(n, 0);
    std::memcpy(key, "PLAIN\0", 6);
    EXPECT_NE(rule.MoveReadyIkkatsu(key), 0);
    rule.GetIkkatsuCount(&n);
    EXPECT_EQ(n, 0);
}

TEST_F(RuleTest, UnknownDataSetOrSearchConditionSelectsNothing) {
    char unknown[kDataIdBytes] = "NO-SUCH";
    EXPECT_NE(rule.SetCurDataID(unknown), 0);
    EXPECT_NE(rule.MoveReady(nullptr, SortHostOrder, SumNone), 0);
    long count = -1;
    rule.GetCount(&count);
    EXPECT_EQ(count, 0);
    Bind("ID-THREE");  // a data set whose asset file is empty
    rule.GetCount(&count);
    EXPECT_EQ(count, 0);
    EXPECT_NE(rule.MoveReady(nullptr, static_cast<_RuleGenkashokyaku_SortType>(1), SumNone), 0);
}

TEST_F(RuleTest, CategoriesComeInTaskMemoryAndNoneGiveNull) {
    WriteBytes(dir.File("categories-7.csv"), ";categoryCode,categoryName,categoryMethod,categoryResidual\r\n"
                                             "1,\x8C\x9A\x95\xA8,2,10\r\n11,Land,4,\r\n");
    Bind("ID-SEVEN");
    StSHISANKUBUNINFO* cats = nullptr;
    long n = 0;
    ASSERT_EQ(rule.LoadShisanKubunInfo(&cats, &n), 0);
    ASSERT_EQ(n, 2);
    ASSERT_NE(cats, nullptr);
    EXPECT_EQ(At<int32_t>(&cats[0], 16), 1);
    EXPECT_STREQ(Text(&cats[0], 20), "\x8C\x9A\x95\xA8");
    EXPECT_EQ(At<int16_t>(&cats[0], 102), 2);
    EXPECT_EQ(At<int32_t>(&cats[0], 104), 10);
    EXPECT_EQ(At<int32_t>(&cats[1], 16), 11);
    EXPECT_EQ(At<int32_t>(&cats[1], 104), 0);
    TaskMemFree(cats);

    ClRuleGenkashokyaku other;
    char id[kDataIdBytes] = "ID-THREE";
    other.SetCurDataID(id);
    cats = reinterpret_cast<StSHISANKUBUNINFO*>(&n);
    n = 5;
    EXPECT_EQ(other.LoadShisanKubunInfo(&cats, &n), 0);
    EXPECT_EQ(cats, nullptr);
    EXPECT_EQ(n, 0);
}

namespace {

bool EndsWith(const std::string& text, const std::string& tail) {
    return text.size() >= tail.size() && text.compare(text.size() - tail.size(), tail.size(), tail) == 0;
}

struct NumberCase {
    const char* cell;
    int64_t value;        // when why is empty
    const char* why;      // the end of the message of a refused cell
};

}  // namespace

// Short and long texts (more than 19 bytes take the path that checks every digit), the limits of
// 64 bits, and the one-digit cells that take a short path.
TEST_F(RuleTest, AmountCellsGiveTheirValueOrTheirMessage) {
    const NumberCase cases[] = {
        {"0", 0, ""}, {"7", 70000, ""}, {"-7", -70000, ""}, {"+1.5", 15000, ""}, {".5", 5000, ""},
        {"-0.0001", -1, ""}, {"12345678", 123456780000, ""}, {"0000000000000000000000001", 10000, ""},
        {"922337203685477.5807", INT64_MAX, ""}, {"-922337203685477.5808", INT64_MIN, ""},
        {"12.", 0, "\"12.\" is not a number with at most 4 decimals"},
        {"-", 0, "\"-\" is not a number with at most 4 decimals"},
        {"1.2.3", 0, "\"1.2.3\" is not a number with at most 4 decimals"},
        {"922337203685477.5808", 0, "\"922337203685477.5808\" is out of range"},
        {"99999999999999999999", 0, "\"99999999999999999999\" is out of range"},
        {"1844674407370955.1616", 0, "\"1844674407370955.1616\" is out of range"},
    };
    for (const NumberCase& c : cases) {
        WriteBytes(dir.File("assets-7.csv"), AssetRow("", "A", 6, "N", c.cell));
        if (*c.why) {
            const std::string e = LedgerError();
            EXPECT_TRUE(EndsWith(e, std::string("line 1: column acquisitionCost: ") + c.why)) << c.cell << ": " << e;
            continue;
        }
        ClHostSim::Inst()->Reset();
        ClRuleGenkashokyaku walk;
        char id[kDataIdBytes] = "ID-SEVEN";
        walk.SetCurDataID(id);
        ASSERT_EQ(walk.MoveReady(nullptr, SortHostOrder, SumNone), 0) << c.cell;
        ASSERT_EQ(walk.Move(0, reinterpret_cast<StKOTEISHISANINFO*>(master), reinterpret_cast<StKOTEINENINFO*>(yearly),
                            reinterpret_cast<StKOTEITSUKIINFO*>(monthly)),
                  0);
        EXPECT_EQ(At<int64_t>(master, 368), c.value) << c.cell;
    }
}

TEST_F(RuleTest, WholeNumberAndDateCellsGiveTheirValueOrTheirMessage) {
    struct Case {
        int column;  // 3 periodStart, 5 dataKind, 6 entityKind
        NumberCase number;
    } cases[] = {
        {5, {"-32768", -32768, ""}}, {5, {"+12", 12, ""}}, {6, {"", 0, ""}}, {6, {"255", 255, ""}},
        {6, {"0000000000000000000255", 255, ""}}, {3, {"0", 0, ""}}, {3, {"20240229", 20240229, ""}},
        {5, {"-32769", 0, "column dataKind: \"-32769\" is out of range -32768 to 32767"}},
        {5, {"99999999999999999999", 0, "column dataKind: \"99999999999999999999\" is out of range"}},
        {5, {"+", 0, "column dataKind: \"+\" is not a whole number"}},
        {6, {"1a", 0, "column entityKind: \"1a\" is not a whole number"}},
        {3, {"7", 0, "column periodStart: \"7\" is not a date yyyymmdd (or 0)"}},
        {3, {"20230229", 0, "column periodStart: \"20230229\" is not a date yyyymmdd (or 0)"}},
    };
    for (const Case& c : cases) {
        std::string fields[7] = {"7", "ID-SEVEN", "Company", "20230401", "20240331", "1", "0"};
        fields[c.column] = c.number.cell;
        std::string row;
        for (const std::string& f : fields) row += (row.empty() ? "" : ",") + f;
        WriteBytes(dir.File("datasets.csv"), row + "\r\n");
        if (*c.number.why) {
            const std::string e = LedgerError();
            EXPECT_TRUE(EndsWith(e, std::string("datasets.csv line 1: ") + c.number.why)) << c.number.cell << ": " << e;
            continue;
        }
        ClHostSim::Inst()->Reset();
        const ClLedger* ledger = ClHostSim::Inst()->Ledger();
        ASSERT_NE(ledger, nullptr) << c.number.cell << ": " << ClHostSim::Inst()->GetLedgerError();
        const StDATAINFO& info = ledger->FindSetNo(7)->info;
        const int64_t got = c.column == 3 ? info.periodStart : c.column == 5 ? info.dataKind : info.entityKind;
        EXPECT_EQ(got, c.number.value) << c.number.cell;
    }
}
