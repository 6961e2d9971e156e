// records.h - the host's packed records of data sets, fixed assets and asset categories.
//
// The host lays these out byte for byte (little-endian, no alignment padding); only the fields the
// program reads are named, the rest is reserved room of the host.
#pragma once

#include <cstddef>
#include <cstdint>

#include "hosttypes.h"

#pragma pack(push, 1)

// One data set: one company's books for one accounting period.
struct StDATAINFO {
    char dataId[kDataIdBytes];  // the data set's identifier, NUL-padded text
    int32_t dataNo;
    uint8_t reserved20[4];
    char companyName[260];
    int32_t periodStart;  // yyyymmdd
    int32_t periodEnd;    // yyyymmdd
    uint8_t reserved292[34];
    int16_t dataKind;  // 99 = past actual data
    uint8_t reserved328[16];
    uint8_t entityKind;  // 0, 1 corporation; 3, 4 individual
    uint8_t reserved345[1161];
};

// Master record of one fixed asset.
struct StKOTEISHISANINFO {
    uint8_t reserved0[16];
    uint8_t assetKey[16];
    char assetCode[16];
    int32_t assetTypeCode;
    char assetName[193];
    char quantityText[9];  // number and unit, such as 3台
    char memoText[82];
    int16_t disposalKind;  // 4 = sale, 5 = retirement
    char capexText[18];
    int32_t acquisitionDate;
    int32_t serviceDate;
    uint8_t reserved364[4];
    tagCY acquisitionCost;
    tagCY compressionAmount;
    tagCY openingBookValue;
    int16_t methodCode;  // 4 = lump-sum asset
    int16_t usefulLife;
    int32_t rateThousandths;
    int32_t residualRate;
    uint8_t limitInputFlag;
    uint8_t reserved405[3];
    tagCY depreciableLimit;
    uint8_t reserved416[10];
    int16_t businessUseRatio;
    int16_t sgaShare;
    int16_t depMonthsFactor;
    int16_t depMonthsDivisor;
    uint8_t reserved434[6];
    tagCY residualValue;
    tagCY depreciationBase;
    tagCY sgaAmount;
    tagCY manufacturingAmount;
    tagCY accumulatedDepreciation;
    tagCY closingBookValue;
    int32_t disposalDate;
    uint8_t reserved492[4];
    tagCY salePrice;
    uint8_t reserved504[29];
    uint8_t monthsInputFlag;
    uint8_t reserved534[3];
    tagCY revisedCost;
};

// Yearly figures of one fixed asset.
struct StKOTEINENINFO {
    uint8_t reserved0[40];
    tagCY computedDepreciation;
    tagCY specialDepreciation;
    tagCY additionalDepreciation;
    int64_t currentDepreciationInput;
    uint8_t reserved72[888];
};

// Monthly figures of one fixed asset; fetched with the master, not read by the program.
struct StKOTEITSUKIINFO {
    uint8_t reserved0[1536];
};

// One breakdown record of a lump-sum asset.
struct StIKKATSUINFO {
    uint8_t reserved0[48];
    char breakdownNo[13];
    char breakdownName[83];
    int32_t breakdownAcquisitionDate;
    uint8_t reserved148[4];
    tagCY breakdownCost;
    int32_t breakdownQuantity;  // quantity x 100
    uint8_t reserved164[92];
};

// One asset category.
struct StSHISANKUBUNINFO {
    uint8_t reserved0[16];
    int32_t categoryCode;
    char categoryName[82];
    int16_t categoryMethod;
    int32_t categoryResidual;
    uint8_t reserved108[20];
};

#pragma pack(pop)

static_assert(sizeof(StDATAINFO) == 1506, "StDATAINFO size");
static_assert(offsetof(StDATAINFO, dataNo) == 16 && offsetof(StDATAINFO, companyName) == 24 &&
                  offsetof(StDATAINFO, periodStart) == 284 && offsetof(StDATAINFO, periodEnd) == 288 &&
                  offsetof(StDATAINFO, dataKind) == 326 && offsetof(StDATAINFO, entityKind) == 344,
              "StDATAINFO offsets");

