// typefile.cpp - the asset type file syurui.SSC: its header block and one row per asset category.
#include <cstdio>
#include <cstring>
#include <ctime>

#include "assetwriter.h"
#include "conversions.h"
#include "sjisbytes.h"

int ClAssetWriter::WriteTypeHeader(const StDATAINFO* set) {
    // The G_HEADER mode is the one the data-file header set; this step sets none of its own.
    const char* rule =
        ";/////////////////////////////////////////////////////////////////////////////////////////////";
    const bool corporation = set->entityKind == 0 || set->entityKind == 1;
    const bool individual = set->entityKind == 3 || set->entityKind == 4;
    const std::time_t now = std::time(nullptr);
    const std::tm* today = std::localtime(&now);
    char date[64] = {};
    if (today) {
        std::snprintf(date, sizeof date, ";日付\t\t：%d/%d/%d", today->tm_year + 1900, today->tm_mon + 1,
                      today->tm_mday);
    }
    HeaderLine(m_typeFile, rule);
    HeaderLine(m_typeFile, ";減価償却 資産種類ファイル");
    HeaderLine(m_typeFile, corporation  ? ";顧問先\t\t：[0004 法人関与先]"
                           : individual ? ";顧問先\t\t：[0004 個人関与先]"
                                        : "");
    HeaderLine(m_typeFile, date);
    HeaderLine(m_typeFile, ";備考\t\t：");
    HeaderLine(m_typeFile, ";");
    HeaderLine(m_typeFile, rule);
    HeaderLine(m_typeFile, "");
    HeaderLine(m_typeFile, "[Commonlnf]");
    HeaderLine(m_typeFile, "SisanSyuruiCDKetasuu=2");
    HeaderLine(m_typeFile, corporation ? "HoujinKojinKubun=1" : individual ? "HoujinKojinKubun=2" : "");
    HeaderLine(m_typeFile, "Version=22. 2. 0. 0(FILEVERSION=1.1)");
    HeaderLine(m_typeFile, "");
    HeaderLine(m_typeFile, "[Datalnf]");
    HeaderLine(m_typeFile, "SisanSyurui=1");
    HeaderLine(m_typeFile, "");
    HeaderLine(m_typeFile, "[SisanSyurui]");
    return 1;
}

namespace {

const char* CategoryMethodText(int32_t code, int method) {
    if (code == 11) return "";
    if (code == 9 && method >= 1 && method <= 3) return "均等償却";
    switch (method) {
        case 2:
            return "定額法";
        case 4:
            return "一括決算";
        default:
            return "定率法";  // 1, 3 and anything unknown
    }
}

}  // namespace

int ClAssetWriter::WriteTypeRow(const StSHISANKUBUNINFO* category) {
    m_typeFile.Attach(&m_ssc);
    m_ssc.SetMode(Comma, NoQuote);
    m_ssc.ClearRecord();
    unsigned char* record = m_ssc.Record();
    // Like the data rows, the type rows carry no quotes: a category name is mended the same way.
    auto text = [&](long item, const char* value) {
        const StTAFORMAT& column = G_SSC[item];
        std::memcpy(record + column.offset, value, strnlen(value, static_cast<size_t>(column.size) - 1));
        unsigned char* slot = record + column.offset;
        if (MendSeparators(slot)) SeparatorMessage(reinterpret_cast<const char*>(slot));
    };
    auto int32 = [&](long item, int32_t value) {
        std::memcpy(record + G_SSC[item].offset, &value, sizeof value);
    };
    auto fixed = [&](long item, tagCY value) {
        std::memcpy(record + G_SSC[item].offset, &value, sizeof value);
    };

    const int32_t code = category->categoryCode;
    const bool deferred = code == 9;
    const bool nonDepreciable = code == 11;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d", static_cast<int>(code));
    text(SscCode, digits);
    char name[sizeof category->categoryName + 1] = {};
    std::memcpy(name, category->categoryName, strnlen(category->categoryName, sizeof category->categoryName));
    name[SjisFitBytes(name, 12)] = '\0';
    text(SscName, name);
    text(SscClass, deferred ? "繰延資産" : "有形固定資産");
    text(SscDepreciation, nonDepreciable ? "非償却資産" : "償却資産");
    text(SscMethod, CategoryMethodText(code, category->categoryMethod));
    text(SscDisposalMethod, nonDepreciable ? "" : "除却日まで償却");
    int32(SscResidualShare, deferred || nonDepreciable        ? 0
             : category->categoryResidual != 0 ? category->categoryResidual
                                               : 10);
    int32(SscLimitShare, code == 10 ? 10 : deferred || nonDepreciable ? 0 : 5);
    const char* returnKind = ReturnKindText(code);
    text(SscReturnKind, returnKind ? returnKind : "");
    const tagCY hundred = nonDepreciable ? 0 : kHundred;
    fixed(SscShare1, 0);
    fixed(SscShare1Of, hundred);
    fixed(SscShare2, hundred);
    fixed(SscShare2Of, hundred);
    fixed(SscShare3, 0);
    fixed(SscShare3Of, hundred);
    text(SscBiological, "該当しない");
    NoteWrite(TypeFile, m_ssc.Write());
    return 1;
}
