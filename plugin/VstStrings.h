#pragma once

// Bounded string copies and the number-to-text conversions behind the base classes' display
// helpers. Every destination must hold at least maxLen + 1 bytes; a negative maxLen or a null
// destination writes nothing.

#include "VstInterface.h"

// Copies at most maxLen characters of src into dst, pads with zeros up to maxLen and always
// writes a terminating zero at dst[maxLen]. A null src copies as an empty string. Returns dst.
char* vst_strncpy(char* dst, const char* src, VstInt32 maxLen);

// Appends src to the string in dst, at most as many characters as keep the whole text within
// maxLen characters, and writes a zero at dst[maxLen]. A null src appends nothing. Returns dst.
char* vst_strncat(char* dst, const char* src, VstInt32 maxLen);

namespace qev
{

// A display text with a budget of 8 characters for sign, integer digits, point and fraction
// digits (3.25 -> "3.250000", -3.25 -> "-3.25000", 0 -> "0.000000"). Values above 99999999,
// or below -9999999, give "Huge!"; not-a-number gives "NaN". Integer digits are never dropped:
// a number with more integer digits than the budget holds is written whole, with no fraction.
void formatFloat(float value, char* text, VstInt32 maxLen);

// A whole number in decimal ("-42", "0"); magnitudes of 100000000 and more give "Huge!".
void formatInt(VstInt32 value, char* text, VstInt32 maxLen);

// 20 * log10(value) through formatFloat; "-oo" for 0, negative values and not-a-number.
void formatDecibels(float value, char* text, VstInt32 maxLen);

// The frequency whose period is the given number of samples, through formatFloat; 0 samples
// give 0.
void formatHertz(float samples, float sampleRate, char* text, VstInt32 maxLen);

// The duration of the given number of samples in milliseconds, through formatFloat.
void formatMilliseconds(float samples, float sampleRate, char* text, VstInt32 maxLen);

} // namespace qev
