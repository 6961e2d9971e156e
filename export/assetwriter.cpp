// assetwriter.cpp - the writer's files, the data-file header and the column-name line.
#include "assetwriter.h"

#include <cstdio>
#include <cstring>

#include "buildtable.h"
#include "conversions.h"
#include "messages.h"
#include "sjisbytes.h"

ClAssetWriter::ClAssetWriter()
    : m_info(G_INFO_NAME, G_INFO, G_INFO_COUNT),
      m_head(G_HEAD_NAME, G_HEAD, G_HEAD_COUNT),
      m_header(G_HEADER_NAME, G_HEADER, G_HEADER_COUNT),
      m_ssc(G_SSC_NAME, G_SSC, G_SSC_COUNT),
      m_logPath(),
      m_codeCapacity(0),
      m_codeCount(0),
      m_emptyCode(false),
      m_amountText(),
      m_failedFiles(0) {}

ClAssetWriter::~ClAssetWriter() {}

ClTextFile* ClAssetWriter::File(short file) {
    switch (file) {
        case DataFile:
            return &m_dataFile;
        case TypeFile:
            return &m_typeFile;
        case ErrorLog:
            return &m_errorLog;
        default:
            return nullptr;
    }
}

int ClAssetWriter::OpenFile(short file, const char* path) {
    ClTextFile* target = File(file);
    if (!target) return 1;
    char buffer[kPathBytes] = {};
    const size_t length = strnlen(path, kPathBytes);
    if (length >= kPathBytes) {  // cut, it would name some other file
        NoteFailure(file);
        return 0;
    }
    std::memcpy(buffer, path, length);
    if (file != DataFile) {
        // The type file and the log lie beside the data file. A name that does not fit the
        // buffer is refused rather than cut, which would write to some other file.
        const size_t start = FileNameStart(buffer);
        const char* name = file == TypeFile ? "syurui.SSC" : CurrentBuild().logName;
        if (start + std::strlen(name) >= kPathBytes) {
            NoteFailure(file);
            return 0;
        }
        std::memcpy(buffer + start, name, std::strlen(name) + 1);
    }
    if (file == ErrorLog) std::memcpy(m_logPath, buffer, sizeof m_logPath);
    // Each file takes the place of the old one only when whole: no run leaves half a file, and two
    // runs into one folder never blend their logs.
    if (target->Open(buffer, TFWrite | TFOverwrite | TFReplace) == 0) return 1;
    NoteFailure(file);
    return 0;
}

int ClAssetWriter::CloseFile(short file) {
    ClTextFile* target = File(file);
    if (target && target->Close() != 0) NoteFailure(file);
    return 1;
}

void ClAssetWriter::NoteWrite(short file, long result) {
    if (result != 0) NoteFailure(file);
}

short ClAssetWriter::FileOf(const ClTextFile& file) const {
    if (&file == &m_typeFile) return TypeFile;
    return &file == &m_errorLog ? ErrorLog : DataFile;
}

// One G_HEADER line: whole characters only, so a long company name is never left with half a
// character at the cut.
void ClAssetWriter::HeaderLine(ClTextFile& file, const char* text) {
    file.Attach(&m_header);
    m_header.ClearRecord();
    std::memcpy(m_header.Record(), text, SjisFitBytes(text, kHeaderTextBytes));
    NoteWrite(FileOf(file), m_header.Write());
}

int ClAssetWriter::WriteDataHeader(const StDATAINFO* set) {
    m_dataFile.Attach(&m_header);
    m_header.SetMode(Comma, NoQuote);

    char company[sizeof set->companyName + 1] = {};
    std::memcpy(company, set->companyName, strnlen(set->companyName, sizeof set->companyName));
    char line[sizeof company + 64];
    HeaderLine(m_dataFile, "バージョン=22. 2. 0. 0(FILEVERSION=1.10)");
    HeaderLine(m_dataFile, "顧問先コード=");
    std::snprintf(line, sizeof line, "顧問先名称=%s", company);
    HeaderLine(m_dataFile, line);
    if (set->entityKind == 0 || set->entityKind == 1) {
        HeaderLine(m_dataFile, "法人個人区分=法人");
    } else if (set->entityKind == 3 || set->entityKind == 4) {
        HeaderLine(m_dataFile, "法人個人区分=個人");
    } else {
        HeaderLine(m_dataFile, "");
    }
    std::snprintf(line, sizeof line, "事業年度開始日=%d", static_cast<int>(set->periodStart));
    HeaderLine(m_dataFile, line);
    std::snprintf(line, sizeof line, "事業年度終了日=%d", static_cast<int>(set->periodEnd));
    HeaderLine(m_dataFile, line);

    m_dataFile.Attach(&m_head);
    m_head.SetMode(Comma, NoQuote);
    m_head.ClearRecord();
    for (long i = 0; i < G_HEAD_COUNT; ++i) {
        const StTAFORMAT& column = G_HEAD[i];
        const size_t length = strnlen(G_HEAD_TITLES[i], static_cast<size_t>(column.size) - 1);
        std::memcpy(m_head.Record() + column.offset, G_HEAD_TITLES[i], length);
    }
    NoteWrite(DataFile, m_head.Write());
    return 1;
}

