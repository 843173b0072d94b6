// Number text of the source language: integers with 32-bit wrap-around, correctly rounded floats.
//
// doubleOfText scans the text once into a sign, its significant digits and a decimal exponent.
// A mantissa below 2^53 with a small power of ten takes one exact IEEE multiplication or
// division, which the hardware rounds correctly by itself. Everything else goes through
// BigDecimal: up to 800 significant decimal digits (more than the 767 that the longest halfway
// point between two doubles needs) and a flag for nonzero digits dropped beyond them. It is
// scaled by powers of two into [0.5, 1), then by 2^53, and its integer part, rounded half to
// even, is the mantissa. Dropped digits only ever make the kept value smaller than the true
// one, and every rounding threshold fits in 800 digits, so the comparisons stay exact.

#include "source/number_text.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cfloat>
#include <cmath>
#include <cstring>
#include <initializer_list>
#include <iterator>
#include <limits>

namespace rpgc {
namespace {

bool isBlank(char c) {
  return c == ' ' || c == '\t' || c == '\n' || c == '\v' || c == '\f' || c == '\r';
}

bool isDigit(char c) {
  return c >= '0' && c <= '9';
}

uint8_t digitValue(char c) {
  return static_cast<uint8_t>(c - '0');
}

size_t skipBlanks(std::string_view text) {
  size_t i = 0;
  while (i < text.size() && isBlank(text[i])) ++i;
  return i;
}

// Exponents beyond this magnitude all give infinity or zero; saturating keeps the arithmetic
// below far from overflow whatever the length of the text.
constexpr int64_t kExponentLimit = int64_t{1} << 40;

// A decimal number as written: value = digits of `head` then `tail` × 10^exponent.
// Leading and trailing zeros are already stripped, so the digits are the significant ones.
struct DecimalText {
  bool negative = false;
  bool isNumber = false;  // at least one mantissa digit was seen
  std::string_view head;  // significant digits before the point
  std::string_view tail;  // significant digits after the point (or all of them, when head is empty)
  int64_t exponent = 0;
  size_t end = 0;  // where the number's text ends

  size_t digitCount() const { return head.size() + tail.size(); }
};

DecimalText scanDecimal(std::string_view text) {
  DecimalText number;
  size_t i = skipBlanks(text);
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    number.negative = text[i] == '-';
    ++i;
  }
  size_t start = i;
  while (i < text.size() && isDigit(text[i])) ++i;
  std::string_view integerDigits = text.substr(start, i - start);
  std::string_view fractionDigits;
  if (i < text.size() && text[i] == '.') {
    start = ++i;
    while (i < text.size() && isDigit(text[i])) ++i;
    fractionDigits = text.substr(start, i - start);
  }
  if (integerDigits.empty() && fractionDigits.empty()) return number;
  number.isNumber = true;

  int64_t exponent = 0;
  if (i < text.size() && (text[i] == 'e' || text[i] == 'E')) {
    size_t j = i + 1;
    bool negativeExponent = false;
    if (j < text.size() && (text[j] == '+' || text[j] == '-')) {
      negativeExponent = text[j] == '-';
      ++j;
    }
    if (j < text.size() && isDigit(text[j])) {
      for (; j < text.size() && isDigit(text[j]); ++j) {
        if (exponent < kExponentLimit) exponent = exponent * 10 + digitValue(text[j]);
      }
      if (negativeExponent) exponent = -exponent;
      i = j;
    }
  }
  number.end = i;

