// export_bench.cpp - times each phase of an export over generated ledgers against copying the same bytes.
//
// export_bench [--work DIR] [--seed S] [--keep] [N ...]   (default N: 100000 1000000)
//
// For each N: generates a ledger of N assets, then measures
//   load    the stand-in host loading and checking the ledger;
//   fetch   walking every record through the host's rule object (the host's second pass);
//   engine  the exporter over records fetched beforehand in batches, only its own calls timed;
//   whole   a run as the program makes it: a fresh host loading the ledger and the three steps;
//   copy    copying the ledger and the output into files of the same folder, as cp does: the
//           fastest of three, the ledger once generated, the output once the engine wrote it.
// Each phase is printed as a ratio to the copy, the 1M/100k ratio of each phase when both sizes
// run, the allocations of the engine phase and the peak resident set. Both outputs are checked
// against the SHA-256 recorded for the seed. Exit code non-zero when generating or writing failed
// or an output differs from the recorded bytes.
#include <chrono>
#include <cstdio>
#include <cstdlib>
#include <cstring>
#include <filesystem>
#include <new>
#include <string>
#include <vector>

#include "assetexporter.h"
#include "buildtable.h"
#include "hostsim.h"
#include "ledgercore.h"
#include "ledgergen.h"
#include "osapi.h"
#include "setmgr.h"
#include "shareddata.h"
#include "winpath.h"

namespace fs = std::filesystem;

// ---- allocations: every operator new of the program is counted while counting is on ----

namespace {
bool g_counting = false;
unsigned long long g_allocations = 0;

void* Allocate(std::size_t size) {
    if (g_counting) ++g_allocations;
    void* p = std::malloc(size ? size : 1);
    if (!p) throw std::bad_alloc();
    return p;
}
}  // namespace

void* operator new(std::size_t size) { return Allocate(size); }
void* operator new[](std::size_t size) { return Allocate(size); }
void* operator new(std::size_t size, const std::nothrow_t&) noexcept {
    if (g_counting) ++g_allocations;
    return std::malloc(size ? size : 1);
}
void* operator new[](std::size_t size, const std::nothrow_t&) noexcept {
    if (g_counting) ++g_allocations;
    return std::malloc(size ? size : 1);
}
void operator delete(void* p) noexcept { std::free(p); }
void operator delete[](void* p) noexcept { std::free(p); }
void operator delete(void* p, std::size_t) noexcept { std::free(p); }
void operator delete[](void* p, std::size_t) noexcept { std::free(p); }

namespace {

// ---- the bytes each seed gives ----

// SHA-256 of the engine's output for each seed: the asset data file, the link error log, and
// syurui.SSC without its 4th line (the date of the run); and of the generated assets-1.csv they
// were taken from, so that a change of the generator shows apart from one of the engine. A change
// of the engine must leave them as they are: they are the bytes the import format expects.
struct StRECORDED {
    long assets;
    long seed;
    const char* ledger;
    const char* data;
    const char* log;
    const char* type;
};
const StRECORDED kRecorded[] = {
    {10000, 1, "4ecf6eb255a637244db7953812b50cd93724f1425179b11b8f1a6bd2cdbd71f9",
     "a14c10a7dedddd9ae8dbb029cde980dcec18bbe8b70d9b08028eb4630c8812a5",
     "41a1710d93e6a2df310f91fb9015b15233734c69aaa9d1b3adc0b9d9fe56a184",
     "9f37d37baf14b6a8022dbf0cbd55b83c55c3c75b0409acabd949e3f80696d53c"},
    {100000, 1, "cd61240071479a814aacb5dafeea29e18b89fc8bccbfede2d6c6929fd7eb7b64",
     "d2c7e9851a95b249d1ced001d75582a7ebc73400990c2785329a597b8fad67ec",
     "f6283d247b146361a5cd98f204ec9f51faaec2741f959509a3c1735c4baf5489",
     "9f37d37baf14b6a8022dbf0cbd55b83c55c3c75b0409acabd949e3f80696d53c"},
    {1000000, 1, "67ae6d0858bddff23be4ebf97cdfc34f339eeb210a6780425f56bfaa5c6f6cd4",
     "cb41031ae6a39c7df9599c914402004fbf3bf7267070bcf818b514dac371335f",
     "0dc89a85899692753e06928592f62c50ba4378dbadadf1713b24795ab8c73ab2",
     "9f37d37baf14b6a8022dbf0cbd55b83c55c3c75b0409acabd949e3f80696d53c"},
};

class ClSha256 {
public:
    ClSha256() : m_state{0x6a09e667, 0xbb67ae85, 0x3c6ef372, 0xa54ff53a, 0x510e527f, 0x9b05688c, 0x1f83d9ab, 0x5be0cd19} {}

