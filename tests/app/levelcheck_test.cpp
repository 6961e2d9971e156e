// levelcheck_test.cpp - the level file cases, with the host's message display recorded.
#include "levelcheck.h"

#include <gtest/gtest.h>

#include <filesystem>
#include <string>
#include <vector>

#include "hostconnect.h"
#include "osapi.h"
#include "platform/mapped_temp.h"

// The host's connection, reduced to recording what the level check shows.
namespace {
struct StSHOWN {
    void* owner;
    std::string text;
    std::string caption;
    unsigned int type;
};
std::vector<StSHOWN> g_shown;
}  // namespace

ClAccConnect::ClAccConnect() : m_title(nullptr) {}
ClAccConnect* ClAccConnect::Inst() {
    static ClAccConnect connection;
    return &connection;
}
long ClAccConnect::DispMsg(void* owner, const char* text, const char* caption, unsigned int type) {
    g_shown.push_back({owner, text, caption, type});
    return 0;
}

namespace {

// Shift-JIS bytes written out, so that a change of the compiler's conversion shows too.
// No level file, or an empty value:
const char* const kMsgBadEnvironment =
    "\x93\xAE\x8D\xEC\x8A\xC2\x8B\xAB\x82\xAA\x95\x73\x90\xB3\x82\xC5\x82\xB7\x81\x42\x0A\x45\x53\x5F"
    "\x41\x50\x52\x50\x41\x43\x4B\x41\x47\x45\x4E\x41\x4D\x45\x82\xAA\x90\xB3\x82\xB5\x82\xAD\x83\x43"
    "\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xB3\x82\xEA\x82\xC4\x82\xA2\x82\xE9\x82\xA9\x8A\x6D"
    "\x94\x46\x82\xB5\x82\xC4\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";

// The level is below the one needed (newer package wanted):
const char* const kMsgOlderPackage =
    "\x82\xB2\x97\x98\x97\x70\x82\xCC\x98\x41\x93\xAE\x83\x52\x83\x93\x83\x7C\x81\x5B\x83\x6C\x83\x93"
    "\x83\x67\x82\xCD\x81\x41\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xB3\x82\xEA\x82\xC4"
    "\x82\xA2\x82\xE9\x45\x53\x5F\x41\x50\x52\x50\x41\x43\x4B\x41\x47\x45\x4E\x41\x4D\x45\x82\xC5\x82"
    "\xCD\x8E\x67\x97\x70\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x42\x0A\x45\x53\x5F\x41\x50\x52"
    "\x50\x41\x43\x4B\x41\x47\x45\x4E\x41\x4D\x45\x82\xCC\x8D\xC5\x90\x56\x94\xC5\x82\xF0\x93\xFC\x8E"
    "\xE8\x82\xB5\x82\xC4\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xB5\x82\xC4\x82\xA9\x82"
    "\xE7\x82\xB2\x97\x98\x97\x70\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
// The level is above it (newer component wanted):
const char* const kMsgOlderComponent =
    "\x82\xB2\x97\x98\x97\x70\x82\xCC\x98\x41\x93\xAE\x83\x52\x83\x93\x83\x7C\x81\x5B\x83\x6C\x83\x93"
    "\x83\x67\x82\xCD\x81\x41\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xB3\x82\xEA\x82\xC4"
    "\x82\xA2\x82\xE9\x45\x53\x5F\x41\x50\x52\x50\x41\x43\x4B\x41\x47\x45\x4E\x41\x4D\x45\x82\xC5\x82"
    "\xCD\x8E\x67\x97\x70\x82\xC5\x82\xAB\x82\xDC\x82\xB9\x82\xF1\x81\x42\x0A\x98\x41\x93\xAE\x83\x52"
    "\x83\x93\x83\x7C\x81\x5B\x83\x6C\x83\x93\x83\x67\x82\xCC\x8D\xC5\x90\x56\x94\xC5\x82\xF0\x93\xFC"
    "\x8E\xE8\x82\xB5\x82\xC4\x83\x43\x83\x93\x83\x58\x83\x67\x81\x5B\x83\x8B\x82\xB5\x82\xC4\x82\xA9"
    "\x82\xE7\x82\xB2\x97\x98\x97\x70\x82\xAD\x82\xBE\x82\xB3\x82\xA2\x81\x42";
const char* const kCaption = "\x8C\xB8\x89\xBF\x8F\x9E\x8B\x70";  // 減価償却
const std::string kHyo = "\x95\x5C";                              // 表, trail byte 0x5C

class LevelCheck : public ::testing::Test {
protected:
    void SetUp() override {
        g_shown.clear();
        m_saved = std::filesystem::current_path();
        ASSERT_TRUE(OsSetCurrentFolder(m_temp.Win().c_str()));
    }
    void TearDown() override { std::filesystem::current_path(m_saved); }