  // value = integerDigits fractionDigits × 10^(exponent - fraction length)
  while (!integerDigits.empty() && integerDigits.front() == '0') integerDigits.remove_prefix(1);
  if (integerDigits.empty()) {
    size_t zeros = 0;
    while (zeros < fractionDigits.size() && fractionDigits[zeros] == '0') ++zeros;
    exponent -= static_cast<int64_t>(zeros);
    fractionDigits.remove_prefix(zeros);
  }
  while (!fractionDigits.empty() && fractionDigits.back() == '0') fractionDigits.remove_suffix(1);
  exponent -= static_cast<int64_t>(fractionDigits.size());
  if (fractionDigits.empty()) {
    while (!integerDigits.empty() && integerDigits.back() == '0') {
      integerDigits.remove_suffix(1);
      ++exponent;
    }
  }
  number.head = integerDigits;
  number.tail = fractionDigits;
  number.exponent = exponent;
  return number;
}

bool hasNonzeroDigit(std::string_view text) {
  DecimalText number = scanDecimal(text);
  return number.digitCount() > 0;
}

double signedZero(bool negative) {
  return negative ? -0.0 : 0.0;
}

double signedInfinity(bool negative) {
  return negative ? -std::numeric_limits<double>::infinity()
                  : std::numeric_limits<double>::infinity();
}

// Powers of ten that doubles hold exactly.
constexpr double kExactPowersOfTen[] = {1e0,  1e1,  1e2,  1e3,  1e4,  1e5,  1e6,  1e7,
                                        1e8,  1e9,  1e10, 1e11, 1e12, 1e13, 1e14, 1e15,
                                        1e16, 1e17, 1e18, 1e19, 1e20, 1e21, 1e22};
constexpr int kMaxExactPower = 22;
constexpr uint64_t kMaxExactMantissa = uint64_t{1} << 53;
// 10^0 to 10^15: scales that keep a one-digit mantissa below 2^53.
constexpr auto kExactPowersOfTenAsIntegers = [] {
  std::array<uint64_t, 16> powers{};
  uint64_t power = 1;
  for (uint64_t& entry : powers) {
    entry = power;
    power *= 10;
  }
  return powers;
}();

// The fast path relies on each operation rounding once, straight to double precision.
constexpr bool kDoubleArithmeticIsExact = FLT_EVAL_METHOD == 0;

// Exact value when mantissa × 10^exponent needs one correctly rounded operation at most.
bool fastDouble(uint64_t mantissa, int64_t exponent, double& value) {
  if (!kDoubleArithmeticIsExact || mantissa > kMaxExactMantissa) return false;
  double exactMantissa = static_cast<double>(mantissa);
  if (exponent < 0) {
    if (exponent < -kMaxExactPower) return false;
    value = exactMantissa / kExactPowersOfTen[-exponent];
    return true;
  }
  if (exponent > kMaxExactPower) {
    // "12e25" is 12000 × 10^22 with an exact mantissa.
    int64_t excess = exponent - kMaxExactPower;
    if (excess >= std::ssize(kExactPowersOfTenAsIntegers)) return false;
    uint64_t scale = kExactPowersOfTenAsIntegers[static_cast<size_t>(excess)];
    if (mantissa > kMaxExactMantissa / scale) return false;
    exactMantissa = static_cast<double>(mantissa * scale);
    exponent = kMaxExactPower;
  }
  value = exactMantissa * kExactPowersOfTen[exponent];
  return true;
}

// value = 0.d1 d2 ... dn × 10^point, with d1 != 0 and dn != 0 (no digits: zero).
class BigDecimal {
 public:
  // Enough for every halfway point between two doubles (at most 767 significant digits).
  static constexpr int kMaxDigits = 800;
  // Largest shift whose intermediate products fit in 64 bits (9 × 2^60 + carry < 2^64).
  static constexpr int kMaxShift = 60;

  explicit BigDecimal(const DecimalText& number) {
    for (std::string_view part : {number.head, number.tail}) {
      for (char c : part) {
        if (count_ < kMaxDigits) {
          digits_[count_++] = digitValue(c);
        } else {
          // The last significant digit is nonzero, so something nonzero is dropped.
          truncated_ = true;
          break;
        }
      }
    }
    trimTrailingZeros();
  }

  int count() const { return count_; }
  int point() const { return point_; }
  void setPoint(int point) { point_ = point; }
  uint8_t leadingDigit() const { return digits_[0]; }

  // Multiplies by 2^bits, 0 < bits <= kMaxShift.
  void shiftLeft(int bits) {
    // Digits come out least significant first; the product has at most 19 more digits.
    uint8_t product[kMaxDigits + 20];
    int start = static_cast<int>(sizeof product);
    uint64_t carry = 0;
    for (int i = count_ - 1; i >= 0; --i) {
      uint64_t partial = (uint64_t{digits_[i]} << bits) + carry;
      carry = partial / 10;
      product[--start] = static_cast<uint8_t>(partial % 10);
    }
    while (carry != 0) {
      product[--start] = static_cast<uint8_t>(carry % 10);
      carry /= 10;
    }
    int produced = static_cast<int>(sizeof product) - start;
    point_ += produced - count_;
    count_ = std::min(produced, kMaxDigits);
    for (int i = count_; i < produced; ++i) {
      if (product[start + i] != 0) truncated_ = true;
    }
    std::memcpy(digits_, product + start, static_cast<size_t>(count_));
    trimTrailingZeros();
  }