static_assert(sizeof(StKOTEISHISANINFO) == 545, "StKOTEISHISANINFO size");
static_assert(offsetof(StKOTEISHISANINFO, assetKey) == 16 && offsetof(StKOTEISHISANINFO, assetCode) == 32 &&
                  offsetof(StKOTEISHISANINFO, assetTypeCode) == 48 && offsetof(StKOTEISHISANINFO, assetName) == 52 &&
                  offsetof(StKOTEISHISANINFO, quantityText) == 245 && offsetof(StKOTEISHISANINFO, memoText) == 254 &&
                  offsetof(StKOTEISHISANINFO, disposalKind) == 336 && offsetof(StKOTEISHISANINFO, capexText) == 338 &&
                  offsetof(StKOTEISHISANINFO, acquisitionDate) == 356 &&
                  offsetof(StKOTEISHISANINFO, serviceDate) == 360 &&
                  offsetof(StKOTEISHISANINFO, acquisitionCost) == 368 &&
                  offsetof(StKOTEISHISANINFO, compressionAmount) == 376 &&
                  offsetof(StKOTEISHISANINFO, openingBookValue) == 384 &&
                  offsetof(StKOTEISHISANINFO, methodCode) == 392 && offsetof(StKOTEISHISANINFO, usefulLife) == 394 &&
                  offsetof(StKOTEISHISANINFO, rateThousandths) == 396 &&
                  offsetof(StKOTEISHISANINFO, residualRate) == 400 &&
                  offsetof(StKOTEISHISANINFO, limitInputFlag) == 404 &&
                  offsetof(StKOTEISHISANINFO, depreciableLimit) == 408 &&
                  offsetof(StKOTEISHISANINFO, businessUseRatio) == 426 &&
                  offsetof(StKOTEISHISANINFO, sgaShare) == 428 &&
                  offsetof(StKOTEISHISANINFO, depMonthsFactor) == 430 &&
                  offsetof(StKOTEISHISANINFO, depMonthsDivisor) == 432 &&
                  offsetof(StKOTEISHISANINFO, residualValue) == 440 &&
                  offsetof(StKOTEISHISANINFO, depreciationBase) == 448 &&
                  offsetof(StKOTEISHISANINFO, sgaAmount) == 456 &&
                  offsetof(StKOTEISHISANINFO, manufacturingAmount) == 464 &&
                  offsetof(StKOTEISHISANINFO, accumulatedDepreciation) == 472 &&
                  offsetof(StKOTEISHISANINFO, closingBookValue) == 480 &&
                  offsetof(StKOTEISHISANINFO, disposalDate) == 488 && offsetof(StKOTEISHISANINFO, salePrice) == 496 &&
                  offsetof(StKOTEISHISANINFO, monthsInputFlag) == 533 &&
                  offsetof(StKOTEISHISANINFO, revisedCost) == 537,
              "StKOTEISHISANINFO offsets");

static_assert(sizeof(StKOTEINENINFO) == 960, "StKOTEINENINFO size");
static_assert(offsetof(StKOTEINENINFO, computedDepreciation) == 40 &&
                  offsetof(StKOTEINENINFO, specialDepreciation) == 48 &&
                  offsetof(StKOTEINENINFO, additionalDepreciation) == 56 &&
                  offsetof(StKOTEINENINFO, currentDepreciationInput) == 64,
              "StKOTEINENINFO offsets");

static_assert(sizeof(StKOTEITSUKIINFO) == 1536, "StKOTEITSUKIINFO size");

static_assert(sizeof(StIKKATSUINFO) == 256, "StIKKATSUINFO size");
static_assert(offsetof(StIKKATSUINFO, breakdownNo) == 48 && offsetof(StIKKATSUINFO, breakdownName) == 61 &&
                  offsetof(StIKKATSUINFO, breakdownAcquisitionDate) == 144 &&
                  offsetof(StIKKATSUINFO, breakdownCost) == 152 && offsetof(StIKKATSUINFO, breakdownQuantity) == 160,
              "StIKKATSUINFO offsets");

static_assert(sizeof(StSHISANKUBUNINFO) == 128, "StSHISANKUBUNINFO size");
static_assert(offsetof(StSHISANKUBUNINFO, categoryCode) == 16 && offsetof(StSHISANKUBUNINFO, categoryName) == 20 &&
                  offsetof(StSHISANKUBUNINFO, categoryMethod) == 102 &&
                  offsetof(StSHISANKUBUNINFO, categoryResidual) == 104,
              "StSHISANKUBUNINFO offsets");