    void Update(const unsigned char* data, size_t n) {
        m_bits += static_cast<uint64_t>(n) * 8;
        while (n > 0) {
            const size_t take = n < 64 - m_used ? n : 64 - m_used;
            std::memcpy(m_block + m_used, data, take);
            m_used += take;
            data += take;
            n -= take;
            if (m_used == 64) Compress();
        }
    }

    std::string Hex() {
        const uint64_t bits = m_bits;
        const unsigned char one = 0x80, zero = 0;
        Update(&one, 1);
        while (m_used != 56) Update(&zero, 1);
        unsigned char length[8];
        for (int i = 0; i < 8; ++i) length[i] = static_cast<unsigned char>(bits >> (56 - 8 * i));
        Update(length, 8);
        char text[65];
        for (int i = 0; i < 8; ++i) std::snprintf(text + 8 * i, 9, "%08x", static_cast<unsigned>(m_state[i]));
        return text;
    }

private:
    static uint32_t Rotr(uint32_t x, int n) { return (x >> n) | (x << (32 - n)); }

    void Compress() {
        static const uint32_t k[64] = {
            0x428a2f98, 0x71374491, 0xb5c0fbcf, 0xe9b5dba5, 0x3956c25b, 0x59f111f1, 0x923f82a4, 0xab1c5ed5,
            0xd807aa98, 0x12835b01, 0x243185be, 0x550c7dc3, 0x72be5d74, 0x80deb1fe, 0x9bdc06a7, 0xc19bf174,
            0xe49b69c1, 0xefbe4786, 0x0fc19dc6, 0x240ca1cc, 0x2de92c6f, 0x4a7484aa, 0x5cb0a9dc, 0x76f988da,
            0x983e5152, 0xa831c66d, 0xb00327c8, 0xbf597fc7, 0xc6e00bf3, 0xd5a79147, 0x06ca6351, 0x14292967,
            0x27b70a85, 0x2e1b2138, 0x4d2c6dfc, 0x53380d13, 0x650a7354, 0x766a0abb, 0x81c2c92e, 0x92722c85,
            0xa2bfe8a1, 0xa81a664b, 0xc24b8b70, 0xc76c51a3, 0xd192e819, 0xd6990624, 0xf40e3585, 0x106aa070,
            0x19a4c116, 0x1e376c08, 0x2748774c, 0x34b0bcb5, 0x391c0cb3, 0x4ed8aa4a, 0x5b9cca4f, 0x682e6ff3,
            0x748f82ee, 0x78a5636f, 0x84c87814, 0x8cc70208, 0x90befffa, 0xa4506ceb, 0xbef9a3f7, 0xc67178f2};
        uint32_t w[64];
        for (int i = 0; i < 16; ++i)
            w[i] = uint32_t(m_block[4 * i]) << 24 | uint32_t(m_block[4 * i + 1]) << 16 |
                   uint32_t(m_block[4 * i + 2]) << 8 | m_block[4 * i + 3];
        for (int i = 16; i < 64; ++i) {
            const uint32_t s0 = Rotr(w[i - 15], 7) ^ Rotr(w[i - 15], 18) ^ (w[i - 15] >> 3);
            const uint32_t s1 = Rotr(w[i - 2], 17) ^ Rotr(w[i - 2], 19) ^ (w[i - 2] >> 10);
            w[i] = w[i - 16] + s0 + w[i - 7] + s1;
        }
        uint32_t a = m_state[0], b = m_state[1], c = m_state[2], d = m_state[3];
        uint32_t e = m_state[4], f = m_state[5], g = m_state[6], h = m_state[7];
        for (int i = 0; i < 64; ++i) {
            const uint32_t t1 = h + (Rotr(e, 6) ^ Rotr(e, 11) ^ Rotr(e, 25)) + ((e & f) ^ (~e & g)) + k[i] + w[i];
            const uint32_t t2 = (Rotr(a, 2) ^ Rotr(a, 13) ^ Rotr(a, 22)) + ((a & b) ^ (a & c) ^ (b & c));
            h = g;
            g = f;
            f = e;
            e = d + t1;
            d = c;
            c = b;
            b = a;
            a = t1 + t2;
        }
        const uint32_t add[8] = {a, b, c, d, e, f, g, h};
        for (int i = 0; i < 8; ++i) m_state[i] += add[i];
        m_used = 0;
    }

