// typefile.cpp - the asset type file syurui.SSC: its header block and one row per asset category.
#include "typefile.h"

#include <cstdio>
#include <cstring>
#include <ctime>

#include "conversions.h"
#include "hostfields.h"
#include "sjisbytes.h"

void WriteTypeFileHeader(ClOutputFiles& files, ClHeaderAccessor& header, const StDATAINFO& set) {
    ClTextFile& file = *files.File(TypeFile);
    auto line = [&](const char* text) { files.NoteWrite(TypeFile, WriteLine(file, header, text)); };
    const char* rule =
        ";/////////////////////////////////////////////////////////////////////////////////////////////";
    const _EntityKind kind = EntityKindOf(set);
    const std::time_t now = std::time(nullptr);
    const std::tm* today = std::localtime(&now);
    char date[64] = {};
    if (today) {
        std::snprintf(date, sizeof date, ";日付\t\t：%d/%d/%d", today->tm_year + 1900, today->tm_mon + 1,
                      today->tm_mday);
    }
    line(rule);
    line(";減価償却 資産種類ファイル");
    line(kind == EntityCorporation  ? ";顧問先\t\t：[0004 法人関与先]"
         : kind == EntityIndividual ? ";顧問先\t\t：[0004 個人関与先]"
                                    : "");
    line(date);
    line(";備考\t\t：");
    line(";");
    line(rule);
    line("");
    line("[Commonlnf]");
    line("SisanSyuruiCDKetasuu=2");
    line(kind == EntityCorporation  ? "HoujinKojinKubun=1"
         : kind == EntityIndividual ? "HoujinKojinKubun=2"
                                    : "");
    line("Version=22. 2. 0. 0(FILEVERSION=1.1)");
    line("");
    line("[Datalnf]");
    line("SisanSyurui=1");
    line("");
    line("[SisanSyurui]");
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

void WriteTypeFileRow(ClOutputFiles& files, ClSscAccessor& ssc, ClLinkLog& log,
                      const StSHISANKUBUNINFO& category) {
    files.File(TypeFile)->Attach(&ssc);
    ssc.SetMode(Comma, NoQuote);
    ssc.ClearRecord();
    unsigned char* record = ssc.Record();
    // Like the data rows, the type rows carry no quotes: a category name is mended the same way.
    auto text = [&](long item, const char* value) {
        const StTAFORMAT& column = G_SSC[item];
        std::memcpy(record + column.offset, value, strnlen(value, static_cast<size_t>(column.size) - 1));
        unsigned char* slot = record + column.offset;
        if (MendSeparators(slot)) log.LinkMessage(MsgTextSeparator, reinterpret_cast<const char*>(slot));
    };
    auto int32 = [&](long item, int32_t value) {
        std::memcpy(record + G_SSC[item].offset, &value, sizeof value);
    };
    auto fixed = [&](long item, tagCY value) {
        std::memcpy(record + G_SSC[item].offset, &value, sizeof value);
    };

    const int32_t code = category.categoryCode;
    const bool deferred = code == 9;
    const bool nonDepreciable = code == 11;
    char digits[16];
    std::snprintf(digits, sizeof digits, "%02d", static_cast<int>(code));
    text(SscCode, digits);
    StField name(category.categoryName);
    name.text[SjisFitBytes(name.text, 12)] = '\0';
    text(SscName, name.text);
    text(SscClass, deferred ? "繰延資産" : "有形固定資産");
    text(SscDepreciation, nonDepreciable ? "非償却資産" : "償却資産");
    text(SscMethod, CategoryMethodText(code, category.categoryMethod));
    text(SscDisposalMethod, nonDepreciable ? "" : "除却日まで償却");
    int32(SscResidualShare, deferred || nonDepreciable       ? 0
                            : category.categoryResidual != 0 ? category.categoryResidual
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
    files.NoteWrite(TypeFile, ssc.Write());
}
