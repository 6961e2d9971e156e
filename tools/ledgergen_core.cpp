// ledgergen_core.cpp - realistic and adversarial ledger contents, written as a stream.
#include <cinttypes>
#include <cstdio>
#include <cstring>
#include <fstream>
#include <vector>

#include "ledgergen.h"

namespace {

// A fixed generator, so that a seed gives the same ledger on every platform and library.
class ClSplitMix {
public:
    explicit ClSplitMix(uint64_t seed) : m_state(seed) {}
    uint64_t Next() {
        uint64_t z = (m_state += 0x9E3779B97F4A7C15ULL);
        z = (z ^ (z >> 30)) * 0xBF58476D1CE4E5B9ULL;
        z = (z ^ (z >> 27)) * 0x94D049BB133111EBULL;
        return z ^ (z >> 31);
    }
    long Below(long n) { return static_cast<long>(Next() % static_cast<uint64_t>(n)); }
    bool Percent(long p) { return Below(1000) < p * 10; }
    bool PerMille(long p) { return Below(1000) < p; }

private:
    uint64_t m_state;
};

// Words for names and memos; several have a trail byte 0x5C or 0x7C (表, ソ, 能, ポ, 十, 貼).
const char* const kWords[] = {
    "表示装置", "ソフトウェア", "機能検査機", "ポンプ", "構築物", "車両運搬具", "工具器具備品", "事務所",
    "パソコン", "サーバー", "複合機", "空調設備", "倉庫", "ソーラーパネル", "ポスター掲示板", "能登工場",
    "表計算端末", "ボイラー", "十条倉庫", "貼付機", "Ａ棟", "第2ライン", "ﾌｫｰｸﾘﾌﾄ", "PC-9801", "No.5",
    "本社", "応接セット", "金型", "フォークリフト", "冷凍庫", "看板", "駐車場舗装", "電話設備", "LED照明",
};
const long kWordCount = sizeof kWords / sizeof kWords[0];

const char* const kUnits[] = {"", "1台", "3台", "2式", "10個", "1.5t", "999999個", "1200000"};

// Amounts at and beyond the digit limits of the importing application, in yen.
const int64_t kEdgeYen[] = {99999999999LL,  100000000000LL,  -9999999999LL,   -10000000000LL,
                            10000000000000LL, 922337203685477LL, -922337203685477LL, 1, -1};

void Append(std::string& line, int64_t v) {
    char buf[24];
    std::snprintf(buf, sizeof buf, "%" PRId64, v);
    line += buf;
}

// An amount in yen from its value x 10000, with only the decimals it needs.
void AppendAmount(std::string& line, int64_t cy) {
    if (cy < 0) line += '-';
    const uint64_t m = cy < 0 ? 0 - static_cast<uint64_t>(cy) : static_cast<uint64_t>(cy);
    char buf[32];
    std::snprintf(buf, sizeof buf, "%" PRIu64, m / 10000);
    line += buf;
    unsigned frac = static_cast<unsigned>(m % 10000);
    if (frac) {
        std::snprintf(buf, sizeof buf, ".%04u", frac);
        std::string f = buf;
        while (f.back() == '0') f.pop_back();
        line += f;
    }
}

// Texts with a comma or an apostrophe go in double quotes; generated texts never hold one.
void AppendText(std::string& line, const std::string& text) {
    if (text.find_first_of(",'") != std::string::npos)
        line += "\"" + text + "\"";
    else
        line += text;
}

// Whole words up to at most max bytes, at least one word when max allows.
std::string Words(ClSplitMix& rng, size_t target, size_t max) {
    std::string s;
    for (;;) {
        const char* w = kWords[rng.Below(kWordCount)];
        const size_t n = std::strlen(w);
        if (s.size() + n > max) break;
        if (!s.empty() && rng.Percent(10)) {
            if (s.size() + n + 1 > max) break;
            s += rng.Percent(50) ? ' ' : ',';
        }
        s += w;
        if (s.size() >= target) break;
    }
    return s;
}

int32_t Date(ClSplitMix& rng, int fromYear, int toYear) {
    const int y = fromYear + static_cast<int>(rng.Below(toYear - fromYear + 1));
    return y * 10000 + static_cast<int>(1 + rng.Below(12)) * 100 + static_cast<int>(1 + rng.Below(28));
}

class ClOut {
public:
    bool Open(const std::string& path) {
        m_path = path;
        m_out.rdbuf()->pubsetbuf(m_buffer, sizeof m_buffer);
        m_out.open(path, std::ios::binary | std::ios::trunc);
        return m_out.is_open();
    }
    void Line(const std::string& line) {
        m_out.write(line.data(), static_cast<std::streamsize>(line.size()));
        m_out.write("\r\n", 2);
    }
    bool Close() {
        m_out.close();
        return !m_out.fail();
    }
    const std::string& Path() const { return m_path; }

private:
    char m_buffer[1 << 16];
    std::ofstream m_out;
    std::string m_path;
};

std::string Join(const std::string& folder, const char* name) {
    std::string p = folder;
    if (!p.empty() && p.back() != '/' && p.back() != '\\') p += '/';
    return p + name;
}

}  // namespace

