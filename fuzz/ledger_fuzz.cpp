// ledger_fuzz.cpp - a ledger of outside bytes loaded by the stand-in host and exported whole.
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <string>
#include <vector>

#include "exportapp.h"
#include "fuzz_helpers.h"
#include "hostsim.h"
#include "osapi.h"
#include "scriptedui.h"
#include "setmgr.h"
#include "shareddata.h"

namespace {

// The files the input may replace, in the order of its NUL-separated parts; the rest keep these.
const char* const kNames[] = {"datasets.csv", "assets-7.csv", "breakdowns-7.csv", "categories-7.csv", "session.csv",
                              "faults.csv"};
const char* const kDefaults[] = {
    ";dataNo,dataId,companyName,periodStart,periodEnd,dataKind,entityKind\r\n7,ID-SEVEN,Company,20230401,20240331,1,0\r\n",
    "K1,A1,5,NAME,3,memo,0,,20200401,20200501,1000,0,0,4,5,200,0,0,0,10000,30,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0,0\r\n",
    "K1,1,x,20200401,100,1\r\n", "1,Building,1,0\r\n", nullptr, nullptr};

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
    const std::string folder = ScratchFolder();
    static const bool mapped = OsMapDrive('C', folder.c_str(), DriveFixed);
    if (!mapped) return 0;
    const std::string ledger = folder + "/ledger";
    OsCreateDirectory("C:\\ledger");
    std::vector<std::string> parts(1);
    for (size_t i = 0; i < size; ++i) {
        if (data[i] == 0 && parts.size() < 6)
            parts.emplace_back();
        else
            parts.back() += static_cast<char>(data[i]);
    }
    for (size_t i = 0; i < 6; ++i) {
        const std::string path = ledger + "/" + kNames[i];
        std::remove(path.c_str());
        if (i < parts.size() && !parts[i].empty())
            WriteFile(path, parts[i]);
        else if (kDefaults[i])
            WriteFile(path, kDefaults[i]);
    }
    if (parts.size() < 5 || parts[4].empty())
        WriteFile(ledger + "/session.csv", "tanaka,2,7,C:\\out,C:\\settings\\\r\n");
    std::remove((folder + "/out/out.csv").c_str());

    ClDataMgr::Inst()->GetSetMgr()->SetLedgerFolder(ledger);
    ClHostSim::Inst()->Reset();
    std::FILE* transcript = std::fopen("/dev/null", "w");
    {
        ClScriptedUi ui(transcript, false);
        const char* arguments[] = {"--path", "C:\\out\\out.csv", "--answer", "yes"};
        std::string error;
        FUZZ_CHECK(ui.ParseArguments(4, const_cast<char**>(arguments), error));
        CExportApp app;
        app.SetShellUi(&ui);
        app.Run();
        if (app.Outcome() == RunExported || app.Outcome() == RunExportedLogged) {
            // A whole data file: header, column names, rows, every line ending in CR LF.
            const std::string bytes = ReadFile(folder + "/out/out.csv");
            size_t lines = 0;
            for (size_t i = 0; i < bytes.size(); ++i) {
                if (bytes[i] == '\n') {
                    FUZZ_CHECK(i > 0 && bytes[i - 1] == '\r');
                    ++lines;
                }
            }
            FUZZ_CHECK(lines >= 7 && !bytes.empty() && bytes.back() == '\n');
        }
    }
    std::fclose(transcript);
    ClHostSim::Inst()->Reset();
    return 0;
}
