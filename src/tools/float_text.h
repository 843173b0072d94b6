// Float texts: the fewest decimal digits that give a float back, bit for bit, through the
// compiler's own conversion (floatOfText: decimal, correctly rounded to double, then to
// float), so that a float written as source compiles to the same bits.
#ifndef RPGC_TOOLS_FLOAT_TEXT_H_
#define RPGC_TOOLS_FLOAT_TEXT_H_

#include <string>

namespace rpgc {

/// The shortest text that floatOfText reads back to value's bits: std::to_chars's
/// shortest form when it does, else the value with more digits (17 always do). The
/// infinities are "1e39" and "-1e39". False for NaN, which no text gives.
bool sourceFloatText(float value, std::string& text);

/// sourceFloatText for the listing, with "inf", "-inf" and "nan(0x7fc00000)" (the bits).
std::string shownFloatText(float value);

/// sourceFloatText as a JSON number, with a decimal point or an exponent so that it reads
/// as a float ("1.0", "-0.0"); the infinities and NaN, which JSON numbers cannot hold,
/// as the strings "inf", "-inf" and "nan:0x7fc00000" (the bits).
std::string jsonFloatText(float value);

}  // namespace rpgc

#endif  // RPGC_TOOLS_FLOAT_TEXT_H_
