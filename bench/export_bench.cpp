// export_bench.cpp - exports generated ledgers of many assets and compares the speed with copying them.
//
// export_bench [--ledgergen PATH] [--work DIR] [--seed S] [N ...]   (default N: 100000 1000000)
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <string>
#include <vector>

#include "assetexporter.h"
#include "ledgercore.h"
#include "setmgr.h"
#include "shareddata.h"

namespace fs = std::filesystem;

namespace {

double Seconds(std::chrono::steady_clock::time_point since) {
    return std::chrono::duration<double>(std::chrono::steady_clock::now() - since).count();
}

// Peak resident set of this process in MB, from the kernel's status file; -1 where there is none.
double PeakResidentMB() {
    std::ifstream status("/proc/self/status");
    std::string line;
    while (std::getline(status, line)) {
        if (line.rfind("VmHWM:", 0) == 0) return std::atof(line.c_str() + 6) / 1024.0;
    }
    return -1;
}

uintmax_t FolderBytes(const fs::path& folder) {
    uintmax_t total = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(folder)) {
        if (e.is_regular_file()) total += e.file_size();
    }
    return total;
}

long CountLines(const fs::path& file) {
    std::ifstream in(file, std::ios::binary);
    long lines = 0;
    std::string line;
    while (std::getline(in, line)) ++lines;
    return lines;
}

// Time of `cat` copying the given files to the null device, in seconds; -1 when it failed.
double CatSeconds(const std::string& files) {
    const auto start = std::chrono::steady_clock::now();
    const int rc = std::system(("cat " + files + " > /dev/null").c_str());
    return rc == 0 ? Seconds(start) : -1;
}

int RunOne(const std::string& ledgergen, const fs::path& work, long assets, long seed) {
    const fs::path ledger = work / ("ledger-" + std::to_string(assets));
    const fs::path out = work / ("out-" + std::to_string(assets));
    fs::create_directories(out);
    fs::create_directories(ledger);
    const std::string generate = "\"" + ledgergen + "\" --assets " + std::to_string(assets) + " --seed " +
                                 std::to_string(seed) + " --out \"" + ledger.string() + "\"";
    auto start = std::chrono::steady_clock::now();
    if (std::system(generate.c_str()) != 0) {
        std::fprintf(stderr, "export_bench: %s failed\n", generate.c_str());
        return 1;
    }
    const double generateSeconds = Seconds(start);

    ClDataMgr::Inst()->GetSetMgr()->SetLedgerFolder(ledger.string());
    const StDATAINFO* set = ClDataMgr::Inst()->GetSetObject(5, 1)->GetSelectedInfo();
    const fs::path dataFile = out / "assets.csv";
    start = std::chrono::steady_clock::now();
    int failed = 0;
    {
        ClAssetExporter exporter;
        exporter.SetOutputPath(dataFile.string().c_str());
        exporter.StartOutput(set);
        exporter.ExportAssets();
        exporter.ExportAssetTypes(set);
        failed = exporter.HadOutputFailure();
    }
    const double exportSeconds = Seconds(start);

    const long rows = CountLines(dataFile) - 7;
    const double outputMB = static_cast<double>(FolderBytes(out)) / 1e6;
    const double ledgerMB = static_cast<double>(FolderBytes(ledger)) / 1e6;
    const double catLedger = CatSeconds("\"" + ledger.string() + "\"/*");
    const double catOutput = CatSeconds("\"" + out.string() + "\"/*");
    std::printf("assets %ld: generated in %.2f s; exported %ld rows in %.2f s = %.0f rows/s\n", assets,
                generateSeconds, rows, exportSeconds, rows / exportSeconds);
    std::printf("  ledger %.1f MB, output %.1f MB = %.1f MB/s; peak resident %.1f MB%s\n", ledgerMB, outputMB,
                outputMB / exportSeconds, PeakResidentMB(), failed ? "; OUTPUT FAILURE" : "");
    std::printf("  cat: ledger %.3f s, output %.3f s\n", catLedger, catOutput);
    return failed;
}

}  // namespace

int main(int argc, char** argv) {
    std::string ledgergen = LEDGERGEN_PATH;
    fs::path work = fs::temp_directory_path() / "export_bench";
    long seed = 1;
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--ledgergen" && i + 1 < argc) {
            ledgergen = argv[++i];
        } else if (arg == "--work" && i + 1 < argc) {
            work = argv[++i];
        } else if (arg == "--seed" && i + 1 < argc) {
            seed = std::atol(argv[++i]);
        } else {
            sizes.push_back(std::atol(arg.c_str()));
        }
    }
    if (sizes.empty()) sizes = {100000, 1000000};
    std::error_code ec;
    fs::remove_all(work, ec);
    fs::create_directories(work);
    int rc = 0;
    for (long n : sizes) rc |= RunOne(ledgergen, work, n, seed);
    fs::remove_all(work, ec);
    return rc;
}