    uint32_t m_state[8];
    unsigned char m_block[64] = {};
    size_t m_used = 0;
    uint64_t m_bits = 0;
};

// SHA-256 of a file; the 1-based line skipLine (0: none) left out.
std::string FileSha256(const fs::path& file, int skipLine = 0) {
    ClSha256 sha;
    std::FILE* in = std::fopen(file.string().c_str(), "rb");
    if (!in) return "(missing)";
    static unsigned char buffer[1 << 17];
    int line = 1;
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0) {
        if (skipLine == 0) {
            sha.Update(buffer, n);
            continue;
        }
        size_t from = 0;
        for (size_t i = 0; i < n; ++i) {
            if (buffer[i] != '\n') continue;
            if (line != skipLine) sha.Update(buffer + from, i + 1 - from);
            from = i + 1;
            ++line;
        }
        if (line != skipLine) sha.Update(buffer + from, n - from);
    }
    std::fclose(in);
    return sha.Hex();
}

// ---- timing and copying ----

using Clock = std::chrono::steady_clock;
double Seconds(Clock::time_point since) { return std::chrono::duration<double>(Clock::now() - since).count(); }

uintmax_t FolderBytes(const fs::path& folder) {
    uintmax_t total = 0;
    for (const fs::directory_entry& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) total += e.file_size();
    return total;
}

// Copies every file of a folder into copies in the same folder, read and written in blocks of
// 128 KiB as cp does; the seconds it took, the copies removed afterwards. -1 when a copy failed.
double CopySeconds(const fs::path& folder) {
    std::vector<fs::path> files;
    for (const fs::directory_entry& e : fs::directory_iterator(folder))
        if (e.is_regular_file()) files.push_back(e.path());
    static char buffer[1 << 17];
    bool ok = true;
    const Clock::time_point start = Clock::now();
    for (const fs::path& f : files) {
        std::FILE* in = std::fopen(f.string().c_str(), "rb");
        std::FILE* out = std::fopen((f.string() + ".copy").c_str(), "wb");
        ok = ok && in && out;
        size_t n;
        while (in && out && (n = std::fread(buffer, 1, sizeof buffer, in)) > 0) ok = ok && std::fwrite(buffer, 1, n, out) == n;
        if (in) std::fclose(in);
        if (out && std::fclose(out) != 0) ok = false;
    }
    const double seconds = Seconds(start);
    std::error_code ec;
    for (const fs::path& f : files) fs::remove(f.string() + ".copy", ec);
    return ok ? seconds : -1;
}

