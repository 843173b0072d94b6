// Tests of number text: 32-bit integer wrap-around, correctly rounded doubles, float narrowing.
#include "source/number_text.h"

#include <gtest/gtest.h>

#include <bit>
#include <cfloat>
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <limits>
#include <random>
#include <string>
#include <vector>

namespace rpgc {
namespace {

constexpr double kInf = std::numeric_limits<double>::infinity();
constexpr float kFloatInf = std::numeric_limits<float>::infinity();

std::string hexOf(double value) {
  char text[64];
  std::snprintf(text, sizeof text, "%a", value);
  return text;
}

// A text for failure messages: quoted, long ones cut short.
std::string shown(std::string_view text) {
  std::string head(text.substr(0, 80));
  return "\"" + head + (text.size() > 80 ? "...\" (" : "\" (") + std::to_string(text.size()) +
         " characters)";
}

// Bit patterns are compared, so -0.0 differs from 0.0 and every last bit counts.
void expectDouble(std::string_view text, double expected) {
  double actual = doubleOfText(text);
  EXPECT_EQ(std::bit_cast<uint64_t>(actual), std::bit_cast<uint64_t>(expected))
      << "text " << shown(text) << ": got " << hexOf(actual) << ", expected " << hexOf(expected);
}

void expectFloat(std::string_view text, float expected) {
  float actual = floatOfText(text);
  EXPECT_EQ(std::bit_cast<uint32_t>(actual), std::bit_cast<uint32_t>(expected))
      << "text " << shown(text) << ": got " << hexOf(actual) << ", expected " << hexOf(expected);
}

std::string repeated(char c, size_t n) {
  return std::string(n, c);
}

// Exact decimal text of mantissa × 2^exponent, as "<digits>e<power of ten>": for a negative
// exponent the digits are mantissa × 5^-exponent, since 2^-k = 5^k × 10^-k.
std::string exactDecimal(uint64_t mantissa, int exponent) {
  std::vector<int> digits;  // least significant first
  for (; mantissa != 0; mantissa /= 10) digits.push_back(static_cast<int>(mantissa % 10));
  int factor = exponent < 0 ? 5 : 2;
  for (int k = 0; k < std::abs(exponent); ++k) {
    int carry = 0;
    for (int& digit : digits) {
      int product = digit * factor + carry;
      digit = product % 10;
      carry = product / 10;
    }
    if (carry != 0) digits.push_back(carry);
  }
  std::string text;
  for (auto it = digits.rbegin(); it != digits.rend(); ++it) text += static_cast<char>('0' + *it);
  return text + "e" + std::to_string(exponent < 0 ? exponent : 0);
}

// Texts a little above and below an exact decimal "<digits>e<power>": `extraDigits` more
// digits, the last of them nonzero.
std::string slightlyAbove(const std::string& exact, size_t extraDigits) {
  size_t e = exact.find('e');
  int power = std::stoi(exact.substr(e + 1));
  return exact.substr(0, e) + repeated('0', extraDigits - 1) + "1e" +
         std::to_string(power - static_cast<int>(extraDigits));
}

std::string slightlyBelow(const std::string& exact, size_t extraDigits) {
  size_t e = exact.find('e');
  int power = std::stoi(exact.substr(e + 1));
  std::string digits = exact.substr(0, e);
  size_t last = digits.size() - 1;
  while (digits[last] == '0') digits[last--] = '9';
  --digits[last];
  return digits + repeated('9', extraDigits) + "e" +
         std::to_string(power - static_cast<int>(extraDigits));
}

TEST(NumberTextTest, IntegerOfText) {
  struct Case {
    std::string_view text;
    int32_t expected;
  };
  const Case cases[] = {
      {"12abc", 12},
      {"abc", 0},
      {"", 0},
      {"-7", -7},
      {"+5", 5},
      {"  42", 42},
      {" \t\n\v\f\r42", 42},
      {"42  ", 42},
      {"007", 7},
      {"-0", 0},
      {"1.9", 1},
      {"1e5", 1},
      {"0x1F", 0},
      {"12 34", 12},
      {"1,000", 1},
      {"- 5", 0},
      {"+-5", 0},
      {"--5", 0},
      {"-", 0},
      {"a12", 0},
      {"\2405", 0},  // a byte above 127 (0xA0) is not white space
      {std::string_view("5\0006", 3), 5},
      {"2147483647", 2147483647},
      {"-2147483647", -2147483647},
      {"2147483648", -2147483647 - 1},
      {"-2147483648", -2147483647 - 1},
      {"-2147483649", 2147483647},
      {"4294967295", -1},
      {"4294967296", 0},
      {"4294967297", 1},
      {"-4294967295", 1},
      {"99999999999999999999", 1661992959},                                // (10^20 - 1) mod 2^32
      {"11111111111111111111111111111111111111111111111111", -954437177},  // 3340530119 - 2^32
  };
  for (const Case& c : cases) {
    EXPECT_EQ(integerOfText(c.text), c.expected) << "text " << shown(c.text);
  }
  EXPECT_EQ(integerOfText(repeated('0', 5000) + "123"), 123);
  EXPECT_EQ(integerOfText("-" + repeated('0', 5000) + "123x"), -123);
  // 10^5000 is a multiple of 2^32.
  EXPECT_EQ(integerOfText("1" + repeated('0', 5000)), 0);
}

TEST(NumberTextTest, DoubleSyntax) {
  struct Case {
    std::string_view text;
    double expected;
  };
  const Case cases[] = {
      {"1.5", 0x1.8p+0},
      {"2.5xyz", 0x1.4p+1},
      {" 2.5", 0x1.4p+1},
      {" \t\n\v\f\r2.5", 0x1.4p+1},
      {"+1.5", 0x1.8p+0},
      {"-1.5", -0x1.8p+0},
      {"1.5.5", 0x1.8p+0},
      {"1,5", 0x1p+0},
      {"12abc", 0x1.8p+3},
      {".5", 0x1p-1},
      {"-.5", -0x1p-1},
      {"5.", 0x1.4p+2},
      {"007.250", 0x1.dp+2},
      {"0", 0.0},
      {"-0", -0.0},
      {"-0.000e5", -0.0},
      {"+0.", 0.0},
      {"3E2", 0x1.2cp+8},
      {"3e+2", 0x1.2cp+8},
      {"25e-1", 0x1.4p+1},
      {".5e1", 0x1.4p+2},
      {"5.e-1", 0x1p-1},
      {"1e", 0x1p+0},
      {"2e+", 0x1p+1},
      {"2e-", 0x1p+1},
      {"2e+x", 0x1p+1},
      {"2E", 0x1p+1},
      {"2e 3", 0x1p+1},
      {"2e3.5", 0x1.f4p+10},
      {"2e03", 0x1.f4p+10},
      // Not numbers: no mantissa digit.
      {"abc", 0.0},
      {"", 0.0},
      {".", 0.0},
      {"-", 0.0},
      {"+", 0.0},
      {"-.", 0.0},
      {"-abc", 0.0},
      {"e5", 0.0},
      {".e5", 0.0},
      {"- 1", 0.0},
      {"--1", 0.0},
      {"inf", 0.0},
      {"-inf", 0.0},
      {"infinity", 0.0},
      {"INF", 0.0},
      {"nan", 0.0},
      {"NaN(1)", 0.0},
      {"\2401", 0.0},
      // Hexadecimal text reads its leading zero only.
      {"0x1p3", 0.0},
      {"-0x10", -0.0},
      {"1x5", 0x1p+0},
  };
  for (const Case& c : cases) expectDouble(c.text, c.expected);
}

TEST(NumberTextTest, DoubleRounding) {
  struct Case {
    std::string_view text;
    double expected;
  };
  const Case cases[] = {
      {"0.1", 0x1.999999999999ap-4},
      {"0.3", 0x1.3333333333333p-2},
      {"-0.1", -0x1.999999999999ap-4},
      {"3e-5", 0x1.f75104d551d69p-16},
      {"0.000001", 0x1.0c6f7a0b5ed8dp-20},
      {"1e-22", 0x1.e392010175ee6p-74},
      {"123.456e-2", 0x1.3c0c1fc8f3238p+0},
      {"8.589973e9", 0x1.00004b04p+33},
      {"1e22", 0x1.0f0cf064dd592p+73},
      // 10^23 lies exactly halfway between two doubles; the even mantissa wins.
      {"1e23", 0x1.52d02c7e14af6p+76},
      {"100000000000000000000000", 0x1.52d02c7e14af6p+76},
      {"12e25", 0x1.8d0bf423c03d9p+86},
      {"123456789012345678901234567890", 0x1.8ee90ff6c373ep+96},
      {"1e300", 0x1.7e43c8800759cp+996},
      {"1e-301", 0x1.124e63593f5e1p-1000},
      // 2^53 + 1 and 2^53 + 3 are halfway: ties to the even mantissa.
      {"9007199254740992", 0x1p+53},
      {"9007199254740993", 0x1p+53},
      {"9007199254740994", 0x1.0000000000001p+53},
      {"9007199254740995", 0x1.0000000000002p+53},
      {"9007199254740993.0000000001", 0x1.0000000000001p+53},
      {"9007199254740992.9999999999", 0x1p+53},
      {"-9007199254740993", -0x1p+53},
      // Largest double, and the halfway point to 2^1024 at 1.797693134862315807937...e308.
      {"1e308", 0x1.1ccf385ebc8ap+1023},
      {"1.7976931348623157e308", DBL_MAX},
      {"1.7976931348623158e308", DBL_MAX},
      {"1.7976931348623159e308", kInf},
      {"-1.7976931348623159e308", -kInf},
      {"1e309", kInf},
      {"-1e309", -kInf},
      {"1e999999999999", kInf},
      {"1e99999999999999999999999999999999", kInf},
      {"0e999999999999", 0.0},
      {"-0e999999999999", -0.0},
      // Smallest normal and largest subnormal.
      {"2.2250738585072014e-308", 0x1p-1022},
      {"2.2250738585072012e-308", 0x1p-1022},
      {"2.2250738585072011e-308", 0x0.fffffffffffffp-1022},
      // Smallest subnormal 2^-1074 = 4.9406564584124654...e-324; half of it is
      // 2.47032822920623272088...e-324, which itself rounds to 0 (even).
      {"4.9406564584124654e-324", 0x1p-1074},
      {"5e-324", 0x1p-1074},
      {"2.4703282292062328e-324", 0x1p-1074},
      {"2.4703282292062327e-324", 0.0},
      {"-2.4703282292062328e-324", -0x1p-1074},
      {"1e-400", 0.0},
      {"-1e-400", -0.0},
      {"1e-999999999999", 0.0},
      {"1e-99999999999999999999999999999999", 0.0},
  };
  for (const Case& c : cases) expectDouble(c.text, c.expected);
}

TEST(NumberTextTest, DoubleOfLongTexts) {
  struct Case {
    std::string text;
    double expected;
  };
  const Case cases[] = {
      {repeated('0', 1000) + "1.5", 0x1.8p+0},
      {"0." + repeated('0', 500) + "1e500", 0x1.999999999999ap-4},
      {"0." + repeated('0', 500) + "1", 0.0},
      {"0." + repeated('0', 300) + "1", 0x1.124e63593f5e1p-1000},  // 10^-301
      {"1" + repeated('0', 300), 0x1.7e43c8800759cp+996},          // 10^300
      {"1" + repeated('0', 309), kInf},
      {"1" + repeated('0', 5000) + "e-5000", 0x1p+0},
      {"1." + repeated('0', 5000) + "1", 0x1p+0},
      // A tie stays a tie whatever the number of trailing zeros...
      {"9007199254740993." + repeated('0', 1000), 0x1p+53},
      {"9007199254740993" + repeated('0', 1000) + "e-1000", 0x1p+53},
      // ...and a nonzero digit far beyond the kept ones still breaks it.
      {"9007199254740993." + repeated('0', 1000) + "1", 0x1.0000000000001p+53},
      {"9007199254740993" + repeated('0', 900) + "1e-901", 0x1.0000000000001p+53},
      {"9007199254740994" + repeated('9', 1000) + "e-1000", 0x1.0000000000001p+53},
      {"-0." + repeated('0', 400) + "1", -0.0},
      {"0." + repeated('9', 800), 0x1p+0},
  };
  for (const Case& c : cases) expectDouble(c.text, c.expected);
}

// Exact halfway points between neighbouring doubles, computed digit by digit, and texts just
// above and below them (also with more digits than any halfway point needs).
TEST(NumberTextTest, DoubleHalfwayPoints) {
  struct Case {
    uint64_t mantissa;  // halfway point = mantissa × 2^exponent, mantissa odd
    int exponent;
    double below;
    double tie;
    double above;
  };
  const Case cases[] = {
      // Half the smallest subnormal.
      {1, -1075, 0.0, 0.0, 0x1p-1074},
      // Between the two smallest subnormals: the tie goes to 2 × 2^-1074.
      {3, -1075, 0x1p-1074, 0x1p-1073, 0x1p-1073},
      // Between the largest subnormal and the smallest normal.
      {(uint64_t{1} << 53) - 1, -1075, 0x0.fffffffffffffp-1022, 0x1p-1022, 0x1p-1022},
      // Around 1.
      {(uint64_t{1} << 53) + 1, -53, 0x1p+0, 0x1p+0, 0x1.0000000000001p+0},
      {(uint64_t{1} << 53) + 3, -53, 0x1.0000000000001p+0, 0x1.0000000000002p+0,
       0x1.0000000000002p+0},
      // Mid-range, odd and even lower neighbour.
      {0x3579bde02468ad, -601, 0x1.abcdef0123456p-548, 0x1.abcdef0123456p-548,
       0x1.abcdef0123457p-548},
      {0x3579bde02468af, -601, 0x1.abcdef0123457p-548, 0x1.abcdef0123458p-548,
       0x1.abcdef0123458p-548},
      {0x3579bde02468ad, 400, 0x1.abcdef0123456p+453, 0x1.abcdef0123456p+453,
       0x1.abcdef0123457p+453},
      {0x3579bde02468af, 400, 0x1.abcdef0123457p+453, 0x1.abcdef0123458p+453,
       0x1.abcdef0123458p+453},
      // Between the largest double and 2^1024: the tie overflows.
      {(uint64_t{1} << 54) - 1, 970, DBL_MAX, kInf, kInf},
  };
  for (const Case& c : cases) {
    std::string exact = exactDecimal(c.mantissa, c.exponent);
    SCOPED_TRACE("halfway point " + shown(exact));
    expectDouble(exact, c.tie);
    expectDouble("-" + exact, -c.tie);
    // The last digit of the nearby texts sits just after the tie, around the 800th significant
    // digit (where long texts start to be cut short) and well beyond it.
    size_t exactDigits = exact.find('e');
    std::vector<size_t> extraDigits = {1, 100};
    for (size_t total = 790; total <= 802; ++total) {
      if (total > exactDigits) extraDigits.push_back(total - exactDigits);
    }
    for (size_t extra : extraDigits) {
      expectDouble(slightlyBelow(exact, extra), c.below);
      expectDouble(slightlyAbove(exact, extra), c.above);
    }
    expectDouble(exact.substr(0, exact.find('e')) + repeated('0', 900) + "e" +
                     std::to_string(std::stoi(exact.substr(exact.find('e') + 1)) - 900),
                 c.tie);
  }
}

TEST(NumberTextTest, FloatOfText) {
  struct Case {
    std::string_view text;
    float expected;
  };
  const Case cases[] = {
      {"1.5", 0x1.8p+0f},
      {"0.1", 0x1.99999ap-4f},
      {"-0", -0.0f},
      {"abc", 0.0f},
      {"16777217", 0x1p+24f},  // tie between 2^24 and 2^24 + 2
      {"3.4028235e38", FLT_MAX},
      // Its double 0x1.ffffff514a7bcp+127 lies above the halfway point 0x1.ffffffp+127.
      {"3.4028236e38", kFloatInf},
      {"-3.4028236e38", -kFloatInf},
      // Just below the halfway point, then exactly on it (a tie: to infinity).
      {"3.4028235677973362e38", FLT_MAX},
      {"3.4028235677973366e38", kFloatInf},
      {"1e39", kFloatInf},
      {"1e300", kFloatInf},
      {"1e400", kFloatInf},
      {"-1e400", -kFloatInf},
      {"1.17549435e-38", 0x1p-126f},
      {"1.4e-45", 0x1p-149f},
      // The double of this text is 2^-150, half the smallest float subnormal: a tie to 0.
      {"7.0064923216240853e-46", 0.0f},
      {"7.0064923216240862e-46", 0x1p-149f},
      {"1e-46", 0.0f},
      {"-1e-46", -0.0f},
      // The float is that of the double: this text lies above 1 + 2^-24 (halfway between two
      // floats), but its double is 1 + 2^-24 exactly, a tie that goes to 1.
      {"1.0000000596046448", 0x1p+0f},
      {"1.0000000596046449", 0x1.000002p+0f},
  };
  for (const Case& c : cases) expectFloat(c.text, c.expected);
}

// Random decimal text checked against the C library's correctly rounded strtod.
TEST(NumberTextTest, DoubleMatchesCorrectlyRoundedReference) {
  std::mt19937_64 random(20240611);
  auto below = [&](uint64_t n) { return random() % n; };
  auto digits = [&](size_t count) {
    std::string text;
    for (size_t i = 0; i < count; ++i) text += static_cast<char>('0' + below(10));
    return text;
  };
  int failures = 0;
  auto check = [&](const std::string& text) {
    double expected = std::strtod(text.c_str(), nullptr);
    double actual = doubleOfText(text);
    if (std::bit_cast<uint64_t>(actual) != std::bit_cast<uint64_t>(expected) && ++failures <= 20) {
      ADD_FAILURE() << "text " << shown(text) << ": got " << hexOf(actual) << ", expected "
                    << hexOf(expected);
    }
  };

  for (int i = 0; i < 300000; ++i) {
    std::string text = below(4) == 0 ? "-" : "";
    int kind = static_cast<int>(below(10));
    if (kind < 6) {
      // Everyday numbers: few digits, small exponents.
      std::string mantissa = digits(1 + below(kind < 3 ? 8 : 19));
      size_t point = below(mantissa.size() + 1);
      text += mantissa.substr(0, point) + "." + mantissa.substr(point);
      if (below(3) == 0) text += "e" + std::to_string(static_cast<int>(below(61)) - 30);
    } else if (kind < 9) {
      // The whole range, subnormals and overflow included.
      text += digits(1 + below(kind == 8 ? 40 : 20));
      text += "e" + std::to_string(static_cast<int>(below(680)) - 350);
    } else {
      // Near halfway points: the decimal text of a random double, with its 17 significant
      // digits followed by a 5, then perturbed.
      uint64_t bits = random() & ~(uint64_t{1} << 63);
      double value = std::bit_cast<double>(bits);
      if (!std::isfinite(value)) continue;
      char printed[64];
      std::snprintf(printed, sizeof printed, "%.16e", value);
      std::string written = printed;
      size_t e = written.find('e');
      std::string tail = below(2) == 0 ? "5" : "4999999999" + digits(below(4));
      text += written.substr(0, e) + tail + written.substr(e);
    }
    check(text);
  }
  EXPECT_EQ(failures, 0);
}

}  // namespace
}  // namespace rpgc
