// buildtable_test.cpp - the table of builds and the edition object a program links.
#include <gtest/gtest.h>

#include <string>

#include "buildtable.h"

TEST(BuildTable, FourDeliverables) {
    const StBUILDINFO* b3 = FindBuild(3);
    ASSERT_NE(b3, nullptr);
    EXPECT_STREQ(b3->name, "Marlo3Export");
    EXPECT_STREQ(b3->settingsFile, "Marlo3Export.env");
    EXPECT_STREQ(b3->logName, "Marlo3SysErr.txt");
    EXPECT_STREQ(b3->keyFormat, "%s/%d/%s:");
    for (int edition : {5, 4, 0}) {
        const StBUILDINFO* b = FindBuild(edition);
        ASSERT_NE(b, nullptr);
        const std::string digit = std::to_string(edition);
        EXPECT_EQ(std::string(b->name), "Marlo" + digit + "Export");
        EXPECT_EQ(std::string(b->settingsFile), "Marlo" + digit + "Export.env");
        EXPECT_EQ(std::string(b->logName), "Marlo" + digit + "SysErr.txt");
        EXPECT_STREQ(b->keyFormat, "%s/%s:");
    }
    EXPECT_EQ(FindBuild(1), nullptr);
    EXPECT_EQ(CurrentBuild().edition, 3);  // the tests link the edition-3 object
}
