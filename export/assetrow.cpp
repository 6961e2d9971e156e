// assetrow.cpp - one host asset, or one breakdown of a lump-sum asset, as one row of the asset data file.
#include <charconv>
#include <cstdio>
#include <cstring>

#include "assetwriter.h"
#include "conversions.h"
#include "sjisbytes.h"
#include "messages.h"

namespace {

// A text field of a host record, terminated even when the host filled it to the last byte.
template <size_t N>
struct StField {
    explicit StField(const char (&source)[N]) : text() { std::memcpy(text, source, strnlen(source, N)); }
    char text[N + 1];
};

const char* MethodText(int method) {
    switch (method) {
        case 1:
            return "旧定率法";
        case 2:
            return "旧定額法";
        case 3:
            return "均等法";
        case 5:
            return "定率法";
        case 6:
            return "定額法";
        case 7:
            return "少額資産";
        case 8:
            return "定率法";
        default:
            return "";
    }
}

// value as "%02d" writes it: at least two characters, a zero before a single digit; text holds 16.
const char* TwoDigits(int32_t value, char* text) {
    char* p = text;
    if (value >= 0 && value < 10) *p++ = '0';
    *std::to_chars(p, text + 15, value).ptr = '\0';
    return text;
}

bool IsNewMethod(int method) { return method >= 5 && method <= 8; }

const size_t kAssetCodeBytes = 6;  // item 0 of an asset row; a breakdown adds its two digits

}  // namespace

int ClAssetWriter::WriteAssetRow(StKOTEISHISANINFO* master, StKOTEINENINFO* yearly, StKOTEITSUKIINFO* monthly,
                                 StIKKATSUINFO* breakdown) {
    (void)monthly;  // fetched with the master; nothing of it reaches the row
    if (!master || (master->methodCode == 4 && !breakdown) || (master->methodCode != 4 && !yearly)) return 1;
    // Item 0: the asset code, and for a breakdown its two-digit number after it.
    char code[16];
    AssetCode(*master, code);
    if (master->methodCode == 4) {
        const StField<sizeof breakdown->breakdownNo> number(breakdown->breakdownNo);
        char tail[4];
        LastChars(number.text, 2, tail);
        PadZero(tail, 2, code + kAssetCodeBytes);
    }
    m_dataFile.Attach(&m_info);
    m_info.SetMode(Comma, NoQuote);
    m_info.ClearRecord();
    // Every item starts masked; filling an item shows it, so no mask of an earlier row survives.
    m_info.SetAllMasks(1);
    if (master->methodCode == 4) {
        WriteBreakdownItems(*master, *breakdown, code);
    } else {
        WriteAssetItems(*master, *yearly, code);
    }
    return 1;
}

// The last six characters of the asset code, padded with zeros to six; code holds 16 bytes.
void ClAssetWriter::AssetCode(const StKOTEISHISANINFO& master, char* code) {
    const StField<sizeof master.assetCode> assetCode(master.assetCode);
    char tail[8];
    LastChars(assetCode.text, kAssetCodeBytes, tail);
    PadZero(tail, kAssetCodeBytes, code);
}

