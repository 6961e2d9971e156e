// dataheader.cpp - the head of the asset data file: six header lines and the column-name line.
#include "dataheader.h"

#include <cstdio>
#include <cstring>

#include "hostfields.h"

void WriteDataFileHeader(ClOutputFiles& files, ClHeaderAccessor& header, ClHeadAccessor& head,
                         const StDATAINFO& set) {
    ClTextFile& file = *files.File(DataFile);
    auto line = [&](const char* text) { files.NoteWrite(DataFile, WriteLine(file, header, text)); };
    file.Attach(&header);
    header.SetMode(Comma, NoQuote);

    const StField company(set.companyName);
    const _EntityKind kind = EntityKindOf(set);
    char text[sizeof company.text + 64];
    line("バージョン=22. 2. 0. 0(FILEVERSION=1.10)");
    line("顧問先コード=");
    std::snprintf(text, sizeof text, "顧問先名称=%s", company.text);
    line(text);
    line(kind == EntityCorporation  ? "法人個人区分=法人"
         : kind == EntityIndividual ? "法人個人区分=個人"
                                    : "");
    std::snprintf(text, sizeof text, "事業年度開始日=%d", static_cast<int>(set.periodStart));
    line(text);
    std::snprintf(text, sizeof text, "事業年度終了日=%d", static_cast<int>(set.periodEnd));
    line(text);

    file.Attach(&head);
    head.SetMode(Comma, NoQuote);
    head.ClearRecord();
    for (long i = 0; i < G_HEAD_COUNT; ++i) {
        const StTAFORMAT& column = G_HEAD[i];
        const size_t length = strnlen(G_HEAD_TITLES[i], static_cast<size_t>(column.size) - 1);
        std::memcpy(head.Record() + column.offset, G_HEAD_TITLES[i], length);
    }
    files.NoteWrite(DataFile, head.Write());
}