long GenerateLedger(const StLEDGERGENOPTIONS& options, const std::string& folder, std::string& why) {
    ClSplitMix rng(options.seed);
    ClOut session, sets, categories, assets, breakdowns, pastAssets;
    const std::pair<ClOut*, const char*> files[] = {
        {&session, "session.csv"},     {&sets, "datasets.csv"},    {&categories, "categories-1.csv"},
        {&assets, "assets-1.csv"},     {&breakdowns, "breakdowns-1.csv"}, {&pastAssets, "assets-2.csv"}};
    for (const auto& f : files) {
        if (!f.first->Open(Join(folder, f.second))) {
            why = Join(folder, f.second) + ": cannot be written";
            return -1;
        }
    }
    session.Line(";userId,selectionNo,dataSetNo,outputFolder,settingsFolder");
    session.Line("kanri01,1,1,C:\\出力\\表計算\\,C:\\設定\\");
    sets.Line(";dataNo,dataId,companyName,periodStart,periodEnd,dataKind,entityKind");
    sets.Line("1,GEN" + std::to_string(options.seed % 1000000) + ",株式会社ソ能表ポ製作所,20230401,20240331,1,0");
    sets.Line("2,GENPAST,株式会社ソ能表ポ製作所,20220401,20230331,99,0");
    pastAssets.Line(";assets of a past actual data set: none");

    categories.Line(";categoryCode,categoryName,categoryMethod,categoryResidual");
    const char* const categoryNames[] = {"建物",       "構築物",         "機械及び装置", "船舶",
                                         "工具器具及び備品", "車両運搬具", "ソフトウェア", "繰延資産",
                                         "一括償却資産", "土地",         "表示用ポスター"};
    for (int c = 0; c < 11; ++c) {
        std::string line;
        Append(line, c + 1);
        line += ',';
        line += categoryNames[c];
        line += ',';
        Append(line, 1 + c % 4);
        line += ',';
        Append(line, c % 3 == 0 ? 10 : 0);
        categories.Line(line);
    }

    assets.Line(";assetKey,assetCode,assetTypeCode,assetName,quantityText,memoText,disposalKind,capexText,"
                "acquisitionDate,serviceDate,acquisitionCost,compressionAmount,openingBookValue,methodCode,"
                "usefulLife,rateThousandths,residualRate,limitInputFlag,depreciableLimit,businessUseRatio,"
                "sgaShare,depMonthsFactor,depMonthsDivisor,residualValue,depreciationBase,sgaAmount,"
                "manufacturingAmount,accumulatedDepreciation,closingBookValue,disposalDate,salePrice,"
                "monthsInputFlag,revisedCost,computedDepreciation,specialDepreciation,additionalDepreciation,"
                "currentDepreciationInput");
    breakdowns.Line(";assetKey,breakdownNo,breakdownName,breakdownAcquisitionDate,breakdownCost,breakdownQuantity");

    static const int kMethods[] = {1, 2, 3, 5, 6, 7, 8, 5, 6, 6};
    long lumps = 0;
    std::string line, code;
    line.reserve(1024);
    for (long i = 0; i < options.assets; ++i) {
        const bool lump = i % 97 == 7;
        int method = lump ? 4 : kMethods[rng.Below(10)];
        if (!lump && rng.PerMille(5)) method = rng.Percent(50) ? 0 : 9;

        const long variant = rng.Below(100);
        char buf[32];
        if (variant < 70)
            std::snprintf(buf, sizeof buf, "%06ld", (i + 1) % 1000000);
        else if (variant < 80)
            std::snprintf(buf, sizeof buf, "A%06ld", i % 1000000);
        else if (variant < 86)
            std::snprintf(buf, sizeof buf, "XY%06ld", i % 1000000);
        else if (variant < 90)
            std::snprintf(buf, sizeof buf, "%ld", (i + 1) % 1000);
        else if (variant < 93)
            std::snprintf(buf, sizeof buf, "AB-%03ld", i % 1000);
        else if (variant < 96)
            std::snprintf(buf, sizeof buf, "%06ld", (i / 2 + 1) % 1000000);  // likely a duplicate
        else
            std::snprintf(buf, sizeof buf, "a%05ldz", i % 100000);
        code = buf;

        line.clear();
        std::snprintf(buf, sizeof buf, "K%08lX", static_cast<unsigned long>(i));
        line += buf;
        line += ',';
        AppendText(line, code);
        line += ',';
        int type = static_cast<int>(1 + rng.Below(11));
        if (rng.PerMille(10)) type = static_cast<int>(100 + rng.Below(60));
        if (rng.PerMille(2)) type = 0;
        Append(line, type);
        line += ',';
        AppendText(line, Words(rng, rng.Percent(3) ? 190 : static_cast<size_t>(4 + rng.Below(56)), 192));
        line += ',';
        line += kUnits[rng.Below(8)];
        line += ',';
        AppendText(line, rng.Percent(40) ? std::string() : Words(rng, static_cast<size_t>(rng.Below(81)), 81));
        line += ',';
        const long d = rng.Below(100);
        const int disposal = d < 3 ? 4 : d < 5 ? 5 : 0;
        Append(line, disposal);
        line += ',';
        line += rng.Percent(10) ? "資本的支出" : "";
        line += ',';
        static const int32_t kEdgeDates[] = {20070331, 20070401, 20120401, 20130331, 20130401, 20240229};
        const int32_t acquired = rng.Percent(5) ? kEdgeDates[rng.Below(6)] : Date(rng, 1990, 2023);
        Append(line, acquired);
        line += ',';
        Append(line, rng.Percent(80) ? acquired : Date(rng, 1990, 2023));
        line += ',';

        int64_t cost = (10000 + rng.Below(50000000)) * 10000LL;
        if (rng.Percent(1)) cost = kEdgeYen[rng.Below(9)] * 10000;
        if (rng.Percent(2)) cost += rng.Below(10000);  // fractions of a yen
        const int life = static_cast<int>(2 + rng.Below(49));
        const int64_t accumulated = cost / 10000 * static_cast<int64_t>(rng.Below(10000)) / 10000 * 10000;
        const int64_t opening = cost - accumulated;
        const int64_t computed = method == 7 ? 0 : opening / life / 10000 * 10000;
        const int64_t special = rng.Percent(5) ? computed / 2 : 0;
        const int64_t additional = rng.Percent(2) ? computed / 4 : 0;
        const int64_t closing = opening - computed - special - additional;
        const int share = static_cast<int>(rng.Below(101));
        // computed * share / 100 without the product: it overflows for the largest edge amounts.
        const int64_t sga = computed / 100 * share + computed % 100 * share / 100;
        const bool monthsInput = rng.Percent(5);
        AppendAmount(line, cost);
        line += ',';
        AppendAmount(line, rng.Percent(3) ? cost / 10 : 0);
        line += ',';
        AppendAmount(line, opening);
        line += ',';
        Append(line, method);
        line += ',';
        Append(line, life);
        line += ',';
        Append(line, method == 3 || method == 7 ? 0 : 1000 / life * (method == 1 || method == 5 ? 2 : 1));
        line += ',';
        Append(line, method == 1 || method == 2 ? 10 : 0);
        line += ',';
        const bool limitInput = rng.Percent(5);
        Append(line, limitInput ? 1 : 0);
        line += ',';
        AppendAmount(line, limitInput ? 10000 : rng.Percent(5) ? 950000 : 0);
        line += ',';
        Append(line, rng.Percent(90) ? 10000 : rng.Below(10001));
        line += ',';
        Append(line, share);
        line += ',';
        Append(line, monthsInput ? 1 + rng.Below(12) : 0);
        line += ',';
        Append(line, monthsInput ? (rng.Percent(10) ? 0 : 1 + rng.Below(12)) : 0);  // 0: a divisor of zero
        line += ',';
        AppendAmount(line, method == 1 || method == 2 ? cost / 10 : 0);
        line += ',';
        AppendAmount(line, opening);
        line += ',';
        AppendAmount(line, sga);
        line += ',';
        AppendAmount(line, computed - sga);
        line += ',';
        AppendAmount(line, accumulated + computed);
        line += ',';
        AppendAmount(line, closing);
        line += ',';
        Append(line, disposal ? Date(rng, 2023, 2024) / 100 * 100 + 15 : 0);
        line += ',';
        AppendAmount(line, disposal == 4 ? (1 + rng.Below(1000000)) * 10000LL : 0);
        line += ',';
        Append(line, monthsInput ? 1 : 0);
        line += ',';
        AppendAmount(line, method == 5 || method == 8 ? cost / 3 : 0);
        line += ',';
        AppendAmount(line, computed);
        line += ',';
        AppendAmount(line, special);
        line += ',';
        AppendAmount(line, additional);
        line += ',';
        Append(line, rng.Percent(10) ? 1 : 0);
        assets.Line(line);

        if (!lump) continue;
        // Every fifth lump-sum asset has 150 breakdowns, beyond what the import takes.
        const long count = lumps++ % 5 == 0 ? 150 : 1 + rng.Below(20);
        for (long j = 0; j < count; ++j) {
            line.clear();
            std::snprintf(buf, sizeof buf, "K%08lX,", static_cast<unsigned long>(i));
            line += buf;
            if (rng.PerMille(5))
                line += "A1";
            else
                Append(line, j + 1);
            line += ',';
            AppendText(line, Words(rng, rng.Percent(5) ? 80 : static_cast<size_t>(4 + rng.Below(28)), 82));
            line += ',';
            Append(line, Date(rng, 2000, 2023));
            line += ',';
            AppendAmount(line, rng.Percent(2) ? kEdgeYen[rng.Below(9)] * 10000 : (1000 + rng.Below(200000)) * 10000LL);
            line += ',';
            const long q = rng.Percent(1) ? 100000000 + rng.Below(1000) : 1 + rng.Below(2000);
            Append(line, q / 100);
            if (q % 100) {
                std::snprintf(buf, sizeof buf, ".%02ld", q % 100);
                line += buf;
            }
            breakdowns.Line(line);
        }
    }
    for (const auto& f : files) {
        if (!f.first->Close()) {
            why = f.first->Path() + ": writing failed";
            return -1;
        }
    }
    return 0;
}
