// winpath_test.cpp - the Shift-JIS rules of Windows paths: walks, roots, comparison, siblings.
#include "winpath.h"

#include <gtest/gtest.h>

#include <cstring>
#include <string>

namespace {

const std::string kHyo = "\x95\x5C";  // 表
const std::string kSo = "\x83\x5C";   // ソ
const size_t kPathRoom = 261;

struct StBUF {
    char text[kPathRoom];
    explicit StBUF(const std::string& s) {
        std::memset(text, 0, sizeof text);
        std::strncpy(text, s.c_str(), kPathRoom - 1);
    }
};

}  // namespace

TEST(IsDoubleByteAt, WalksFromTheStart) {
    const std::string text = "a" + kHyo + "b" + kSo + "\\";
    EXPECT_FALSE(IsDoubleByteAt(text.c_str(), 0));
    EXPECT_TRUE(IsDoubleByteAt(text.c_str(), 1));
    EXPECT_TRUE(IsDoubleByteAt(text.c_str(), 2));  // 0x5C as a trail byte
    EXPECT_FALSE(IsDoubleByteAt(text.c_str(), 3));
    EXPECT_TRUE(IsDoubleByteAt(text.c_str(), 5));
    EXPECT_FALSE(IsDoubleByteAt(text.c_str(), 6));  // the real backslash after ソ
    EXPECT_FALSE(IsDoubleByteAt(text.c_str(), 40));
    // A lead byte before a byte that is no trail byte stands alone; so does one at the end.
    EXPECT_FALSE(IsDoubleByteAt("\x81 x", 0));
    EXPECT_FALSE(IsDoubleByteAt("ab\x95", 2));
    // "\x5C" after a double-byte character whose trail is 0x5C is still a separator.
    EXPECT_FALSE(IsDoubleByteAt((kHyo + "\\").c_str(), 2));
    // Half-width katakana (0xA2) is single-byte.
    EXPECT_FALSE(IsDoubleByteAt("\xA2\x5C", 0));
}

TEST(AddTrailingBackslash, Rules) {
    StBUF empty("");
    EXPECT_FALSE(AddTrailingBackslash(empty.text, kPathRoom));
    StBUF plain("C:\\a");
    EXPECT_TRUE(AddTrailingBackslash(plain.text, kPathRoom));
    EXPECT_STREQ(plain.text, "C:\\a\\");
    EXPECT_TRUE(AddTrailingBackslash(plain.text, kPathRoom));
    EXPECT_STREQ(plain.text, "C:\\a\\");
    StBUF hyo("C:\\" + kHyo);
    EXPECT_TRUE(AddTrailingBackslash(hyo.text, kPathRoom));
    EXPECT_EQ(std::string(hyo.text), "C:\\" + kHyo + "\\");

    StBUF full(std::string(260, 'a'));
    EXPECT_FALSE(AddTrailingBackslash(full.text, kPathRoom));
    EXPECT_EQ(std::strlen(full.text), 260u);
    StBUF fits(std::string(259, 'a'));
    EXPECT_TRUE(AddTrailingBackslash(fits.text, kPathRoom));
    EXPECT_EQ(std::strlen(fits.text), 260u);
    // A double-byte ending at the room's limit gets no byte beyond it.
    StBUF fullHyo(std::string(258, 'a') + kHyo);
    EXPECT_FALSE(AddTrailingBackslash(fullHyo.text, kPathRoom));
    EXPECT_EQ(std::strlen(fullHyo.text), 260u);
}

TEST(FileNameStart, AfterTheLastSeparatorOrTheDrive) {
    EXPECT_EQ(FileNameStart("C:name.csv"), 2u);
    EXPECT_EQ(FileNameStart("name.csv"), 0u);
    EXPECT_EQ(FileNameStart("C:\\a\\\x95\x5C.csv"), 5u);  // 表's trail byte is no separator
}

// The name of the file-save dialog starts past the last backslash, else past the last colon; a
// trail byte 0x5C is neither.
TEST(SaveNameStart, PastTheLastBackslashElseTheColon) {
    EXPECT_EQ(SaveNameStart("C:\\dir\\a.csv"), 7u);
    EXPECT_EQ(SaveNameStart("C:a.csv"), 2u);
    EXPECT_EQ(SaveNameStart(("C:\\" + kHyo).c_str()), 3u);
    EXPECT_EQ(SaveNameStart("a.csv"), 0u);
}

TEST(ShareRootEnd, TheBackslashAfterTheShareOrTheEnd) {
    const std::string path = "\\\\" + kSo + "\\share\\x.csv";  // 0x5C in the server's name
    const char* end = ShareRootEnd(path.c_str());
    ASSERT_NE(end, nullptr);
    EXPECT_EQ(std::string(path.c_str(), end), "\\\\" + kSo + "\\share");
    EXPECT_STREQ(ShareRootEnd("\\\\srv\\share"), "");
    EXPECT_EQ(ShareRootEnd("C:\\x"), nullptr);
}

TEST(SameNoCase, AsciiLettersOnlyAndWholeTexts) {
    EXPECT_TRUE(SameNoCase("Syurui.ssc", "syurui.SSC"));
    EXPECT_FALSE(SameNoCase("syurui.SSC", "syurui.SSC.txt"));
    EXPECT_FALSE(SameNoCase("\x82\x60", "\x82\x81"));  // Ａ and ａ are two characters
    EXPECT_TRUE(SameStartNoCase("C:\\OUT\\a", "c:\\out\\b", 7));
}

TEST(SiblingFits, TheNameBesideTheFileWithinTheRoom) {
    const std::string folder = "C:\\" + std::string(241, 'a') + "\\";  // 245 bytes
    EXPECT_TRUE(SiblingFits((folder + "x.csv").c_str(), kTypeFileName, kPathRoom));        // 255 bytes
    EXPECT_FALSE(SiblingFits((folder + "x.csv").c_str(), "Marlo3SysErr.txt", kPathRoom));  // 261
    EXPECT_TRUE(SiblingFits((folder + "x.csv").c_str(), "Marlo3SysErr.txt", kPathRoom + 1));
}

TEST(SiblingPath, TheFolderAndTheNameOrNothing) {
    StBUF path("C:\\out\\" + kHyo + ".csv");  // the trail byte 0x5C is no separator
    char out[kPathRoom];
    ASSERT_TRUE(SiblingPath(path.text, "syurui.SSC", out, sizeof out));
    EXPECT_STREQ(out, "C:\\out\\syurui.SSC");
    ASSERT_TRUE(SiblingPath(path.text, "log.txt", path.text, sizeof path.text));  // in place
    EXPECT_STREQ(path.text, "C:\\out\\log.txt");
    EXPECT_FALSE(SiblingPath(("C:\\" + std::string(250, 'a') + "\\x.csv").c_str(), "Marlo3SysErr.txt", out, sizeof out));
    EXPECT_STREQ(out, "");
}
