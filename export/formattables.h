// formattables.h - the column tables of the asset data file, its column-name line, one-item lines and the
// type file.
#pragma once

#include "textaccessor.h"

// Data rows of the asset data file.
extern const char* const G_INFO_NAME;
extern const StTAFORMAT G_INFO[];
extern const long G_INFO_COUNT;

// The column-name line of the asset data file; G_HEAD_TITLES are its values, one per column.
extern const char* const G_HEAD_NAME;
extern const StTAFORMAT G_HEAD[];
extern const long G_HEAD_COUNT;
extern const char* const G_HEAD_TITLES[];

// Header lines of both files and every entry of the link error log.
extern const char* const G_HEADER_NAME;
extern const StTAFORMAT G_HEADER[];
extern const long G_HEADER_COUNT;

// Rows of the asset type file.
extern const char* const G_SSC_NAME;
extern const StTAFORMAT G_SSC[];
extern const long G_SSC_COUNT;

// Record buffer sizes: every value of a table lies in its record without gap or overlap.
enum {
    kInfoColumns = 149,
    kInfoRecordBytes = 1348,
    kHeadRecordBytes = 2965,
    kHeaderRecordBytes = 153,
    kHeaderTextBytes = 152,
    kSscColumns = 16,
    kSscRecordBytes = 150
};