void ClAssetWriter::WriteAssetItems(const StKOTEISHISANINFO& m, const StKOTEINENINFO& y, const char* code) {
    const int method = m.methodCode;
    const int32_t type = m.assetTypeCode;
    const StField<sizeof m.assetCode> assetCode(m.assetCode);
    char text[32];

    SetText(InfoCode, code);
    if (std::strlen(assetCode.text) > kAssetCodeBytes) LinkMessage(MsgCodeDigits, assetCode.text);
    if (!CheckCodeChars(3, code)) {
        LinkMessage(MsgCodeChars, code);
    } else if (RegisterCode(code) != 0) {
        LinkMessage(MsgCodeDuplicate, assetCode.text);
    }

    SetText(InfoTypeCode, TwoDigits(type, text));
    if (type / 100 != 0) LinkMessage(MsgTypeDigits, static_cast<int>(type));

    SetText(InfoMethod, type == 11 ? "非償却資産" : MethodText(method));
    if (method != 7) SetText(InfoCapex, m.capexText[0] != '\0' ? "台帳＋申告書" : "");

    const StField<sizeof m.assetName> name(m.assetName);
    SetName(name.text, MsgNameLength);

    SetInt32(InfoAcquired, m.acquisitionDate);
    SetInt32(InfoInService, type == 11 ? m.acquisitionDate : m.serviceDate);
    const StField<sizeof m.quantityText> quantity(m.quantityText);
    ParseQuantity(quantity.text);
    if (m.usefulLife != 0) SetInt16(InfoLife, m.usefulLife);

    tagCY value = 0;
    if (m.rateThousandths != 0 && method != 3 && method != 7 &&
        ToFixedPoint(static_cast<float>(m.rateThousandths) * 0.001f, &value)) {
        SetFixed(InfoRate, value);
    }
    if (method == 5 && m.acquisitionDate >= 20120401 && m.acquisitionDate <= 20130331)
        SetText(InfoTransition, "250%定率法");
    if (method == 3) {
        *std::to_chars(text, text + sizeof text - 1, m.usefulLife * 12).ptr = '\0';
        SetText(InfoPeriodMonths, text);
    }
    SetAmount(InfoCost, m.acquisitionCost);
    if (method != 7) SetAmount(InfoCompression, m.compressionAmount);
    if (m.residualRate != 0 && !IsNewMethod(method)) SetInt32(InfoResidualRate, m.residualRate);
    if (!IsNewMethod(method)) SetAmount(InfoResidual, m.residualValue);
    if (m.limitInputFlag == 0 && m.depreciableLimit != 0 && !IsNewMethod(method)) {
        SetInt32(InfoLimitRate, static_cast<long>(m.depreciableLimit / 10000));
    }
    if (!IsNewMethod(method)) {
        if (type == 10) {
            SetText(InfoLimitInput, "*");
            SetAmount(InfoLimit, m.residualValue);
        } else if (m.limitInputFlag == 1 && m.depreciableLimit != 0) {
            SetText(InfoLimitInput, "*");
            SetAmount(InfoLimit, m.depreciableLimit);
        }
    }
    if (m.monthsInputFlag == 1) {
        SetText(InfoMonthsInput, "*");
        // A divisor of 0 has no month count to give; the item stays empty.
        if (m.depMonthsDivisor != 0) SetInt16(InfoMonths, (12 / m.depMonthsDivisor) * m.depMonthsFactor);
    }
    if (method != 7) SetAmount(InfoOpeningBook, m.openingBookValue);
    if (method == 5 || method == 8) {
        SetText(InfoRevisedCostInput, "*");
        SetAmount(InfoRevisedCost, m.revisedCost);
    }
    if (method != 7) SetAmount(InfoBase, m.depreciationBase);
    if (y.computedDepreciation != 0 && method != 7) {
        SetText(InfoComputedInput, "*");
        SetAmount(InfoComputed, y.computedDepreciation);
    }
    if (y.additionalDepreciation != 0) {
        SetText(InfoAdditionalInput, "*");
        SetAmount(InfoAdditional, y.additionalDepreciation);
    }
    if (y.specialDepreciation != 0) {
        SetText(InfoSpecialKind, "特別");
        SetText(InfoSpecialInput, "*");
        SetAmount(InfoSpecial, y.specialDepreciation);
        SetText(InfoSpecialTreatment, "償却");
    }
    const bool current = (y.currentDepreciationInput != 0 && method != 7) ||
                         ((method == 5 || method == 6 || method == 8) && m.serviceDate < 20070401) ||
                         ((method == 1 || method == 2) && m.serviceDate >= 20070401) ||
                         (method == 8 && m.acquisitionDate <= 20130331) ||
                         (method == 5 && m.acquisitionDate > 20130331);
    if (current) {
        SetText(InfoCurrentInput, "*");
        const tagCY parts[3] = {y.computedDepreciation, y.specialDepreciation, y.additionalDepreciation};
        char total[kTotalTextBytes];
        FormatTotal(parts, 3, total);
        // A total wider than its column would be cut to a wrong number.
        if (std::strlen(total) > static_cast<size_t>(G_INFO[InfoCurrent].width)) {
            LinkMessage(MsgAmountDigits, total);
            SetText(InfoCurrent, kAmountOverflowText);
        } else {
            SetText(InfoCurrent, total);
        }
    }
    if (method != 7) SetInt32(InfoExecutionRate, 100);
    SetFixed(InfoBusinessShare, DivideFixed(static_cast<tagCY>(m.businessUseRatio) * 10000, kHundred));
    SetFixed(InfoBusinessShareOf, kHundred);

    const bool disposed = m.disposalKind == 4 || m.disposalKind == 5;
    if (disposed) SetInt32(InfoDisposed, m.disposalDate);
    if (disposed && method != 7) SetText(InfoDisposalMethod, "除却日まで償却");
    if (method != 7 && m.disposalKind == 4) SetText(InfoDisposalKind, "売却");
    if (method != 7 && m.disposalKind == 5) SetText(InfoDisposalKind, "除却");
    if (method != 7 && m.disposalKind == 4) SetAmount(InfoSalePrice, m.salePrice);
    SetAmount(InfoClosingBook, m.closingBookValue);
    if (method != 7) SetAmount(InfoAccumulated, m.accumulatedDepreciation);
    SetFixed(InfoSgaShare, static_cast<tagCY>(m.sgaShare) * 10000);
    SetFixed(InfoSgaShareOf, kHundred);
    SetAmount(InfoSga, m.sgaAmount);
    SetFixed(InfoManufacturingShare, static_cast<tagCY>(100 - m.sgaShare) * 10000);
    SetFixed(InfoManufacturingShareOf, kHundred);
    SetAmount(InfoManufacturing, m.manufacturingAmount);
    if (const char* typeText = ReturnKindText(type)) SetText(InfoReturnKind, typeText);  // none: masked
    if (m.disposalKind == 4) SetText(InfoDecreaseReason, "売却");

    const StField<sizeof m.memoText> memo(m.memoText);
    const size_t upper = SjisFitBytes(memo.text, 20);
    const size_t lower = SjisFitBytes(memo.text + upper, 20);
    char part[24] = {};
    std::memcpy(part, memo.text, upper);
    SetText(InfoMemoUpper, part);
    std::memset(part, 0, sizeof part);
    std::memcpy(part, memo.text + upper, lower);
    SetText(InfoMemoLower, part);
    if (std::strlen(memo.text) > 40) LinkMessage(MsgMemoLength, memo.text);

    NoteWrite(DataFile, m_info.Write());
}

