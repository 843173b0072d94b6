// Tests of the float texts: the source, listing and JSON forms of special values, and
// every text reading back to the same bits through the compiler's own conversion.
#include <gtest/gtest.h>

#include <bit>
#include <charconv>
#include <cstdint>
#include <random>
#include <string>

#include "source/number_text.h"
#include "tools/float_text.h"

namespace rpgc {
namespace {

TEST(FloatTextTest, Forms) {
  struct Row {
    uint32_t bits;
    const char* source;  // "" when refused
    const char* shown;
    const char* json;
  };
  const Row rows[] = {
      {0x3F800000, "1", "1", "1.0"},
      {0x3DCCCCCD, "0.1", "0.1", "0.1"},
      {0x80000000, "-0", "-0", "-0.0"},
      {0x00000001, "1e-45", "1e-45", "1e-45"},
      {0x7F7FFFFF, "3.4028235e+38", "3.4028235e+38", "3.4028235e+38"},
      {0x4B800000, "16777216", "16777216", "16777216.0"},
      {0x501502F9, "1e+10", "1e+10", "1e+10"},
      {0x7F800000, "1e39", "inf", "\"inf\""},
      {0xFF800000, "-1e39", "-inf", "\"-inf\""},
      {0x7FC00000, "", "nan(0x7fc00000)", "\"nan:0x7fc00000\""},
      {0xFFC00001, "", "nan(0xffc00001)", "\"nan:0xffc00001\""},
  };
  for (const Row& row : rows) {
    float value = std::bit_cast<float>(row.bits);
    SCOPED_TRACE(row.shown);
    std::string text;
    EXPECT_EQ(sourceFloatText(value, text), *row.source != '\0');
    if (*row.source != '\0') {
      EXPECT_EQ(text, row.source);
    }
    EXPECT_EQ(shownFloatText(value), row.shown);
    EXPECT_EQ(jsonFloatText(value), row.json);
  }
}

// The texts read back through floatOfText, and are never longer than the float's
// shortest text.
TEST(FloatTextTest, EveryTextReadsBackToTheSameBits) {
  std::mt19937 random(7);
  for (int i = 0; i < 200000; ++i) {
    float value = std::bit_cast<float>(static_cast<uint32_t>(random()));
    std::string text;
    if (!sourceFloatText(value, text)) {
      EXPECT_NE(value, value);  // only NaN is refused
      continue;
    }
    ASSERT_EQ(std::bit_cast<uint32_t>(floatOfText(text)), std::bit_cast<uint32_t>(value)) << text;
    char shortest[64];
    auto end = std::to_chars(shortest, shortest + sizeof shortest, value).ptr;
    if (value - value == 0) {  // finite
      EXPECT_LE(text.size(), static_cast<size_t>(end - shortest)) << text;
    }
  }
}

}  // namespace
}  // namespace rpgc
