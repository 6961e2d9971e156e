// assetrows.cpp - one host asset, or one breakdown of a lump-sum asset, as one row of the asset data file.
#include "assetrows.h"

#include <charconv>
#include <cstring>

#include "conversions.h"
#include "sjisbytes.h"

namespace {

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

const size_t kAssetCodeBytes = 6;      // item 0 of an asset row
const size_t kBreakdownNoBytes = 2;    // and after it in a breakdown row
const size_t kNameBytes = 32;          // item 9
const size_t kMemoPartBytes = 20;      // items 147 and 148
const size_t kNumberTextBytes = 2048;  // the number of a quantity text

}  // namespace

static_assert(sizeof kAmountOverflowText == ClAssetRows::kAmountColumnBytes,
              "the asterisks fill an amount column");

ClAssetRows::ClAssetRows(ClInfoAccessor& info, ClOutputFiles& files, ClLinkLog& log, ClCodeIndex& codes)
    : m_info(info),
      m_dataFile(*files.File(DataFile)),
      m_files(files),
      m_log(log),
      m_codes(codes),
      m_amountText() {}

void ClAssetRows::WriteAssetRow(const StKOTEISHISANINFO* master, const StKOTEINENINFO* yearly,
                                const StIKKATSUINFO* breakdown) {
    if (!master || (master->methodCode == 4 && !breakdown) || (master->methodCode != 4 && !yearly)) return;
    // Item 0 begins with the end of the asset code, and a breakdown adds its number.
    const StAssetCode assetCode(master->assetCode);
    char code[kAssetCodeBytes + kBreakdownNoBytes + 1];
    ZeroPaddedEnd(assetCode.text, assetCode.length, kAssetCodeBytes, code);
    m_dataFile.Attach(&m_info);
    m_info.SetMode(Comma, NoQuote);
    // Every item starts masked, and filling one writes it whole before it shows it: nothing of an
    // earlier row is rendered, so the record needs no clearing.
    m_info.SetAllMasks(1);
    if (master->methodCode == 4) {
        WriteBreakdownItems(*master, *breakdown, assetCode, code);
    } else {
        WriteAssetItems(*master, *yearly, assetCode, code);
    }
}

void ClAssetRows::WriteAssetItems(const StKOTEISHISANINFO& m, const StKOTEINENINFO& y,
                                  const StAssetCode& assetCode, const char* code) {
    AssetCodeItem(assetCode, code);
    KindItems(m);
    DescriptionItems(m);
    DepreciationItems(m);
    YearItems(m, y);
    if (m.methodCode != 7) SetInt32(InfoExecutionRate, 100);
    ShareItems(m);
    DisposalItems(m);
    SetAmount(InfoSga, m.sgaAmount);
    SetAmount(InfoManufacturing, m.manufacturingAmount);
    // Item 93 stays masked for a type code without a return kind.
    if (const char* typeText = ReturnKindText(m.assetTypeCode)) SetText(InfoReturnKind, typeText);
    if (m.disposalKind == 4) SetText(InfoDecreaseReason, "売却");
    MemoItems(m);
    m_files.NoteWrite(DataFile, m_info.Write());
}

// Item 0: the code is written whatever its checks find; one with other characters is never
// registered, so it is reported each time it comes.
void ClAssetRows::AssetCodeItem(const StAssetCode& assetCode, const char* code) {
    SetText(InfoCode, code);
    if (assetCode.length > kAssetCodeBytes) m_log.LinkMessage(MsgCodeDigits, assetCode.text);
    if (!CheckCodeChars(3, code)) {
        m_log.LinkMessage(MsgCodeChars, code);
    } else if (m_codes.Register(code) != 0) {
        m_log.LinkMessage(MsgCodeDuplicate, assetCode.text);
    }
}