    void WriteLevelFile(const std::string& bytes, const std::string& folder = "") {
        ASSERT_TRUE(WriteWin(m_temp.Win(folder + "ZorvanDef.ini"), bytes));
    }
    // Runs the check asking for the message; the one message shown, or "" when none was.
    std::string Refusal(int* result) {
        g_shown.clear();
        *result = CheckEnvironmentLevel(1);
        if (g_shown.empty()) return "";
        EXPECT_EQ(1u, g_shown.size());
        EXPECT_EQ(nullptr, g_shown[0].owner);
        EXPECT_EQ(kCaption, g_shown[0].caption);
        EXPECT_EQ(0x30u, g_shown[0].type);
        return g_shown[0].text;
    }

    MappedTemp m_temp;
    std::filesystem::path m_saved;
};

}  // namespace

TEST_F(LevelCheck, NoLevelFileRefusesWithTheEnvironmentMessage) {
    int result = -9;
    EXPECT_EQ(kMsgBadEnvironment, Refusal(&result));
    EXPECT_EQ(0, result);
}

TEST_F(LevelCheck, ValuesOfTheLevelKey) {
    struct {
        const char* file;
        int result;
        const char* message;  // null: none shown
    } cases[] = {
        {"[ProgramLevel]\nRX52=2\n", 1, nullptr},
        {"[ProgramLevel]\r\nRX52=02\r\n", 1, nullptr},
        {"[ProgramLevel]\nRX52=\" 2\"\n", 1, nullptr},       // the blank survives the quotes
        {"[ProgramLevel]\nRX52=2x\n", 1, nullptr},           // digits up to the first other byte
        {"[ProgramLevel]\nOther=2\n", 0, kMsgOlderPackage},  // missing key: default level 1
        {"[Other]\nRX52=2\n", 0, kMsgOlderPackage},
        {"[ProgramLevel]\nRX52=\n", 0, kMsgBadEnvironment},  // empty unlike missing
        {"[ProgramLevel]\nRX52=1\n", 0, kMsgOlderPackage},
        {"[ProgramLevel]\nRX52=abc\n", 0, kMsgOlderPackage},
        {"[ProgramLevel]\nRX52=-4\n", 0, kMsgOlderPackage},
        {"[ProgramLevel]\nRX52=3\n", 0, kMsgOlderComponent},
        {"[ProgramLevel]\nRX52=999999999999999\n", 0, kMsgOlderComponent},
    };
    for (const auto& c : cases) {
        SCOPED_TRACE(c.file);
        WriteLevelFile(c.file);
        int result = -9;
        EXPECT_EQ(c.message ? c.message : "", Refusal(&result));
        EXPECT_EQ(c.result, result);
    }
}

TEST_F(LevelCheck, RefusesSilentlyWhenNoMessageIsWanted) {
    WriteLevelFile("[ProgramLevel]\nRX52=3\n");
    EXPECT_EQ(0, CheckEnvironmentLevel(0));
    EXPECT_TRUE(g_shown.empty());
}

TEST_F(LevelCheck, FolderEndingInTrailByte5CStillGetsItsSeparator) {
    const std::string folder = m_temp.Win(kHyo);
    ASSERT_TRUE(OsCreateDirectory(folder.c_str()));
    ASSERT_TRUE(OsSetCurrentFolder(folder.c_str()));
    char current[261] = {0};
    ASSERT_TRUE(OsGetCurrentFolder(current, sizeof current));
    ASSERT_EQ(kHyo, std::string(current).substr(std::string(current).size() - 2));
    // The file beside the folder, under the name the missing separator would make, must not count.
    WriteLevelFile("[ProgramLevel]\nRX52=2\n", kHyo);  // the folder name run into the file name
    EXPECT_EQ(0, CheckEnvironmentLevel(0));
    WriteLevelFile("[ProgramLevel]\nRX52=2\n", kHyo + "\\");
    EXPECT_EQ(1, CheckEnvironmentLevel(1));
    EXPECT_TRUE(g_shown.empty());
}
