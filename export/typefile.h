// typefile.h - the asset type file syurui.SSC: its header block and one row per asset category.
#pragma once

#include "linklog.h"
#include "outputfiles.h"
#include "records.h"
#include "writerbase.h"

// The 17 header lines, to the TypeFile of files through header (G_HEADER), in the mode the data
// file's header left on it.
void WriteTypeFileHeader(ClOutputFiles& files, ClHeaderAccessor& header, const StDATAINFO& set);
// One row of a category through ssc (G_SSC); a name whose separators are mended is reported to log.
void WriteTypeFileRow(ClOutputFiles& files, ClSscAccessor& ssc, ClLinkLog& log,
                      const StSHISANKUBUNINFO& category);
