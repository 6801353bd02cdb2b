#pragma once
// The text forms of stored settings, and their conversions on reading.
//
// Written: integers as plain digits ("25"); Singles as the standard text of a
// Single, at most 7 significant digits, with the locale's decimal separator
// ("95.5" or "95,5"); truth values as "True" / "False".
// Read: numbers with optional sign, decimal separator (the locale's, or a
// point), exponent and surrounding blanks; truth values as "True" / "False"
// in any case, or any number (0 is false). Anything else raises error 13.

#include <string>

#include "runtime/base/VbTypes.h"

namespace SettingsText {

std::string IntegerText(vb::Integer value);
std::string SingleText(vb::Single value, char decimalSeparator);
std::string BooleanText(bool value);

// Raise 13 (Type mismatch) for text that is not a number, 6 (Overflow) for a
// number outside the target type.
double ToDouble(const std::string& text, char decimalSeparator);
vb::Single ToSingle(const std::string& text, char decimalSeparator);
vb::Integer ToInteger(const std::string& text, char decimalSeparator);
bool ToBoolean(const std::string& text, char decimalSeparator);

}  // namespace SettingsText
