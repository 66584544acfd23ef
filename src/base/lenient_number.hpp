#pragma once

#include <string_view>

namespace tavelin {

// Reads a number the forgiving way of the number-of-steps entry.
//
// Blanks, tabs and line feeds are dropped wherever they stand, then the longest leading number is
// taken and the rest of the text ignored: an optional sign, digits, a period as the decimal separator
// in every locale, an optional exponent (E or e, optional sign, digits). "&H" and "&O" (either case)
// introduce hexadecimal and octal digits, read as a value without sign. A text that does not begin
// with a number reads as 0. A value beyond the range of a double reads as an infinity of its sign,
// so a caller's range check refuses it instead of storing something wrapped.
double ReadLenientNumber(std::string_view text);

}  // namespace tavelin
