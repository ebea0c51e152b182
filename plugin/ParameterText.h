#pragma once

// The texts a host shows for a parameter value: what the plug-in makes of the value, short
// enough for the host interface's parameter strings (kVstMaxParamStrLen, 8 bytes with the
// terminator), whatever the float holds.

namespace qev
{

// Writes a terminated text of at most kVstMaxParamStrLen - 1 characters into text, which
// holds at least kVstMaxParamStrLen bytes:
// - SYNC_SPEED: the menu entry the engine plays ("man", "1/16" .. "2/1T"): below 1 (fractions,
//   negatives, NaN) "man", the whole part otherwise, 12 and above "2/1T";
// - TYPE: the stages the engine runs, as the menu counts them: "2", above 0 "4", 2 and above
//   "6" (NaN "2");
// - every other index: the number with three decimals ("0.361", "-0.500"), or where that does
//   not fit, as many significant digits as do ("1e+30", "-1e-30"); "nan", "inf", "-inf".
void formatParameterValue(int index, float value, char* text);

} // namespace qev
