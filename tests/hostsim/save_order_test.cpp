// save_order_test.cpp - a column order kept with the stand-in host's saved settings.
#include <gtest/gtest.h>

#include <cstring>

#include "setmgr.h"
#include "shareddata.h"
#include "table_helpers.h"
#include "testutil.h"
#include "textaccessor.h"

namespace {

class SaveOrderTest : public ::testing::Test {
protected:
    SaveOrderTest() {
        ClDataMgr::Inst()->GetSetMgr()->SetLedgerFolder(dir.Path());
        for (int i = 0; i < 4; ++i) table[i] = TextCol("X", 1, 0);
        std::memset(idA, 0, sizeof idA);
        std::memset(idB, 0, sizeof idB);
        std::memcpy(idA, "SET-A", 5);
        std::memcpy(idB, "SET-B", 5);
    }
    TempDir dir;
    StTAFORMAT table[4];
    char rec[2] = "";
    unsigned char idA[kDataIdBytes + 8];
    unsigned char idB[kDataIdBytes + 8];
};

}  // namespace

TEST_F(SaveOrderTest, SavedOrderComesBackInAFreshAccessor) {
    StTAORDER order[3] = {{3}, {0}, {2}};
    {
        ClTextAccessor acc("G_INFO", table, 4, rec);
        acc.SetOrder(order, 3);
        ASSERT_EQ(acc.SaveOrder(idA), 0);
    }
    StTAORDER loaded[4] = {{9}, {9}, {9}, {9}};
    ClTextAccessor acc("G_INFO", table, 4, rec);
    acc.SetOrder(loaded, 0);
    ASSERT_EQ(acc.LoadOrder(idA), 0);
    EXPECT_EQ(acc.GetOrderCount(), 3);
    EXPECT_EQ(loaded[0].item, 3);
    EXPECT_EQ(loaded[1].item, 0);
    EXPECT_EQ(loaded[2].item, 2);
    EXPECT_EQ(loaded[3].item, 9);
}

TEST_F(SaveOrderTest, OrdersAreKeptPerDataSetAndTable) {
    StTAORDER a[1] = {{1}};
    StTAORDER b[2] = {{2}, {3}};
    ClTextAccessor info("G_INFO", table, 4, rec);
    ClTextAccessor ssc("G_SSC", table, 4, rec);
    info.SetOrder(a, 1);
    ASSERT_EQ(info.SaveOrder(idA), 0);
    info.SetOrder(b, 2);
    ASSERT_EQ(info.SaveOrder(idB), 0);
    ssc.SetOrder(b, 1);
    ASSERT_EQ(ssc.SaveOrder(idA), 0);
    a[0].item = 0;
    info.SetOrder(a, 1);
    ASSERT_EQ(info.SaveOrder(idA), 0);  // saving again replaces the entry

    StTAORDER out[4] = {};
    info.SetOrder(out, 0);
    ASSERT_EQ(info.LoadOrder(idB), 0);
    EXPECT_EQ(info.GetOrderCount(), 2);
    EXPECT_EQ(out[1].item, 3);
    ASSERT_EQ(info.LoadOrder(idA), 0);
    EXPECT_EQ(info.GetOrderCount(), 1);
    EXPECT_EQ(out[0].item, 0);
    ASSERT_EQ(ssc.LoadOrder(idA), 0);
    EXPECT_EQ(ssc.GetOrderCount(), 1);
    EXPECT_EQ(b[0].item, 2);
}

TEST_F(SaveOrderTest, OrderWrittenByAnotherProcessIsRead) {
    // The stand-in keeps nothing in memory: a file left by an earlier run is all LoadOrder needs.
    const std::string hex = std::string("5345542D41") + std::string(22, '0');
    WriteBytes(dir.File("textio-orders.txt"), hex + " G_HEAD 2 1 0\n");
    StTAORDER out[2] = {};
    ClTextAccessor acc("G_HEAD", table, 4, rec);
    acc.SetOrder(out, 0);
    ASSERT_EQ(acc.LoadOrder(idA), 0);
    EXPECT_EQ(acc.GetOrderCount(), 2);
    EXPECT_EQ(out[0].item, 1);
    EXPECT_EQ(out[1].item, 0);
}

TEST_F(SaveOrderTest, MissingOrderLeavesTheOrderUnchanged) {
    StTAORDER out[2] = {{1}, {0}};
    ClTextAccessor acc("G_INFO", table, 4, rec);
    acc.SetOrder(out, 2);
    EXPECT_EQ(acc.LoadOrder(idB), -1);
    EXPECT_EQ(acc.GetOrderCount(), 2);
    EXPECT_EQ(out[0].item, 1);
    ClTextAccessor noArray("G_INFO", table, 4, rec);
    EXPECT_EQ(noArray.LoadOrder(idA), -1);
}