// An asset's or a breakdown's name, cut to the 32 bytes of whole characters its column takes; a
// longer one is reported with message.
void ClAssetWriter::SetName(const char* text, const char* message) {
    const size_t kNameBytes = 32;
    char shortName[kNameBytes + 1] = {};
    std::memcpy(shortName, text, SjisFitBytes(text, kNameBytes));
    SetText(InfoName, shortName);
    if (std::strlen(text) > kNameBytes) LinkMessage(message, text);
}

void ClAssetWriter::WriteBreakdownItems(const StKOTEISHISANINFO& m, const StIKKATSUINFO& b, const char* code) {
    const StField<sizeof m.assetCode> assetCode(m.assetCode);
    const StField<sizeof b.breakdownNo> number(b.breakdownNo);
    // Numbers 100, 200 ... and non-numeric ones end in no usable two-digit breakdown number.
    if (LeadingInteger(code + kAssetCodeBytes) == 0) {
        LinkMessage(MsgBreakdownLimit);
        return;
    }
    SetText(InfoCode, code);
    if (std::strlen(assetCode.text) + std::strlen(number.text) > 8) {
        LinkMessage(MsgBreakdownCodeDigits, assetCode.text, number.text);
    }
    if (!CheckCodeChars(3, code)) {
        LinkMessage(MsgBreakdownCodeChars, code);
    } else {
        const short registered = RegisterCode(code);
        if (registered == 1) LinkMessage(MsgBreakdownDuplicate, assetCode.text, number.text, code);
        if (registered == 2) LinkMessage(MsgBreakdownPrefixDuplicate, code, assetCode.text);
    }

    SetText(InfoMethod, "一括決算");
    const StField<sizeof b.breakdownName> name(b.breakdownName);
    SetName(name.text, MsgBreakdownNameLength);

    SetInt32(InfoAcquired, b.breakdownAcquisitionDate);
    SetInt32(InfoInService, m.serviceDate);
    const double quantity = b.breakdownQuantity * 0.01;
    tagCY value = 0;
    if (ToFixedPoint(quantity, &value)) SetFixed(InfoQuantity, value);
    if (static_cast<float>(quantity) >= kQuantityLimit) LinkMessage(MsgQuantityDigits, quantity);
    SetAmount(InfoCost, b.breakdownCost);

    SetFixed(InfoBusinessShare, DivideFixed(static_cast<tagCY>(m.businessUseRatio) * 10000, kHundred));
    SetFixed(InfoBusinessShareOf, kHundred);
    SetFixed(InfoSgaShare, static_cast<tagCY>(m.sgaShare) * 10000);
    SetFixed(InfoSgaShareOf, kHundred);
    SetFixed(InfoManufacturingShare, static_cast<tagCY>(100 - m.sgaShare) * 10000);
    SetFixed(InfoManufacturingShareOf, kHundred);

    NoteWrite(DataFile, m_info.Write());
}