  // Divides by 2^bits, 0 < bits <= kMaxShift.
  void shiftRight(int bits) {
    if (count_ == 0) return;
    const uint64_t mask = (uint64_t{1} << bits) - 1;
    int read = 0;
    int write = 0;
    uint64_t remainder = 0;
    // Gather leading digits until the first quotient digit is nonzero; past the last digit
    // the value continues with zeros.
    while ((remainder >> bits) == 0) {
      remainder = remainder * 10 + (read < count_ ? digits_[read] : 0);
      ++read;
    }
    point_ -= read - 1;
    // Quotient digits are written behind the digits still to be read.
    for (; read < count_; ++read) {
      digits_[write++] = static_cast<uint8_t>(remainder >> bits);
      remainder = (remainder & mask) * 10 + digits_[read];
    }
    while (remainder != 0) {
      uint8_t digit = static_cast<uint8_t>(remainder >> bits);
      if (write < kMaxDigits) {
        digits_[write++] = digit;
      } else if (digit != 0) {
        truncated_ = true;
      }
      remainder = (remainder & mask) * 10;
    }
    count_ = write;
    trimTrailingZeros();
  }

  // The integer part, rounded half to even; digits dropped earlier count as above half.
  uint64_t roundedInteger() const {
    uint64_t integer = 0;
    int i = 0;
    for (; i < point_ && i < count_; ++i) integer = integer * 10 + digits_[i];
    for (; i < point_; ++i) integer *= 10;
    if (roundsUp()) ++integer;
    return integer;
  }

 private:
  bool roundsUp() const {
    if (point_ < 0 || point_ >= count_) return false;  // the fraction is below 0.1, or zero
    uint8_t firstFractionDigit = digits_[point_];
    if (firstFractionDigit == 5 && point_ + 1 == count_ && !truncated_) {
      return point_ > 0 && digits_[point_ - 1] % 2 == 1;
    }
    return firstFractionDigit >= 5;
  }

  void trimTrailingZeros() {
    while (count_ > 0 && digits_[count_ - 1] == 0) --count_;
  }

  uint8_t digits_[kMaxDigits];
  int count_ = 0;
  int point_ = 0;
  bool truncated_ = false;
};

constexpr int kMantissaBits = 52;
constexpr int kExponentBias = 1023;
constexpr int kMinExponent = -1022;  // of the smallest normal double
constexpr int kMaxExponent = 1023;
// 0.1 × 10^kOverflowPoint is above the largest double; 10^kUnderflowPoint is below half the
// smallest subnormal.
constexpr int kOverflowPoint = 310;
constexpr int kUnderflowPoint = -330;

// Bits to shift a decimal whose point is at `point` (or -point) so that it moves towards
// [0.5, 1) without passing it: floor(point × log2(10)), at least 1.
int shiftForPoint(int point) {
  static constexpr uint8_t kShifts[] = {1,  3,  6,  9,  13, 16, 19, 23, 26, 29,
                                        33, 36, 39, 43, 46, 49, 53, 56, 59};
  return point < std::ssize(kShifts) ? kShifts[point] : BigDecimal::kMaxShift;
}

double slowDouble(const DecimalText& number) {
  int64_t point = static_cast<int64_t>(number.digitCount()) + number.exponent;
  if (point > kOverflowPoint) return signedInfinity(number.negative);
  if (point < kUnderflowPoint) return signedZero(number.negative);

  BigDecimal decimal(number);
  decimal.setPoint(static_cast<int>(point));
  // value = decimal × 2^exponent, decimal brought into [0.5, 1).
  int exponent = 0;
  while (decimal.point() > 0) {
    int bits = shiftForPoint(decimal.point());
    decimal.shiftRight(bits);
    exponent += bits;
  }
  while (decimal.point() < 0 || (decimal.point() == 0 && decimal.leadingDigit() < 5)) {
    int bits = shiftForPoint(-decimal.point());
    decimal.shiftLeft(bits);
    exponent -= bits;
  }
  // value = 2 × decimal × 2^exponent, the first factor in [1, 2).
  --exponent;
  if (exponent < kMinExponent) {
    // Subnormal: the mantissa loses its leading bits.
    for (int bits = kMinExponent - exponent; bits > 0; bits -= BigDecimal::kMaxShift) {
      decimal.shiftRight(std::min(bits, BigDecimal::kMaxShift));
    }
    exponent = kMinExponent;
  }
  if (exponent > kMaxExponent) return signedInfinity(number.negative);

  decimal.shiftLeft(kMantissaBits + 1);
  uint64_t mantissa = decimal.roundedInteger();
  if (mantissa == uint64_t{1} << (kMantissaBits + 1)) {
    mantissa >>= 1;
    ++exponent;
    if (exponent > kMaxExponent) return signedInfinity(number.negative);
  }
  constexpr uint64_t kHiddenBit = uint64_t{1} << kMantissaBits;
  uint64_t biasedExponent =
      mantissa < kHiddenBit ? 0 : static_cast<uint64_t>(exponent + kExponentBias);
  uint64_t bits = (biasedExponent << kMantissaBits) | (mantissa & (kHiddenBit - 1));
  if (number.negative) bits |= uint64_t{1} << 63;
  return std::bit_cast<double>(bits);
}

}  // namespace

