// dataheader.h - the head of the asset data file: six header lines and the column-name line.
#pragma once

#include "outputfiles.h"
#include "records.h"
#include "writerbase.h"

// Writes them to the DataFile of files through header (G_HEADER) and head (G_HEAD), setting the
// mode of both; the type file's header lines and the log's entries keep the mode of header.
void WriteDataFileHeader(ClOutputFiles& files, ClHeaderAccessor& header, ClHeadAccessor& head,
                         const StDATAINFO& set);