// Data rows of an asset data file: its lines after the six header lines and the column names.
long DataRows(const fs::path& file) {
    std::FILE* in = std::fopen(file.string().c_str(), "rb");
    if (!in) return 0;
    static char buffer[1 << 17];
    long lines = 0;
    size_t n;
    while ((n = std::fread(buffer, 1, sizeof buffer, in)) > 0)
        for (size_t i = 0; i < n; ++i) lines += buffer[i] == '\n';
    std::fclose(in);
    return lines - 7;
}

double MB(uintmax_t bytes) { return static_cast<double>(bytes) / 1e6; }

double BestCopySeconds(const fs::path& folder) {
    double best = -1;
    for (int i = 0; i < 3; ++i) {
        const double s = CopySeconds(folder);
        if (s < 0) return -1;
        if (best < 0 || s < best) best = s;
    }
    return best;
}

// ---- the engine over records fetched beforehand ----

// Records of a few hundred assets and their rows, fetched as ExportAssets fetches them; the
// engine then converts them without the host's reading in between.
struct StBATCH {
    enum { kAssets = 256, kRows = 1024 };
    StKOTEISHISANINFO master[kAssets];
    StKOTEINENINFO yearly[kAssets];
    StKOTEITSUKIINFO monthly;
    int rowAsset[kRows];
    StIKKATSUINFO breakdown[kRows];
    long rows;
};
StBATCH g_batch;
bool g_keep = false;  // --keep: the ledgers and outputs stay in the work folder

// Fills the batch from asset `next` on; returns the asset after the last one taken.
long FetchBatch(ClRuleGenkashokyaku& rule, long next, long count) {
    StBATCH& b = g_batch;
    b.rows = 0;
    for (int a = 0; a < StBATCH::kAssets && next < count && b.rows + 102 <= StBATCH::kRows; ++a, ++next) {
        std::memset(&b.master[a], 0, sizeof b.master[a]);
        std::memset(&b.yearly[a], 0, sizeof b.yearly[a]);
        std::memset(&b.monthly, 0, sizeof b.monthly);
        rule.Move(next, &b.master[a], &b.yearly[a], &b.monthly);
        if (b.master[a].methodCode != 4) {
            b.rowAsset[b.rows] = a;
            std::memset(&b.breakdown[b.rows++], 0, sizeof(StIKKATSUINFO));
            continue;
        }
        unsigned char key[sizeof b.master[a].assetKey];
        std::memcpy(key, b.master[a].assetKey, sizeof key);
        long parts = 0;
        rule.MoveReadyIkkatsu(key);
        rule.GetIkkatsuCount(&parts);
        for (long j = 0; j < parts && j <= 100; ++j) {  // as ExportAssets: breakdowns 0 to 100
            std::memset(&b.breakdown[b.rows], 0, sizeof(StIKKATSUINFO));
            rule.MoveIkkatsu(j, &b.breakdown[b.rows]);
            b.rowAsset[b.rows++] = a;
        }
        rule.MoveFinishIkkatsu();
    }
    return next;
}

ClRuleGenkashokyaku* BoundRule() {
    ClRuleGenkashokyaku* rule = new ClRuleGenkashokyaku();
    rule->AttachSetMgr(ClDataMgr::Inst()->GetSetMgr());
    rule->SetCurDataID(reinterpret_cast<const char*>(ClDataMgr::Inst()->GetSetObject(5, 1)->GetSelectedInfo()));
    rule->AttachOptLink(ClLinkMgr::Inst()->GetOptLink());
    return rule;
}

struct StPHASES {
    double load = 0, fetch = 0, engine = 0, whole = 0, copyLedger = 0, copyOutput = 0;
    unsigned long long engineAllocations = 0;
    size_t indexBytes = 0;
    long rows = 0;
};

