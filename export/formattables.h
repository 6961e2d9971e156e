// formattables.h - the column tables of the asset data file, its column-name line, one-item lines and the
// type file.
#pragma once

#include <cstddef>

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
enum : long {
    kInfoColumns = 149,
    kInfoRecordBytes = 1348,
    kHeadRecordBytes = 2965,
    kHeaderRecordBytes = 153,
    kHeaderTextBytes = 152,
    kSscColumns = 16,
    kSscRecordBytes = 150
};

// The items of G_INFO (and of the column-name line), by column.
enum _InfoItem : long {
    InfoCode, InfoSplitCode, InfoTypeCode, InfoTypeName, InfoMethod, InfoCapex, InfoBranch, InfoDepartment,
    InfoReturnRegion, InfoName, InfoStructure, InfoDetail, InfoAcquired, InfoInService, InfoQuantity, InfoUnit,
    InfoLife, InfoLifeShortened, InfoLifeShortenedBelowGuarantee, InfoLocalTaxLife, InfoRate, InfoTransition,
    InfoPeriodMonths, InfoCost, InfoCompressionMethod, InfoCompression, InfoOpeningReserve, InfoReserveReleased,
    InfoNetCost, InfoResidualRate, InfoResidualInput, InfoResidual, InfoCompressedResidualInput,
    InfoCompressedResidual, InfoLimitRate, InfoLimitInput, InfoLimit, InfoCompressedLimitInput,
    InfoCompressedLimit, InfoMonthsInput, InfoMonths, InfoSuccessionInput, InfoOpeningBook, InfoChangedOpeningBook,
    InfoCompressedChangedOpeningBook, InfoRemainingBookInput, InfoRemainingBook, InfoRevisedCostInput,
    InfoRevisedCost, InfoCompressedRevisedCostInput, InfoCompressedRevisedCost, InfoBase, InfoComputedInput,
    InfoComputed, InfoOpeningExcess, InfoAdditionalRatio, InfoAdditionalInput, InfoAdditional, InfoSpecialKind,
    InfoSpecialArticle, InfoSpecialParagraph, InfoSpecialRate, InfoSpecialInput, InfoSpecial, InfoSpecialTreatment,
    InfoCurrentLimit, InfoCurrentInput, InfoCurrent, InfoExcess, InfoExecutionRate, InfoBusinessShare,
    InfoBusinessShareOf, InfoDisposed, InfoDisposalMethod, InfoDisposalKind, InfoSalePrice, InfoRetired,
    InfoRetiredMethod, InfoRetiredValue, InfoRetiredDisposed, InfoPriorDisposal, InfoClosingBook,
    InfoClosingReserve, InfoAccumulated, InfoSgaShare, InfoSgaShareOf, InfoSga, InfoManufacturingShare,
    InfoManufacturingShareOf, InfoManufacturing, InfoNonOperatingShare, InfoNonOperatingShareOf, InfoNonOperating,
    InfoReturnKind, InfoRegionMoved, InfoPriorRegion, InfoReturnCodeInput, InfoReturnCode, InfoReturnCostInput,
    InfoReturnCost, InfoAcquiredMonth, InfoNoteAll1, InfoNoteAll2, InfoNoteDecrease1, InfoNoteDecrease2,
    InfoPriorValuationInput, InfoPriorValuation, InfoValuationInput, InfoValuation, InfoTaxBaseShare,
    InfoTaxBaseShareOf, InfoTaxBaseEnd, InfoIncreaseReason, InfoDecreaseReason, InfoDecreaseKind, InfoImpairment,
    InfoImpairedDate, InfoImpairmentBooking, InfoBookBeforeImpairmentInput, InfoBookBeforeImpairment,
    InfoImpairmentLoss, InfoBookAfterImpairment, InfoLifeAfterImpairmentInput, InfoLifeAfterImpairment,
    InfoRateAfterImpairmentInput, InfoRateAfterImpairment, InfoResidualAfterImpairmentInput,
    InfoResidualAfterImpairment, InfoImpairmentAccumulated, InfoPastImpairment, InfoPastImpairedDate,
    InfoPastImpairmentBooking, InfoPastBookAfterImpairment, InfoPastImpairmentAccumulated,
    InfoPastLifeAfterImpairment, InfoPastRateAfterImpairmentInput, InfoPastRateAfterImpairment,
    InfoPastResidualAfterImpairmentInput, InfoPastResidualAfterImpairment, InfoPastRevisedCostAfterImpairment,
    InfoPastBaseInput, InfoPastBase, InfoAssetGroup, InfoImpairmentTransition, InfoImpairmentLifeShortened,
    InfoCalculationBook, InfoCalculationLife, InfoMemoUpper, InfoMemoLower,
    InfoItemCount
};
static_assert(static_cast<long>(InfoItemCount) == kInfoColumns, "one name per G_INFO column");

// The items of G_SSC, by column: the share pairs are numerator and denominator ("Of").
enum _SscItem : long {
    SscCode, SscName, SscClass, SscDepreciation, SscMethod, SscDisposalMethod, SscResidualShare, SscLimitShare,
    SscReturnKind, SscShare1, SscShare1Of, SscShare2, SscShare2Of, SscShare3, SscShare3Of, SscBiological,
    SscItemCount
};
static_assert(static_cast<long>(SscItemCount) == kSscColumns, "one name per G_SSC column");

// Checks run on the tables at compile time (formattables.cpp): the table has its count of columns,
// each value starts where the previous one ended and the values fill the record exactly.
template <size_t N>
constexpr bool ValuesFillRecord(const StTAFORMAT (&table)[N], long columns, long recordBytes) {
    long offset = 0;
    for (size_t i = 0; i < N; ++i) {
        if (table[i].offset != offset) return false;
        offset += table[i].size;
    }
    return static_cast<long>(N) == columns && offset == recordBytes;
}

// A text takes its width and a NUL (but the one column given as oddText, if any), a number 2, 4 or
// 8 bytes; only an 8-byte number has decimals.
template <size_t N>
constexpr bool SizesFollowKinds(const StTAFORMAT (&table)[N], long oddText = -1) {
    for (size_t i = 0; i < N; ++i) {
        const StTAFORMAT& c = table[i];
        const bool text = c.type == ItemText && c.decimals == 0 &&
                          (c.size == c.width + 1 || static_cast<long>(i) == oddText);
        const bool number = c.type == ItemSigned && (c.size == 2 || c.size == 4 || c.size == 8) &&
                            (c.size == 8 || c.decimals == 0);
        if (!text && !number) return false;
    }
    return true;
}
