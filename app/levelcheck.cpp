// levelcheck.cpp - the program-level check against the installation's level file.
#include "levelcheck.h"

#include <cstdlib>
#include <cstring>

#include "caption.h"
#include "hostconnect.h"
#include "osapi.h"
#include "pathrules.h"

const char kLevelFileName[] = "ZorvanDef.ini";

namespace {

const long kRequiredLevel = 2;

struct StLEVELMESSAGE {
    int outcome;
    const char* text;
};

// The token ES_APRPACKAGENAME is the host's to replace with the package's name.
const StLEVELMESSAGE kLevelMessages[] = {
    {-1, "動作環境が不正です。\nES_APRPACKAGENAMEが正しくインストールされているか確認してください。"},
    {1,
     "ご利用の連動コンポーネントは、インストールされているES_APRPACKAGENAMEでは使用できません。\n"
     "ES_APRPACKAGENAMEの最新版を入手してインストールしてからご利用ください。"},
    {2,
     "ご利用の連動コンポーネントは、インストールされているES_APRPACKAGENAMEでは使用できません。\n"
     "連動コンポーネントの最新版を入手してインストールしてからご利用ください。"},
};

// -1: no file or an empty value; 1: below the required level; 2: above it; 0: the level fits.
int ReadLevelOutcome() {
    char directory[261];
    std::memset(directory, 0, sizeof directory);
    // A folder the system cannot name leaves a bare file name, which the profile reader would look
    // for in the Windows folder: the test below and the read would name different files.
    if (!OsGetCurrentFolder(directory, sizeof directory)) return -1;

    char path[517];
    std::memset(path, 0, sizeof path);
    std::strcpy(path, directory);
    const size_t length = std::strlen(path);
    if (length > 0) {
        const size_t last = length - 1;
        if (path[last] == '\\') {
            // A trail byte 0x5C is part of the folder's last character, not a separator.
            if (IsDoubleByteAt(path, last)) std::strcat(path, "\\");
        } else if (length < sizeof path - 1) {
            std::strcat(path, "\\");
        }
    }
    std::strcat(path, kLevelFileName);

    // Only a plain file is read: a FIFO would block the start, a device never end.
    if (OsGetFileStatus(path).kind != FilePlain) return -1;

    char value[16];
    std::memset(value, 0, sizeof value);
    OsGetProfileString("ProgramLevel", "RX52", "1", value, sizeof value, path);
    if (!value[0]) return -1;

    // As the runtime's decimal conversion: blanks skipped, digits up to the first other byte, 0
    // when there are none; strtol clamps where a long run of digits would overflow.
    const long level = std::strtol(value, nullptr, 10);
    if (level == kRequiredLevel) return 0;
    return level < kRequiredLevel ? 1 : 2;
}

}  // namespace

int CheckEnvironmentLevel(int showMessage) {
    const int outcome = ReadLevelOutcome();
    for (const StLEVELMESSAGE& message : kLevelMessages) {
        if (message.outcome != outcome) continue;
        if (showMessage) ClAccConnect::Inst()->DispMsg(nullptr, message.text, kCaption, 0x30);
        return 0;
    }
    return 1;
}
