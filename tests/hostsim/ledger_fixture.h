// ledger_fixture.h - a small ledger written inline into a temporary folder for the stand-in host.
#pragma once

#include <gtest/gtest.h>

#include <cstring>
#include <string>

#include "hostsim.h"
#include "setmgr.h"
#include "shareddata.h"
#include "testutil.h"

// Columns of one asset row: key, code, type, name, quantity, memo, disposal, capex, dates,
// amounts and figures in file order (see docs/ledger-format.md).
inline std::string AssetRow(const std::string& key, const std::string& code, int method,
                            const std::string& name = "NAME", const std::string& cost = "1000") {
    return key + "," + code + ",5," + name + ",3台,memo,0,,20200401,20200501," + cost + ",0,0," +
           std::to_string(method) + ",5,200,0,0,0,10000,30,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n";
}

class LedgerTest : public ::testing::Test {
protected:
    LedgerTest() {
        ClDataMgr::Inst()->GetSetMgr()->SetLedgerFolder(dir.Path());
        ClHostSim::Inst()->Reset();
        WriteDefaults();
    }
    ~LedgerTest() override { ClHostSim::Inst()->Reset(); }

    // Three data sets: an individual (3), the selected company (7) and past actual data (8).
    void WriteDefaults() {
        WriteBytes(dir.File("session.csv"), ";userId,selectionNo,dataSetNo,outputFolder,settingsFolder\r\n"
                                            "tanaka,2,7,C:\\out,C:\\settings\\\r\n");
        WriteBytes(dir.File("datasets.csv"), ";dataNo,dataId,companyName,periodStart,periodEnd,dataKind,entityKind\r\n"
                                             "3,ID-THREE,Individual,20230101,20231231,1,3\r\n"
                                             "7,ID-SEVEN,Company,20230401,20240331,1,0\r\n"
                                             "8,ID-PAST,Company,20220401,20230331,99,0\r\n");
        WriteBytes(dir.File("assets-3.csv"), "");
        WriteBytes(dir.File("assets-7.csv"), AssetRow("K1", "000001", 6) + AssetRow("K2", "000002", 6));
        WriteBytes(dir.File("assets-8.csv"), ";no assets\r\n");
    }

    // The message of a bad ledger, loading it first.
    std::string LedgerError() {
        ClHostSim::Inst()->Reset();
        EXPECT_EQ(ClHostSim::Inst()->Ledger(), nullptr);
        return ClHostSim::Inst()->GetLedgerError();
    }

    TempDir dir;
};
