// conversions.h - value conversions of the asset rows: code endings, fixed-point values, totals, quotients.
#pragma once

#include <cstddef>

#include "hosttypes.h"

// Where the file name of path begins: after its last separator ("\\" or "/") or the colon of
// "X:", found character by character so that a trail byte 0x5C is never taken for a separator.
size_t FileNameStart(const char* path);

// The end of text, at most n bytes of whole characters; out holds n + 1 bytes.
void LastChars(const char* text, size_t n, char* out);

// text padded on the left with the digit 0 to width bytes (longer text stays whole); out holds
// max(width, strlen(text)) + 1 bytes.
void PadZero(const char* text, size_t width, char* out);

// A copy of text without any "," or " " byte; out holds strlen(text) + 1 bytes.
void CleanNumberText(const char* text, char* out);

// The asset return kind of an asset type code (1 to 11); null for any other code.
const char* ReturnKindText(long code);

// The leading decimal integer of text (blanks, sign, digits); 0 when there is none.
long LeadingInteger(const char* text);

// The leading decimal number of text (blanks, sign, digits, point, exponent); 0 when there is none.
double LeadingNumber(const char* text);

// x as a value scaled by 10000, the fraction rounded half up at the fifth decimal. 1 on success;
// 0 (value untouched) at or beyond 10^14 in magnitude, or for a value that is not a number.
int ToFixedPoint(double x, tagCY* value);

enum { kTotalTextBytes = 24 };
// The integer part of the exact sum of count amounts, in decimal with "-" before a negative total.
void FormatTotal(const tagCY* amounts, int count, char* text);

// a / b to four decimals, rounded half up; 0 when b is 0.
tagCY DivideFixed(tagCY a, tagCY b);
