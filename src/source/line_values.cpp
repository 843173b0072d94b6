// LineValues: conversions plus the checks that explain what a doubtful value reads as.
#include "source/line_values.h"

#include <charconv>
#include <limits>

#include "core/atom_table.h"
#include "core/spelling.h"
#include "source/block_context.h"
#include "source/number_text.h"

namespace rpgc {

namespace {

std::string floatText(float value) {
  char text[32];
  auto result = std::to_chars(text, text + sizeof text, value);
  return std::string(text, result.ptr);
}

bool startsWithDigit(std::string_view text) {
  size_t i = !text.empty() && (text[0] == '+' || text[0] == '-') ? 1 : 0;
  return i < text.size() && text[i] >= '0' && text[i] <= '9';
}

// Why a text that starts like no number is not one: a hexadecimal number, infinity or NaN,
// or no likely reason (kNotANumber).
FindingCode notANumberCode(std::string_view text) {
  if (!text.empty() && (text[0] == '+' || text[0] == '-')) text.remove_prefix(1);
  if (text.size() > 1 && text[0] == '0' && (text[1] == 'x' || text[1] == 'X')) {
    return FindingCode::kHexadecimalNumber;
  }
  for (std::string_view word : {"inf", "infinity", "nan"}) {
    if (equalsIgnoringCase(text, word)) return FindingCode::kInfinityNumber;
  }
  return FindingCode::kNotANumber;
}

}  // namespace

LineValues::LineValues(BlockContext& ctx, int32_t entry, Shape shape)
    : ctx_(ctx), values_(ctx.buffer.values(entry)), line_(ctx.buffer.line(entry)), shape_(shape) {}

void LineValues::report(FindingCode code, int32_t j, std::string text1, std::string text2) {
  Finding finding(code, SourcePlace::atColumn(ctx_.file, line_, column(j)));
  finding.with(std::string(text(j))).with(std::move(text1)).with(std::move(text2));
  ctx_.report(std::move(finding));
}

// A comma between values: the fix takes it out with the blanks before it, leaving one
// blank between the values it stood between ("red , green" and "red,green" both become
// "red green").
void LineValues::reportListComma(FindingCode code, int32_t j) {
  Finding finding(code, SourcePlace::atColumn(ctx_.file, line_, column(j)));
  finding.with(std::string(text(j))).with(std::string()).with(std::string());
  int32_t from = j > 0 ? values_.endColumn(j - 1) : column(j);
  bool glued = j + 1 < count() && column(j + 1) == column(j) + 1;
  finding.withFix(line_, from, column(j) + 1, glued ? std::string(" ") : std::string());
  ctx_.report(std::move(finding));
}

void LineValues::checkNumber(int32_t j, NumberIssue issue, const std::string& readsAs,
                             bool isFloat) {
  std::string_view value = text(j);
  if (value == ",") {
    if (j < 64 && (commaReported_ >> j & 1) != 0) return;
    if (ctx_.wants(FindingCode::kListComma)) reportListComma(FindingCode::kListComma, j);
    return;
  }
  switch (issue) {
    case NumberIssue::kNone:
      return;
    case NumberIssue::kNotANumber:
      if (ctx_.wants(notANumberCode(value))) report(notANumberCode(value), j);
      return;
    case NumberIssue::kTrailingText:
      if (notANumberCode(value) != FindingCode::kNotANumber) {
        if (ctx_.wants(notANumberCode(value))) report(notANumberCode(value), j);
      } else if (ctx_.wants(FindingCode::kNumberTrailingText)) {
        report(FindingCode::kNumberTrailingText, j, readsAs);
      }
      return;
    case NumberIssue::kOutOfRange: {
      FindingCode code = isFloat ? FindingCode::kFloatRange : FindingCode::kIntegerRange;
      if (ctx_.wants(code)) report(code, j, readsAs);
      return;
    }
    case NumberIssue::kTooSmall:
      if (ctx_.wants(FindingCode::kFloatTooSmall)) report(FindingCode::kFloatTooSmall, j);
      return;
  }
}

// "4,25": a number, a comma and digits written together read as two values.
bool LineValues::decimalComma(int32_t j, bool isFloat) {
  if (j + 2 >= count() || text(j + 1) != "," || !startsWithDigit(text(j + 2))) return false;
  if (column(j) + static_cast<int32_t>(text(j).size()) != column(j + 1) ||
      column(j + 1) + 1 != column(j + 2)) {
    return false;
  }
  if (j + 1 < 64) commaReported_ |= uint64_t{1} << (j + 1);
  // What the line reads: the number before the comma, as written, and the rest ignored, or
  // three values, or a range.
  // In a list of integers the comma is rather a separator than a decimal point.
  bool separator = shape_ == Shape::kList && !isFloat;
  FindingCode code = separator                 ? FindingCode::kListCommaGlued
                     : shape_ == Shape::kList  ? FindingCode::kDecimalCommaList
                     : shape_ == Shape::kRange ? FindingCode::kDecimalCommaRange
                                               : FindingCode::kDecimalComma;
  if (!ctx_.wants(code)) return true;
  std::string first(text(j));
  std::string second(text(j + 2));
  std::string fix = first + (separator ? " " : ".") + second;
  Finding finding(code, SourcePlace::atColumn(ctx_.file, line_, column(j)));
  finding.with(first + "," + second).with(first).with(second).with(fix);
  finding.endColumn = values_.endColumn(j + 2);
  finding.withFix(line_, column(j), values_.endColumn(j + 2), std::move(fix));
  ctx_.report(std::move(finding));
  return true;
}

int32_t LineValues::integer(int32_t j) {
  NumberIssue issue = NumberIssue::kNone;
  int32_t value = integerOfText(text(j), &issue);
  if (ctx_.findings == nullptr) return value;
  if (issue != NumberIssue::kNone) {
    checkNumber(j, issue, std::to_string(value), false);
  } else {
    decimalComma(j, false);
  }
  return value;
}

float LineValues::real(int32_t j) {
  NumberIssue issue = NumberIssue::kNone;
  float value = floatOfText(text(j), &issue);
  if (ctx_.findings == nullptr) return value;
  if (issue != NumberIssue::kNone) {
    std::string readsAs = value == std::numeric_limits<float>::infinity()    ? "infinity"
                          : value == -std::numeric_limits<float>::infinity() ? "-infinity"
                                                                             : floatText(value);
    checkNumber(j, issue, readsAs, true);
  } else {
    decimalComma(j, true);
  }
  return value;
}

Atom LineValues::atom(int32_t j) {
  std::string_view value = text(j);
  Atom atom = ctx_.atoms.intern(value);
  if (ctx_.findings == nullptr) return atom;
  if (value == "," && ctx_.wants(FindingCode::kListCommaName)) {
    reportListComma(FindingCode::kListCommaName, j);
  }
  // The value is a view of its line, which starts column - 1 bytes before it.
  reportInvisibleCharacter(ctx_.scope(), line_,
                           std::string_view(value.data() - (column(j) - 1),
                                            static_cast<size_t>(column(j) - 1) + value.size()),
                           value);
  ctx_.noteLength(atom, value, SourcePlace::atColumn(ctx_.file, line_, column(j)));
  return atom;
}

Atom LineValues::objectName(int32_t j) {
  Atom name = atom(j);
  if (text(j) != ",") ctx_.noteUse(name, NamedUse::Target::kObject, line_, column(j));
  return name;
}

Atom LineValues::stringName(int32_t j) {
  Atom name = atom(j);
  if (text(j) != ",") ctx_.noteUse(name, NamedUse::Target::kStringSection, line_, column(j));
  return name;
}

void LineValues::ignoreFrom(int32_t used) {
  if (count() <= used || !ctx_.wants(FindingCode::kExtraValues)) return;
  if (used < 64 && (commaReported_ >> used & 1) != 0) return;  // explained as a decimal comma
  report(FindingCode::kExtraValues, used, std::to_string(count() - used));
}

}  // namespace rpgc
