// ledger_session_test.cpp - user, selection, data-set walk, folders, faults and the call journal.
#include <cstdlib>
#include <cstring>

#include "folderservice.h"
#include "hostconnect.h"
#include "ledger_fixture.h"
#include "ledgercore.h"

namespace {

std::vector<long> WalkDataNumbers() {
    ClSetData* list = ClDataMgr::Inst()->GetSetObject(5, 1);
    std::vector<long> numbers;
    long cursor = 0;
    EXPECT_EQ(list->GetDatCursor(&cursor), 0);
    EXPECT_EQ(list->ReadyDat(cursor, 0), 0);
    StDATAINFO info;
    for (;;) {
        std::memset(&info, 0, sizeof info);
        if (list->WalkDat(&info, cursor) != 0) break;
        numbers.push_back(info.dataNo);
    }
    EXPECT_EQ(list->ReleaseDatCursor(cursor), 0);
    EXPECT_NE(list->WalkDat(&info, cursor), 0);  // a released cursor walks no more
    return numbers;
}

}  // namespace

TEST_F(LedgerTest, UserAndSelectionComeFromTheSession) {
    char user[65];
    std::memset(user, 'x', sizeof user);
    ClSysUser* sysUser = ClDataMgr::Inst()->GetSysUserObject();
    ASSERT_EQ(sysUser->GetCurUserID(user), 0);
    EXPECT_STREQ(user, "tanaka");
    long selection = 0, dataSet = 0;
    ASSERT_EQ(sysUser->GetSelectedNo(user, &selection, &dataSet), 0);
    EXPECT_EQ(selection, 2);
    EXPECT_EQ(dataSet, 7);
    selection = dataSet = -5;
    EXPECT_NE(sysUser->GetSelectedNo("suzuki", &selection, &dataSet), 0);
    EXPECT_EQ(selection, -5);
}

TEST_F(LedgerTest, DataSetsWalkInFileOrderAndTheSelectedOneIsFound) {
    EXPECT_EQ(WalkDataNumbers(), (std::vector<long>{3, 7, 8}));
    EXPECT_EQ(WalkDataNumbers(), (std::vector<long>{3, 7, 8}));  // each cursor starts afresh

    ClSetData* list = ClDataMgr::Inst()->GetSetObject(5, 1);
    EXPECT_EQ(ClDataMgr::Inst()->GetSetObject(4, 1), nullptr);
    const StDATAINFO* sel = list->GetSelectedInfo();
    ASSERT_NE(sel, nullptr);
    EXPECT_EQ(sel->dataNo, 7);
    EXPECT_EQ(std::memcmp(sel->dataId, "ID-SEVEN\0\0\0\0\0\0\0\0", 16), 0);
    EXPECT_STREQ(sel->companyName, "Company");
    EXPECT_EQ(sel->periodStart, 20230401);
    EXPECT_EQ(sel->periodEnd, 20240331);
    EXPECT_EQ(sel->dataKind, 1);
    EXPECT_EQ(sel->entityKind, 0);

    char id[35];
    ASSERT_EQ(ClUtyDBHpr::Inst()->MakeIDStr(sel->dataId, id), 0);
    EXPECT_STREQ(id, "49442D534556454E0000000000000000");
}

TEST_F(LedgerTest, SelectionOutsideTheListGivesAZeroRecord) {
    WriteBytes(dir.File("session.csv"), "tanaka,1,99,,C:\\s\\\r\n");
    const unsigned char* sel = reinterpret_cast<const unsigned char*>(ClDataMgr::Inst()->GetSetObject(5, 1)->GetSelectedInfo());
    ASSERT_NE(sel, nullptr);
    for (int i = 0; i < 1506; ++i) ASSERT_EQ(sel[i], 0) << i;
    EXPECT_STREQ(ClFileMgr::Inst()->GetAppFolderPath(ClFileMgr::FolderOutput), "");
}

TEST_F(LedgerTest, FoldersEndInABackslashOfTheirOwn) {
    EXPECT_STREQ(ClFileMgr::Inst()->GetAppFolderPath(ClFileMgr::FolderOutput), "C:\\out\\");
    EXPECT_STREQ(ClFileMgr::Inst()->GetAppFolderPath(ClFileMgr::FolderSettings), "C:\\settings\\");
    // 表 ends in the byte 0x5C, which is no separator: the folder still gets its backslash.
    WriteBytes(dir.File("session.csv"), "tanaka,1,7,C:\\\x95\x5C,C:\\\x83\x5C\x83t\x83g\\\r\n");
    ClHostSim::Inst()->Reset();
    EXPECT_STREQ(ClFileMgr::Inst()->GetAppFolderPath(ClFileMgr::FolderOutput), "C:\\\x95\x5C\\");
    EXPECT_STREQ(ClFileMgr::Inst()->GetAppFolderPath(ClFileMgr::FolderSettings), "C:\\\x83\x5C\x83t\x83g\\");
}

