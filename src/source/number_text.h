// Number text of the source language: integer and float values of value tokens and lines.
//
// The conversions are our own code so that a project compiles to the same bytes on every
// platform and in every locale: no C library parsing is involved. Text that is not a number
// converts to zero; conversion stops at the first character that cannot continue the number.
#ifndef RPGC_SOURCE_NUMBER_TEXT_H_
#define RPGC_SOURCE_NUMBER_TEXT_H_

#include <cstdint>
#include <string_view>

namespace rpgc {

/// How a text differs from a plain number, for the warnings about values.
enum class NumberIssue : uint8_t {
  kNone,
  kNotANumber,    // no digits where the number starts: reads as 0
  kTrailingText,  // a number followed by other text: reads as the number
  kOutOfRange,    // an integer beyond 32 bits (wraps) or a float beyond float range (infinity)
  kTooSmall,      // a float whose nonzero digits round to 0
};

/// Integer of a text: leading white space (space, \t, \n, \v, \f, \r) skipped, an optional '+' or
/// '-', then decimal digits up to the first other character; no digits give 0. The value wraps
/// modulo 2^32 into int32_t. With issue, also says how the text differs from a plain number
/// (leading white space is allowed, anything after the digits is trailing text).
int32_t integerOfText(std::string_view text, NumberIssue* issue = nullptr);

/// Float of a text: doubleOfText narrowed to float, rounding to nearest even; values from
/// 0x1.ffffffp+127 on (in magnitude) become infinities.
float floatOfText(std::string_view text, NumberIssue* issue = nullptr);

/// Double of a text, correctly rounded (to nearest, ties to even). Syntax: leading white space,
/// an optional sign, digits with an optional '.' (at least one digit on either side), then an
/// optional exponent ('e' or 'E', optional sign, at least one digit; without a digit the exponent
/// is not part of the number). Anything else, "inf", "nan" and hexadecimal text included, reads
/// as far as it fits; text without a leading number gives 0.0.
double doubleOfText(std::string_view text, NumberIssue* issue = nullptr);

}  // namespace rpgc

#endif  // RPGC_SOURCE_NUMBER_TEXT_H_