// One pass copies the text and notes whether it holds a separator (comma, CR, LF: all below 64);
// the texts are short, so a loop of its own beats counting and copying them apart.
void ClAssetWriter::SetText(long item, const char* text) {
    const StTAFORMAT& column = G_INFO[item];
    unsigned char* slot = m_info.Record() + column.offset;
    const size_t limit = static_cast<size_t>(column.size) - 1;
    const uint64_t separators = (uint64_t(1) << ',') | (uint64_t(1) << '\r') | (uint64_t(1) << '\n');
    uint64_t seen = 0;
    size_t n = 0;
    for (; n < limit; ++n) {
        const unsigned char c = static_cast<unsigned char>(text[n]);
        if (c == 0) break;
        slot[n] = c;
        seen |= c < 64 ? (separators >> c) & 1 : 0;
    }
    slot[n] = '\0';
    Show(item);
    if (seen && MendSeparators(slot)) SeparatorMessage(reinterpret_cast<const char*>(slot));
}

// Rows carry no quotes: a comma would split the column and a line break the row. A comma
// becomes the half-width "､" (one byte, so no cut moves), a line break a blank. No trail byte
// is one of them, so a text without such a byte needs no closer look.
bool ClAssetWriter::MendSeparators(unsigned char* text) {
    bool replaced = false;
    for (unsigned char* p = text; *p != '\0';) {
        if (SjisCharBytes(reinterpret_cast<const char*>(p)) == 2) {
            p += 2;
            continue;
        }
        if (*p == ',' || *p == '\r' || *p == '\n') {
            *p = *p == ',' ? 0xA4 : ' ';
            replaced = true;
        }
        ++p;
    }
    return replaced;
}

void ClAssetWriter::SeparatorMessage(const char* text) { LateLinkMessage(MsgTextSeparator, text); }

void ClAssetWriter::LateLinkMessage(const char* format, const char* text) {
    if (m_errorLog.IsOpen()) {
        LinkMessage(format, text);
        return;
    }
    // The asset run has closed the log before the type file is written; the entry is appended
    // to it, so that the closing report still sees it. A log never opened stays unwritten.
    if (m_logPath[0] == '\0') return;
    if (m_errorLog.Open(m_logPath, TFWrite | TFAppend) != 0) {
        NoteFailure(ErrorLog);
        return;
    }
    LinkMessage(format, text);
    CloseFile(ErrorLog);
}

int ClAssetWriter::UnreadAssetMessage(long index) {
    LinkMessage(MsgAssetUnread, static_cast<int>(index + 1));
    return 1;
}

int ClAssetWriter::UnreadBreakdownMessage(const StKOTEISHISANINFO* master, long index) {
    char code[sizeof master->assetCode + 1] = {};
    std::memcpy(code, master->assetCode, strnlen(master->assetCode, sizeof master->assetCode));
    LinkMessage(MsgBreakdownUnread, code, static_cast<int>(index + 1));
    return 1;
}

int ClAssetWriter::UnreadCategoriesMessage() {
    LateLinkMessage(MsgCategoriesUnread, "");
    return 1;
}

void ClAssetWriter::SetInt16(long item, int value) {
    const int16_t v = static_cast<int16_t>(value);
    std::memcpy(m_info.Record() + G_INFO[item].offset, &v, sizeof v);
    Show(item);
}

void ClAssetWriter::SetInt32(long item, long value) {
    const int32_t v = static_cast<int32_t>(value);
    std::memcpy(m_info.Record() + G_INFO[item].offset, &v, sizeof v);
    Show(item);
}

void ClAssetWriter::SetFixed(long item, tagCY value) {
    std::memcpy(m_info.Record() + G_INFO[item].offset, &value, sizeof value);
    Show(item);
}