// Items 2, 4 and 5: the type code, the method, the capital expenditure mark.
void ClAssetRows::KindItems(const StKOTEISHISANINFO& m) {
    const int32_t type = m.assetTypeCode;
    char text[16];
    SetText(InfoTypeCode, TwoDigits(type, text));
    if (type / 100 != 0) m_log.LinkMessage(MsgTypeDigits, static_cast<int>(type));
    SetText(InfoMethod, type == 11 ? "非償却資産" : MethodText(m.methodCode));
    if (m.methodCode != 7) SetText(InfoCapex, m.capexText[0] != '\0' ? "台帳＋申告書" : "");
}

// Items 9 and 12 to 16: the name, the dates, the quantity and its unit, the useful life.
void ClAssetRows::DescriptionItems(const StKOTEISHISANINFO& m) {
    const StField name(m.assetName);
    SetName(name.text, MsgNameLength);
    SetInt32(InfoAcquired, m.acquisitionDate);
    SetInt32(InfoInService, m.assetTypeCode == 11 ? m.acquisitionDate : m.serviceDate);
    const StField quantity(m.quantityText);
    ParseQuantity(quantity.text);
    if (m.usefulLife != 0) SetInt16(InfoLife, m.usefulLife);
}

// Items 20 to 40: the rate, the transition, the period, cost and compression, the residual value,
// the depreciable limit and the month count.
void ClAssetRows::DepreciationItems(const StKOTEISHISANINFO& m) {
    const int method = m.methodCode;
    tagCY value = 0;
    if (m.rateThousandths != 0 && method != 3 && method != 7 &&
        ToFixedPoint(static_cast<float>(m.rateThousandths) * 0.001f, &value)) {
        SetFixed(InfoRate, value);
    }
    if (method == 5 && m.acquisitionDate >= 20120401 && m.acquisitionDate <= 20130331)
        SetText(InfoTransition, "250%定率法");
    if (method == 3) {
        char text[16];
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
        if (m.assetTypeCode == 10) {
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
}

// Items 42 to 67: the book values of the year and its depreciation.
void ClAssetRows::YearItems(const StKOTEISHISANINFO& m, const StKOTEINENINFO& y) {
    const int method = m.methodCode;
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
    CurrentItems(m, y);
}

// Items 66 and 67: the year's depreciation as a whole, where it is entered or the method's rules
// of the years ask for it.
void ClAssetRows::CurrentItems(const StKOTEISHISANINFO& m, const StKOTEINENINFO& y) {
    const int method = m.methodCode;
    const bool current = (y.currentDepreciationInput != 0 && method != 7) ||
                         ((method == 5 || method == 6 || method == 8) && m.serviceDate < 20070401) ||
                         ((method == 1 || method == 2) && m.serviceDate >= 20070401) ||
                         (method == 8 && m.acquisitionDate <= 20130331) ||
                         (method == 5 && m.acquisitionDate > 20130331);
    if (!current) return;
    SetText(InfoCurrentInput, "*");
    const tagCY parts[3] = {y.computedDepreciation, y.specialDepreciation, y.additionalDepreciation};
    char total[kTotalTextBytes];
    FormatTotal(parts, 3, total);
    // A total wider than its column would be cut to a wrong number.
    if (std::strlen(total) > static_cast<size_t>(G_INFO[InfoCurrent].width)) {
        m_log.LinkMessage(MsgAmountDigits, total);
        SetText(InfoCurrent, kAmountOverflowText);
    } else {
        SetText(InfoCurrent, total);
    }
}

// Items 70, 71, 84, 85, 87 and 88: the business share and the split between selling and general
// costs and manufacturing, each over a denominator of 100.
void ClAssetRows::ShareItems(const StKOTEISHISANINFO& m) {
    SetFixed(InfoBusinessShare, PercentFromHundredths(m.businessUseRatio));
    SetFixed(InfoBusinessShareOf, kHundred);
    SetFixed(InfoSgaShare, static_cast<tagCY>(m.sgaShare) * 10000);
    SetFixed(InfoSgaShareOf, kHundred);
    SetFixed(InfoManufacturingShare, static_cast<tagCY>(100 - m.sgaShare) * 10000);
    SetFixed(InfoManufacturingShareOf, kHundred);
}

// Items 72 to 83: a sale or retirement, and the values at the end of the year.
void ClAssetRows::DisposalItems(const StKOTEISHISANINFO& m) {
    const int method = m.methodCode;
    const bool disposed = m.disposalKind == 4 || m.disposalKind == 5;
    if (disposed) SetInt32(InfoDisposed, m.disposalDate);
    if (disposed && method != 7) SetText(InfoDisposalMethod, "除却日まで償却");
    if (method != 7 && m.disposalKind == 4) SetText(InfoDisposalKind, "売却");
    if (method != 7 && m.disposalKind == 5) SetText(InfoDisposalKind, "除却");
    if (method != 7 && m.disposalKind == 4) SetAmount(InfoSalePrice, m.salePrice);
    SetAmount(InfoClosingBook, m.closingBookValue);
    if (method != 7) SetAmount(InfoAccumulated, m.accumulatedDepreciation);
}

// Items 147 and 148: the memo in two parts of whole characters; a longer one is reported.
void ClAssetRows::MemoItems(const StKOTEISHISANINFO& m) {
    const StField memo(m.memoText);
    const size_t upper = SjisFitBytes(memo.text, kMemoPartBytes);
    const size_t lower = SjisFitBytes(memo.text + upper, kMemoPartBytes);
    char part[kMemoPartBytes + 1] = {};
    std::memcpy(part, memo.text, upper);
    SetText(InfoMemoUpper, part);
    std::memset(part, 0, sizeof part);
    std::memcpy(part, memo.text + upper, lower);
    SetText(InfoMemoLower, part);
    if (memo.length > 2 * kMemoPartBytes) m_log.LinkMessage(MsgMemoLength, memo.text);
}

void ClAssetRows::WriteBreakdownItems(const StKOTEISHISANINFO& m, const StIKKATSUINFO& b,
                                      const StAssetCode& assetCode, char* code) {
    const StField number(b.breakdownNo);
    ZeroPaddedEnd(number.text, number.length, kBreakdownNoBytes, code + kAssetCodeBytes);
    // Numbers 100, 200 ... and non-numeric ones end in no usable two-digit breakdown number.
    if (LeadingInteger(code + kAssetCodeBytes) == 0) {
        m_log.LinkMessage(MsgBreakdownLimit);
        return;
    }
    SetText(InfoCode, code);
    if (assetCode.length + number.length > kAssetCodeBytes + kBreakdownNoBytes) {
        m_log.LinkMessage(MsgBreakdownCodeDigits, assetCode.text, number.text);
    }
    if (!CheckCodeChars(3, code)) {
        m_log.LinkMessage(MsgBreakdownCodeChars, code);
    } else {
        const short registered = m_codes.Register(code);
        if (registered == 1) m_log.LinkMessage(MsgBreakdownDuplicate, assetCode.text, number.text, code);
        if (registered == 2) m_log.LinkMessage(MsgBreakdownPrefixDuplicate, code, assetCode.text);
    }

    SetText(InfoMethod, "一括決算");
    const StField name(b.breakdownName);
    SetName(name.text, MsgBreakdownNameLength);

    SetInt32(InfoAcquired, b.breakdownAcquisitionDate);
    SetInt32(InfoInService, m.serviceDate);
    const double quantity = b.breakdownQuantity * 0.01;
    tagCY value = 0;
    if (ToFixedPoint(quantity, &value)) SetFixed(InfoQuantity, value);
    if (static_cast<float>(quantity) >= kQuantityLimit) m_log.LinkMessage(MsgQuantityDigits, quantity);
    SetAmount(InfoCost, b.breakdownCost);
    ShareItems(m);
    m_files.NoteWrite(DataFile, m_info.Write());
}

int ClAssetRows::CheckCodeChars(short kind, const char* code) {
    for (const char* p = code; *p != '\0'; ++p) {
        const char c = *p;
        const bool letter = (c >= 'A' && c <= 'Z') || (c >= 'a' && c <= 'z');
        const bool digit = c >= '0' && c <= '9';
        if (kind == 2 ? !letter : !(letter || digit)) return 0;
    }
    return 1;
}

// One pass copies the text and notes whether it holds a separator (comma, CR, LF: all below 64);
// the texts are short, so a loop of its own beats counting, copying and mending them apart. Gain:
// 231 instructions a data row, 2.4 % of the engine (callgrind, bench at 10k assets);
// AssetRow.LongTextsAreCutOnCharacterBoundaries and LineBreaksAndCommasInTextsKeepTheRowWhole hold
// it to the cut and the mend.
void ClAssetRows::SetText(long item, const char* text) {
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
    if (seen && MendSeparators(slot))
        m_log.LinkMessage(MsgTextSeparator, reinterpret_cast<const char*>(slot));
}

// An asset's or a breakdown's name, cut to the 32 bytes of whole characters its column takes; a
// longer one is reported with message.
void ClAssetRows::SetName(const char* text, const char* message) {
    char shortName[kNameBytes + 1] = {};
    std::memcpy(shortName, text, SjisFitBytes(text, kNameBytes));
    SetText(InfoName, shortName);
    if (std::strlen(text) > kNameBytes) m_log.LinkMessage(message, text);
}

void ClAssetRows::SetInt16(long item, int value) {
    const int16_t v = static_cast<int16_t>(value);
    std::memcpy(m_info.Record() + G_INFO[item].offset, &v, sizeof v);
    Show(item);
}

void ClAssetRows::SetInt32(long item, long value) {
    const int32_t v = static_cast<int32_t>(value);
    std::memcpy(m_info.Record() + G_INFO[item].offset, &v, sizeof v);
    Show(item);
}

void ClAssetRows::SetFixed(long item, tagCY value) {
    std::memcpy(m_info.Record() + G_INFO[item].offset, &value, sizeof value);
    Show(item);
}

const char* ClAssetRows::FormatAmount(const tagCY* amount) {
    RenderAmount(*amount, m_amountText);
    return m_amountText;
}

size_t ClAssetRows::RenderAmount(tagCY amount, char* out) {
    if (amount >= kAmountMin && amount <= kAmountMax) return PutAmountDigits(amount, out);
    char digits[kTotalTextBytes];
    PutAmountDigits(amount, digits);
    m_log.LinkMessage(MsgAmountDigits, digits);
    std::memcpy(out, kAmountOverflowText, sizeof kAmountOverflowText);
    return sizeof kAmountOverflowText - 1;
}

// Straight into the item: the text holds digits and a minus or the asterisks, never a separator,
// and every amount column is a text of twelve bytes and its terminator; saves a copy and a look
// for separators per amount (the amounts of a data row: 874 instructions, callgrind over 10k
// assets; AssetRow.AmountItemsReadAsFormatAmountGivesThem holds the items to FormatAmount's text).
void ClAssetRows::SetAmount(long item, tagCY amount) {
    RenderAmount(amount, reinterpret_cast<char*>(m_info.Record() + G_INFO[item].offset));
    Show(item);
}

void ClAssetRows::ParseQuantity(const char* quantityText) {
    const size_t length = std::strlen(quantityText);
    const size_t unitBytes = QuantityUnitBytes(quantityText);
    SetText(InfoUnit, quantityText + length - unitBytes);

    char number[kNumberTextBytes];
    const size_t numberBytes = length - unitBytes < sizeof number ? length - unitBytes : sizeof number - 1;
    std::memcpy(number, quantityText, numberBytes);
    number[numberBytes] = '\0';
    if (numberBytes == 0) {
        SetFixed(InfoQuantity, 0);
        return;
    }
    char cleaned[kNumberTextBytes];
    CleanNumberText(number, cleaned);
    const double x = LeadingNumber(cleaned);
    tagCY value = 0;
    if (!ToFixedPoint(x, &value)) {
        // No fixed-point value holds it: the field stays empty rather than carry a wrong number.
        m_log.LinkMessage(MsgQuantityDigits, x);
        return;
    }
    SetFixed(InfoQuantity, RoundToHundredths(value));
    if (static_cast<float>(x) >= kQuantityLimit) m_log.LinkMessage(MsgQuantityDigits, x);
}
