// assetwriter.cpp - the writer's members as the format names them, each handing its work to its part.
#include "assetwriter.h"

#include "dataheader.h"
#include "typefile.h"

ClAssetWriter::ClAssetWriter()
    : m_info(G_INFO_NAME, G_INFO, G_INFO_COUNT),
      m_head(G_HEAD_NAME, G_HEAD, G_HEAD_COUNT),
      m_header(G_HEADER_NAME, G_HEADER, G_HEADER_COUNT),
      m_ssc(G_SSC_NAME, G_SSC, G_SSC_COUNT),
      m_log(m_files, m_header),
      m_rows(m_info, m_files, m_log, m_codes) {}

ClAssetWriter::~ClAssetWriter() {}

int ClAssetWriter::CloseFile(short file) {
    if (file == ErrorLog)
        m_log.Close();
    else
        m_files.Close(file);
    return 1;
}

int ClAssetWriter::WriteDataHeader(const StDATAINFO* set) {
    WriteDataFileHeader(m_files, m_header, m_head, *set);
    return 1;
}

int ClAssetWriter::WriteTypeHeader(const StDATAINFO* set) {
    WriteTypeFileHeader(m_files, m_header, *set);
    return 1;
}

int ClAssetWriter::WriteTypeRow(const StSHISANKUBUNINFO* category) {
    WriteTypeFileRow(m_files, m_ssc, m_log, *category);
    return 1;
}

int ClAssetWriter::WriteAssetRow(StKOTEISHISANINFO* master, StKOTEINENINFO* yearly, StKOTEITSUKIINFO* monthly,
                                 StIKKATSUINFO* breakdown) {
    (void)monthly;  // fetched with the master; nothing of it reaches the row
    m_rows.WriteAssetRow(master, yearly, breakdown);
    return 1;
}

int ClAssetWriter::WriteLinkMessage(const char* text) {
    m_log.WriteLinkMessage(text);
    return 1;
}

int ClAssetWriter::UnreadAssetMessage(long index) {
    m_log.UnreadAssetMessage(index);
    return 1;
}

int ClAssetWriter::UnreadBreakdownMessage(const StKOTEISHISANINFO* master, long index) {
    m_log.UnreadBreakdownMessage(*master, index);
    return 1;
}

int ClAssetWriter::UnreadCategoriesMessage() {
    m_log.UnreadCategoriesMessage();
    return 1;
}
