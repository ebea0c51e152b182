#pragma once

// Strict number parsing for the command line: the whole text must be the number.

#include <string>

namespace qev::render
{

// A non-negative whole number in decimal digits only ("3", not "+3", "3.0" or "0x3").
bool parseIndex(const std::string& text, int& value);
// A finite floating-point number.
bool parseFloat(const std::string& text, float& value);
bool parseDouble(const std::string& text, double& value);

} // namespace qev::render