// The files of one output folder against the recorded hashes; prints and returns false on a difference.
bool CheckOutput(const fs::path& ledger, const fs::path& out, long assets, long seed, const char* what) {
    const StRECORDED* recorded = nullptr;
    for (const StRECORDED& r : kRecorded)
        if (r.assets == assets && r.seed == seed) recorded = &r;
    if (!recorded) {
        std::printf("  %s: no recorded SHA-256 for %ld assets, seed %ld; not checked\n", what, assets, seed);
        return true;
    }
    if (FileSha256(ledger / "assets-1.csv") != recorded->ledger) {
        std::printf("  %s: the generated ledger differs from the recorded one; record the values anew\n", what);
        return false;
    }
    const bool data = FileSha256(out / "assets.csv") == recorded->data;
    const bool log = FileSha256(out / CurrentBuild().logName) == recorded->log;
    const bool type = FileSha256(out / kTypeFileName, 4) == recorded->type;
    std::printf("  %s: SHA-256 data file %s, link error log %s, type file %s\n", what, data ? "ok" : "DIFFERS",
                log ? "ok" : "DIFFERS", type ? "ok" : "DIFFERS");
    return data && log && type;
}

int RunOne(const fs::path& work, long assets, long seed, StPHASES& p) {
    const fs::path ledger = work / ("ledger-" + std::to_string(assets));
    const fs::path engineOut = work / ("engine-" + std::to_string(assets));
    const fs::path wholeOut = work / ("whole-" + std::to_string(assets));
    for (const fs::path& f : {ledger, engineOut, wholeOut}) fs::create_directories(f);
    Clock::time_point start = Clock::now();
    std::string why;
    if (GenerateLedger(StLEDGERGENOPTIONS{assets, static_cast<uint64_t>(seed)}, ledger.string(), why) != 0) {
        std::fprintf(stderr, "export_bench: %s\n", why.c_str());
        return 1;
    }
    const double generated = Seconds(start);
    // The references: the fastest of three copies of the ledger right after it was written, and
    // of the output right after the engine wrote it (the whole run writes the same bytes again),
    // so that no copy meets the write-back of all the data the later phases leave behind.
    p.copyLedger = BestCopySeconds(ledger);
    OsResetPeakMemory();
    int failed = 0;

    // load
    ClDataMgr::Inst()->GetSetMgr()->SetLedgerFolder(ledger.string());
    ClHostSim::Inst()->Reset();
    start = Clock::now();
    const bool loaded = ClHostSim::Inst()->Ledger() != nullptr;
    p.load = Seconds(start);
    if (!loaded) return 1;
    const StDATAINFO set = *ClDataMgr::Inst()->GetSetObject(5, 1)->GetSelectedInfo();

    // fetch and engine, in turns of one batch each
    {
        ClRuleGenkashokyaku* rule = BoundRule();
        ClAssetExporter exporter;
        exporter.SetOutputPath((engineOut / "assets.csv").string().c_str());
        exporter.SetLogName(CurrentBuild().logName);
        ClAssetWriter& writer = exporter.Writer();
        g_allocations = 0;
        auto timed = [&](auto step) {
            g_counting = true;
            const Clock::time_point s = Clock::now();
            step();
            p.engine += Seconds(s);
            g_counting = false;
        };
        timed([&] { exporter.StartOutput(&set); });
        long count = 0;
        rule->MoveReady(nullptr, SortHostOrder, SumNone);
        rule->GetCount(&count);
        timed([&] { writer.ReserveCodes(count > 0 ? static_cast<size_t>(count) : 0); });  // as ExportAssets
        for (long next = 0; next < count;) {
            const Clock::time_point s = Clock::now();
            next = FetchBatch(*rule, next, count);
            p.fetch += Seconds(s);
            timed([&] {
                for (long r = 0; r < g_batch.rows; ++r) {
                    const int a = g_batch.rowAsset[r];
                    writer.WriteAssetRow(&g_batch.master[a], &g_batch.yearly[a], &g_batch.monthly, &g_batch.breakdown[r]);
                }
            });
        }
        timed([&] {
            writer.CloseFile(DataFile);
            writer.CloseFile(ErrorLog);
            exporter.ExportAssetTypes(&set);
        });
        p.engineAllocations = g_allocations;
        p.indexBytes = writer.CodeIndexBytes();
        failed |= exporter.HadOutputFailure();
        rule->MoveFinish();
        delete rule;
    }
    p.copyOutput = BestCopySeconds(engineOut);

    // whole
    ClHostSim::Inst()->Reset();
    start = Clock::now();
    {
        const StDATAINFO* selected = ClDataMgr::Inst()->GetSetObject(5, 1)->GetSelectedInfo();
        ClAssetExporter exporter;
        exporter.SetOutputPath((wholeOut / "assets.csv").string().c_str());
        exporter.SetLogName(CurrentBuild().logName);
        exporter.StartOutput(selected);
        exporter.ExportAssets();
        exporter.ExportAssetTypes(selected);
        failed |= exporter.HadOutputFailure();
    }
    p.whole = Seconds(start);
    const double peak = MB(OsPeakMemoryBytes());
    p.rows = DataRows(wholeOut / "assets.csv");

    const uintmax_t ledgerBytes = FolderBytes(ledger), outputBytes = FolderBytes(wholeOut);
    const double copyBoth = p.copyLedger + p.copyOutput;
    std::printf("assets %ld (seed %ld): generated in %.2f s; %ld rows; ledger %.1f MB, output %.1f MB%s\n", assets,
                seed, generated, p.rows, MB(ledgerBytes), MB(outputBytes), failed ? "; OUTPUT FAILURE" : "");
    std::printf("  copy    ledger %.3f s, output %.3f s\n", p.copyLedger, p.copyOutput);
    std::printf("  load    %7.3f s = %5.2f x copy of the ledger\n", p.load, p.load / p.copyLedger);
    std::printf("  fetch   %7.3f s = %5.2f x copy of the ledger\n", p.fetch, p.fetch / p.copyLedger);
    std::printf("  engine  %7.3f s = %5.2f x copy of the output (target 3); %.0f rows/s; %llu allocations\n",
                p.engine, p.engine / p.copyOutput, p.rows / p.engine, p.engineAllocations);
    std::printf("  whole   %7.3f s = %5.2f x copy of ledger and output (target 5)\n", p.whole, p.whole / copyBoth);
    std::printf("  peak resident %.1f MB; the written-codes index %.1f MB\n", peak, MB(p.indexBytes));
    bool same = CheckOutput(ledger, engineOut, assets, seed, "engine");
    same = CheckOutput(ledger, wholeOut, assets, seed, "whole ") && same;
    std::error_code ec;
    if (!g_keep)
        for (const fs::path& f : {ledger, engineOut, wholeOut}) fs::remove_all(f, ec);
    return failed || !same || p.copyLedger < 0 || p.copyOutput < 0;
}

}  // namespace

int main(int argc, char** argv) {
    fs::path work = fs::temp_directory_path() / "export_bench";
    long seed = 1;
    std::vector<long> sizes;
    for (int i = 1; i < argc; ++i) {
        const std::string arg = argv[i];
        if (arg == "--work" && i + 1 < argc) {
            work = argv[++i];
        } else if (arg == "--keep") {
            g_keep = true;
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
    std::vector<StPHASES> phases(sizes.size());
    for (size_t i = 0; i < sizes.size(); ++i) rc |= RunOne(work, sizes[i], seed, phases[i]);
    for (size_t i = 0; i < sizes.size(); ++i) {
        for (size_t j = 0; j < sizes.size(); ++j) {
            if (sizes[j] != sizes[i] * 10) continue;
            const StPHASES& a = phases[i];
            const StPHASES& b = phases[j];
            std::printf("linear (%ld / %ld assets, target 10.5): load %.2f, fetch %.2f, engine %.2f, whole %.2f\n",
                        sizes[j], sizes[i], b.load / a.load, b.fetch / a.fetch, b.engine / a.engine, b.whole / a.whole);
        }
    }
    if (!g_keep) fs::remove_all(work, ec);
    return rc;
}
