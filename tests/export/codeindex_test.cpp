// codeindex_test.cpp - the written-codes index: the answers of an ordered walk, at any size.
#include <gtest/gtest.h>

#include <cstdio>

#include "codeindex.h"

TEST(CodeIndex, FirstMatchingEntryDecides) {
    ClCodeIndex index;
    EXPECT_EQ(index.Register("ABCDEF01"), 0);
    EXPECT_EQ(index.Register("ABCDEF"), 0);    // a shorter code is never tested as a prefix
    EXPECT_EQ(index.Register("ABCDEF01"), 1);  // equal to the older entry
    EXPECT_EQ(index.Register("ABCDEF02"), 2);  // its prefix is registered
    EXPECT_EQ(index.Register("ABCDEF02"), 2);  // and it was not registered by the answer 2
    EXPECT_EQ(index.Register("abcdef"), 0);    // case matters
    EXPECT_EQ(index.Register("ABCDEF"), 1);
}

TEST(CodeIndex, EmptyCodeIsKeptApartFromFreeSlots) {
    ClCodeIndex index;
    EXPECT_EQ(index.Register(""), 0);
    EXPECT_EQ(index.Register(""), 1);
    EXPECT_EQ(index.Register("0"), 0);
}

TEST(CodeIndex, ManyCodesKeepTheirAnswers) {
    ClCodeIndex index;
    char code[16];
    for (int i = 0; i < 20000; ++i) {
        std::snprintf(code, sizeof code, "%06d", i);
        ASSERT_EQ(index.Register(code), 0) << i;
    }
    for (int i = 0; i < 20000; i += 997) {
        std::snprintf(code, sizeof code, "%06d", i);
        EXPECT_EQ(index.Register(code), 1) << i;
        std::snprintf(code, sizeof code, "%06d01", i);
        EXPECT_EQ(index.Register(code), 2) << i;
    }
}

TEST(CodeIndex, ReservedRoomIsNotGrownByThatManyCodes) {
    ClCodeIndex index;
    index.Reserve(5000);
    const size_t bytes = index.Bytes();
    char code[16];
    for (int i = 0; i < 5000; ++i) {
        std::snprintf(code, sizeof code, "%06d", i);
        index.Register(code);
    }
    EXPECT_EQ(index.Bytes(), bytes);
    EXPECT_EQ(index.Register("000001"), 1);
}
