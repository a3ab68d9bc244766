#pragma once

#include <QString>
#include <cstdint>
#include <optional>

namespace kvz {

// The leading number of a text: blanks, tabs and line feeds are ignored wherever they stand;
// the longest run from the start that forms a number is taken (sign, digits, one ".", an
// exponent with E or D; or &H hexadecimal, &O octal) and the rest ignored. No number reads 0.
double leadingNumber(const QString& text);

// The nearest whole number, a half going to the even neighbour, as a signed 32-bit integer;
// empty when the value lies outside that range (or is not a number).
std::optional<std::int32_t> roundToInt32(double value);

// Both steps together: the whole number in a control's text.
std::optional<std::int32_t> wholeNumberIn(const QString& text);

// A number as a person types it into a cell: blanks around it ignored, "." or "," as the decimal
// mark, nothing else around it; empty when the text is not one finite number.
std::optional<double> typedNumber(const QString& text);

} // namespace kvz
