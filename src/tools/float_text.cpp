// Float texts: std::to_chars, checked against floatOfText.
#include "tools/float_text.h"

#include <bit>
#include <charconv>
#include <cmath>
#include <cstdint>
#include <cstdio>

#include "source/number_text.h"

namespace rpgc {

namespace {

std::string nanBits(float value) {
  char bits[16];
  std::snprintf(bits, sizeof bits, "0x%08x", static_cast<unsigned>(std::bit_cast<uint32_t>(value)));
  return bits;
}

}  // namespace

bool sourceFloatText(float value, std::string& text) {
  if (std::isnan(value)) return false;
  if (std::isinf(value)) {
    text = value > 0 ? "1e39" : "-1e39";  // past the largest float: floatOfText gives infinity
    return true;
  }
  char digits[64];
  auto readsBack = [&](std::to_chars_result written) {
    text.assign(digits, written.ptr);
    return std::bit_cast<uint32_t>(floatOfText(text)) == std::bit_cast<uint32_t>(value);
  };
  if (readsBack(std::to_chars(digits, digits + sizeof digits, value))) return true;
  // The shortest text of the float can miss through the rounding to double first; more
  // digits narrow the decimal down, and 17 name the double, hence the float, exactly.
  for (int precision = 1; precision <= 17; ++precision) {
    auto written = std::to_chars(digits, digits + sizeof digits, static_cast<double>(value),
                                 std::chars_format::general, precision);
    if (readsBack(written)) return true;
  }
  return false;
}

std::string shownFloatText(float value) {
  std::string text;
  if (sourceFloatText(value, text)) {
    if (std::isinf(value)) return value > 0 ? "inf" : "-inf";
    return text;
  }
  return "nan(" + nanBits(value) + ")";
}

std::string jsonFloatText(float value) {
  if (std::isnan(value)) return "\"nan:" + nanBits(value) + "\"";
  if (std::isinf(value)) return value > 0 ? "\"inf\"" : "\"-inf\"";
  std::string text;
  sourceFloatText(value, text);
  if (text.find_first_of(".e") == std::string::npos) text.append(".0");
  return text;
}

}  // namespace rpgc