TEST_F(LedgerTest, ConnectionCallsAreJournaledAndMessagesShowThePackageName) {
    TempDir journalDir;
    const std::string journal = journalDir.File("journal.txt");
#ifdef _WIN32
    _putenv_s("HOSTSIM_JOURNAL", journal.c_str());
#else
    setenv("HOSTSIM_JOURNAL", journal.c_str(), 1);
#endif
    ClHostSim::Inst()->KeepJournal(true);
    ClAccConnect* c = ClAccConnect::Inst();
    c->m_title = "\x8C\xB8\x89\xBF\x8F\x9E\x8B\x70";
    c->SetAppType(ClSysEnvMgr::AppEdition3);
    c->SetUseDataType(3);
    EXPECT_EQ(c->Initiate(), 0);
    EXPECT_EQ(c->ExpSysLink(), 0);
    c->DispMsg(nullptr, "ES_APRPACKAGENAME\n\tok", "cap", 0x30);
    c->LogOut();
    c->Terminate();
    c->Release();
#ifdef _WIN32
    _putenv_s("HOSTSIM_JOURNAL", "");
#else
    unsetenv("HOSTSIM_JOURNAL");
#endif
    const std::vector<std::string> expected = {"SetAppType\t3",
                                               "SetUseDataType\t3",
                                               "Initiate\t\x8C\xB8\x89\xBF\x8F\x9E\x8B\x70\t0",
                                               "ExpSysLink\t0",
                                               "DispMsg\t48\tcap\tES_APRPACKAGENAME\\n\\tok",
                                               "LogOut",
                                               "Terminate",
                                               "Release"};
    EXPECT_EQ(ClHostSim::Inst()->Journal(), expected);
    std::string file;
    for (const auto& e : expected) file += e + "\n";
    EXPECT_EQ(ReadBytes(journal), file);
    c->m_title = nullptr;
    ClHostSim::Inst()->KeepJournal(false);
}

TEST_F(LedgerTest, FaultSwitchesMakeTheNamedCallsFail) {
    WriteBytes(dir.File("faults.csv"), ";operation,result,index\r\nInitiate,-5,\r\nExpSysLink,3,\r\nMove,-1,1\r\n"
                                       "MoveIkkatsu,-2,0\r\nLoadShisanKubunInfo,-9,\r\n");
    WriteBytes(dir.File("assets-7.csv"), AssetRow("", "A", 6) + AssetRow("", "B", 6) + AssetRow("L", "C", 4));
    WriteBytes(dir.File("breakdowns-7.csv"), "L,1,x,0,1,1\r\nL,2,y,0,1,1\r\n");
    WriteBytes(dir.File("categories-7.csv"), "1,a,1,0\r\n");
    EXPECT_EQ(ClAccConnect::Inst()->Initiate(), -5);
    EXPECT_EQ(ClAccConnect::Inst()->ExpSysLink(), 3);

    ClRuleGenkashokyaku rule;
    char id[kDataIdBytes] = "ID-SEVEN";
    rule.SetCurDataID(id);
    ASSERT_EQ(rule.MoveReady(nullptr, SortHostOrder, SumNone), 0);
    StKOTEISHISANINFO m;
    StKOTEINENINFO y;
    StKOTEITSUKIINFO t;
    EXPECT_EQ(rule.Move(0, &m, &y, &t), 0);
    std::memset(&m, 0x55, sizeof m);
    EXPECT_EQ(rule.Move(1, &m, &y, &t), -1);
    // A failing call leaves the buffer alone: zero-filling it is the caller's part.
    for (size_t i = 0; i < sizeof m; ++i) ASSERT_EQ(reinterpret_cast<unsigned char*>(&m)[i], 0x55) << i;
    EXPECT_EQ(rule.Move(2, &m, &y, &t), 0);  // the walk goes on after the failed index
    EXPECT_STREQ(m.assetCode, "C");

    ASSERT_EQ(rule.MoveReadyIkkatsu(m.assetKey), 0);
    StIKKATSUINFO b;
    std::memset(&b, 0x55, sizeof b);
    EXPECT_EQ(rule.MoveIkkatsu(0, &b), -2);
    EXPECT_EQ(b.breakdownNo[0], 0x55);
    EXPECT_EQ(rule.MoveIkkatsu(1, &b), 0);
    EXPECT_STREQ(b.breakdownNo, "2");

    StSHISANKUBUNINFO* cats = nullptr;
    long n = 7;
    EXPECT_EQ(rule.LoadShisanKubunInfo(&cats, &n), -9);
    EXPECT_EQ(cats, nullptr);
    EXPECT_EQ(n, 7);
}
