// conversions.h - value conversions of the asset rows: code endings, fixed-point values, totals, quotients.
#pragma once

#include <cstddef>

#include "hosttypes.h"

// The end of text, at most n bytes of whole characters; out holds n + 1 bytes.
void LastChars(const char* text, size_t n, char* out);

// text padded on the left with the digit 0 to width bytes (longer text stays whole); out holds
// max(width, strlen(text)) + 1 bytes.
void PadZero(const char* text, size_t width, char* out);

// Both at once, as item 0 takes the end of a code: the last n bytes of whole characters of text
// (terminated, length bytes), padded on the left with the digit 0 to n bytes; out holds n + 1.
void ZeroPaddedEnd(const char* text, size_t length, size_t n, char* out);

// A copy of text without any "," or " " byte; out holds strlen(text) + 1 bytes.
void CleanNumberText(const char* text, char* out);

// The asset return kind of an asset type code (1 to 11); null for any other code.
const char* ReturnKindText(long code);

// The leading decimal integer of text (blanks, sign, digits); 0 when there is none.
long LeadingInteger(const char* text);

// The leading decimal number of text (blanks, sign, digits, point, exponent); 0 when there is none.
double LeadingNumber(const char* text);

// A fixed-point value holds magnitudes below 10^14.
constexpr double kFixedPointLimit = 1e14;
// 100 as a fixed-point value: the denominators of the share columns.
constexpr tagCY kHundred = 1000000;
// The amounts an amount column holds in its twelve bytes: 99,999,999,999 and -9,999,999,999 (the
// minus takes a digit's place). Beyond them the column shows its overflow text.
constexpr tagCY kAmountMax = 999999999990000LL;
constexpr tagCY kAmountMin = -99999999990000LL;
constexpr char kAmountOverflowText[] = "************";
// A quantity from a million on has more integer digits than its column; compared in single
// precision, as the column's source holds it (999999.99 reaches it).
constexpr float kQuantityLimit = 1000000.0f;
// The unit after a quantity's number takes at most this many bytes (item 15).
enum { kQuantityUnitBytes = 4 };

// x as a value scaled by 10000, the fraction rounded half up at the fifth decimal. 1 on success;
// 0 (value untouched) at or beyond 10^14 in magnitude, or for a value that is not a number.
int ToFixedPoint(double x, tagCY* value);

enum { kTotalTextBytes = 24 };
// The integer part of the exact sum of count amounts, in decimal with "-" before a negative total.
void FormatTotal(const tagCY* amounts, int count, char* text);

// a / b to four decimals, rounded half up; 0 when b is 0.
tagCY DivideFixed(tagCY a, tagCY b);

// A share in hundredths of a percent (8050: 80.50 %) as a fixed-point percentage: what DivideFixed
// gives for hundredths x 10000 over 100, without a division, two decimals being exact.
inline tagCY PercentFromHundredths(int hundredths) { return static_cast<tagCY>(hundredths) * 100; }

// The digits of an amount's integer part at out (cut toward zero, "-" before a negative one,
// nothing for 0), terminated; returns their count. out holds kTotalTextBytes, or 12 bytes for an
// amount within kAmountMin and kAmountMax.
size_t PutAmountDigits(tagCY amount, char* out);

// How many bytes at the end of a quantity text are its unit: at most kQuantityUnitBytes that are no
// digits, whole characters only.
size_t QuantityUnitBytes(const char* text);
// A fixed-point value rounded half up (away from zero) to two decimals.
tagCY RoundToHundredths(tagCY value);
