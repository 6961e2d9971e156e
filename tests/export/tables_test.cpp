// tables_test.cpp - the compiled-in column tables.
#include <gtest/gtest.h>

#include <cstring>

#include "formattables.h"

// Counts, offsets, record sizes and the sizes of each kind are checked at compile time
// (static_assert in formattables.cpp); these tests hold the names, widths and flags.

TEST(FormatTables, TableNames) {
    EXPECT_STREQ(G_INFO_NAME, "G_INFO");
    EXPECT_STREQ(G_HEAD_NAME, "G_HEAD");
    EXPECT_STREQ(G_HEADER_NAME, "G_HEADER");
    EXPECT_STREQ(G_SSC_NAME, "G_SSC");
}

TEST(FormatTables, InfoColumnsBySample) {
    struct Expected {
        long item;
        int width, size, decimals, type, required;
        const char* name;
    };
    const Expected expected[] = {
        {0, 8, 9, 0, ItemText, 1, "資産コード文字"},
        {6, 8, 4, 0, ItemSigned, 1, "本支店コード"},
        {12, 8, 4, 0, ItemSigned, 1, "取得日年月日"},
        {14, 6, 8, 2, ItemSigned, 1, "数量"},
        {16, 3, 2, 0, ItemSigned, 1, "耐用年数"},
        {17, 18, 19, 0, ItemText, 0, "耐用年数短縮"},
        {20, 1, 8, 3, ItemSigned, 1, "償却率"},
        {40, 2, 2, 0, ItemSigned, 1, "償却月数"},
        {70, 3, 8, 2, ItemSigned, 1, "分子事業専用割合"},
        {100, 1, 4, 0, ItemText, 0, "取得年月"},
        {125, 1, 8, 3, ItemSigned, 0, "減損後償却率(当期)"},
        {134, 4, 4, 0, ItemSigned, 0, "減損後耐用年数(過年度)"},
        {146, 3, 2, 0, ItemSigned, 0, "計算用の耐用年数"},
        {148, 20, 21, 0, ItemText, 1, "メモ下"},
    };
    for (const Expected& e : expected) {
        const StTAFORMAT& c = G_INFO[e.item];
        EXPECT_EQ(c.width, e.width) << e.item;
        EXPECT_EQ(c.size, e.size) << e.item;
        EXPECT_EQ(c.decimals, e.decimals) << e.item;
        EXPECT_EQ(c.type, e.type) << e.item;
        EXPECT_EQ(c.required, e.required) << e.item;
        EXPECT_STREQ(c.name, e.name) << e.item;
    }
}

TEST(FormatTables, HeadRequiredFlagsAndNames) {
    const long cleared[] = {0,  1,  2,  3,  4,  5,   9,   10,  11,  15,  24,  58,
                            59, 60, 64, 73, 93, 101, 102, 103, 104, 114, 147, 148};
    for (long i = 0; i < G_HEAD_COUNT; ++i) {
        bool isCleared = false;
        for (long c : cleared) isCleared = isCleared || c == i;
        EXPECT_EQ(G_HEAD[i].required, isCleared ? 0 : G_INFO[i].required) << i;
        if (i != 12 && i != 18 && i != 96 && i != 97) {
            EXPECT_STREQ(G_HEAD[i].name, G_INFO[i].name) << i;
        }
    }
    EXPECT_STREQ(G_HEAD[12].name, "取得年月日");
    EXPECT_STREQ(G_HEAD[18].name, "耐用年数短縮(圧縮記帳の場合)");
    EXPECT_STREQ(G_HEAD[96].name, "償却資産資産コード(入力)");
    EXPECT_STREQ(G_HEAD[97].name, "償却資産資産コード");
    EXPECT_EQ(G_HEAD[0].width, 17);
    EXPECT_EQ(G_HEAD[18].width, 70);
    EXPECT_EQ(G_HEAD[148].width, 11);
}

TEST(FormatTables, EveryTitleFitsItsHeadColumn) {
    for (long i = 0; i < G_HEAD_COUNT; ++i) {
        EXPECT_LE(std::strlen(G_HEAD_TITLES[i]), static_cast<size_t>(G_HEAD[i].width)) << i;
    }
    EXPECT_STREQ(G_HEAD_TITLES[0], ";資産コード");
    EXPECT_STREQ(G_HEAD_TITLES[148], "メモ欄下段,");
}

TEST(FormatTables, HeaderAndTypeFileColumns) {
    EXPECT_STREQ(G_HEADER[0].name, "資産コード文字");
    EXPECT_EQ(G_HEADER[0].width, 152);
    EXPECT_EQ(G_HEADER[0].type, ItemText);
    EXPECT_EQ(G_HEADER[0].required, 0);
    const int widths[16] = {2, 12, 12, 10, 10, 14, 2, 2, 16, 6, 6, 6, 6, 6, 6, 10};
    for (long i = 0; i < G_SSC_COUNT; ++i) {
        EXPECT_EQ(G_SSC[i].width, widths[i]) << i;
        const bool numeric = i >= 6 && i != 8 && i != 15;
        EXPECT_EQ(G_SSC[i].type, numeric ? ItemSigned : ItemText) << i;
        EXPECT_EQ(G_SSC[i].required, numeric ? 1 : 0) << i;
        if (numeric) {
            EXPECT_EQ(G_SSC[i].size, i <= 7 ? 4 : 8) << i;
        }
        if (numeric) {
            EXPECT_EQ(G_SSC[i].decimals, i <= 7 ? 0 : 2) << i;
        }
    }
    EXPECT_STREQ(G_SSC[15].name, "生物区分");
}