int32_t integerOfText(std::string_view text, NumberIssue* issue) {
  size_t i = skipBlanks(text);
  bool negative = false;
  if (i < text.size() && (text[i] == '+' || text[i] == '-')) {
    negative = text[i] == '-';
    ++i;
  }
  size_t digits = i;
  uint32_t value = 0;
  uint64_t magnitude = 0;  // saturates above 2^32, enough to tell overflow
  for (; i < text.size() && isDigit(text[i]); ++i) {
    value = value * 10u + digitValue(text[i]);
    if (magnitude <= UINT32_MAX) magnitude = magnitude * 10 + digitValue(text[i]);
  }
  if (negative) value = 0u - value;
  if (issue != nullptr) {
    uint64_t limit = negative ? uint64_t{1} << 31 : (uint64_t{1} << 31) - 1;
    if (i == digits) {
      *issue = NumberIssue::kNotANumber;
    } else if (i < text.size()) {
      *issue = NumberIssue::kTrailingText;
    } else if (magnitude > limit) {
      *issue = NumberIssue::kOutOfRange;
    } else {
      *issue = NumberIssue::kNone;
    }
  }
  return static_cast<int32_t>(value);
}

double doubleOfText(std::string_view text, NumberIssue* issue) {
  DecimalText number = scanDecimal(text);
  if (issue != nullptr) {
    *issue = !number.isNumber           ? NumberIssue::kNotANumber
             : number.end < text.size() ? NumberIssue::kTrailingText
                                        : NumberIssue::kNone;
  }
  if (!number.isNumber) return 0.0;
  if (number.digitCount() == 0) return signedZero(number.negative);
  if (number.digitCount() <= 19) {  // below 10^19 < 2^64
    uint64_t mantissa = 0;
    for (char c : number.head) mantissa = mantissa * 10 + digitValue(c);
    for (char c : number.tail) mantissa = mantissa * 10 + digitValue(c);
    double value;
    if (fastDouble(mantissa, number.exponent, value)) return number.negative ? -value : value;
  }
  return slowDouble(number);
}

float floatOfText(std::string_view text, NumberIssue* issue) {
  // Halfway between the largest float and 2^128; ties go to the even neighbour, infinity.
  constexpr double kFloatOverflow = 0x1.ffffffp+127;
  double value = doubleOfText(text, issue);
  float result;
  if (value >= kFloatOverflow) {
    result = std::numeric_limits<float>::infinity();
  } else if (value <= -kFloatOverflow) {
    result = -std::numeric_limits<float>::infinity();
  } else {
    result = static_cast<float>(value);
  }
  if (issue != nullptr && *issue == NumberIssue::kNone) {
    if (std::isinf(result)) {
      *issue = NumberIssue::kOutOfRange;
    } else if (result == 0.0f && hasNonzeroDigit(text)) {
      *issue = NumberIssue::kTooSmall;
    }
  }
  return result;
}

}  // namespace rpgc
