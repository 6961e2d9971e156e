// charset_test.cpp - the compiled literals are Shift-JIS, not UTF-8.
#include <gtest/gtest.h>

#include <string>

TEST(Charset, LiteralsAreShiftJis) {
    EXPECT_EQ(std::string("～"), std::string("\x81\x60"));
    EXPECT_EQ(std::string("｢"), std::string("\xA2"));
    EXPECT_EQ(std::string("｣"), std::string("\xA3"));
    EXPECT_EQ(std::string("減価償却"), std::string("\x8C\xB8\x89\xBF\x8F\x9E\x8B\x70"));
}

TEST(Charset, TrailByte5CSurvives) {
    // 表 ends in the byte of a backslash: the literal must keep both bytes as they are.
    EXPECT_EQ(std::string("表"), std::string("\x95\x5C"));
    EXPECT_EQ(sizeof("ソ能") - 1, 4u);
}
