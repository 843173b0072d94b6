// LineValues: the value tokens of one buffered assignment line, converted as the block
// parsers convert them, with a finding for every value that does not read as written.
//
// The conversions are those of the language (integers as the C library's atoi would,
// floats correctly rounded, atoms interned); what they report never changes what they
// return. Checks whose findings nobody wants cost a comparison each.
#ifndef RPGC_SOURCE_LINE_VALUES_H_
#define RPGC_SOURCE_LINE_VALUES_H_

#include <cstdint>
#include <string>
#include <string_view>

#include "core/atom.h"
#include "core/finding.h"
#include "source/assignment_buffer.h"
#include "source/number_text.h"

namespace rpgc {

class BlockContext;

class LineValues {
 public:
  /// How the numbers of the line are read, for the message about a decimal comma.
  enum class Shape : uint8_t { kSingle, kList, kRange };

  LineValues(BlockContext& ctx, int32_t entry, Shape shape = Shape::kSingle);

  int32_t count() const { return values_.size(); }
  std::string_view text(int32_t j) const { return values_[j]; }
  int32_t line() const { return line_; }
  int32_t column(int32_t j) const { return values_.column(j); }

  int32_t integer(int32_t j);
  float real(int32_t j);
  Atom atom(int32_t j);
  /// An atom that names an object of the project (checked once all files are compiled).
  Atom objectName(int32_t j);
  /// An atom that names a string section (checked once all files are compiled).
  Atom stringName(int32_t j);

  /// Reports the values past the first `used` of a line that takes no more.
  void ignoreFrom(int32_t used);

 private:
  void checkNumber(int32_t j, NumberIssue issue, const std::string& readsAs, bool isFloat);
  bool decimalComma(int32_t j, bool isFloat);
  void reportListComma(FindingCode code, int32_t j);
  void report(FindingCode code, int32_t j, std::string text1 = {}, std::string text2 = {});

  BlockContext& ctx_;
  ValueTokens values_;
  int32_t line_;
  Shape shape_;
  uint64_t commaReported_ = 0;  // values (of the first 64) already covered by a finding
};

}  // namespace rpgc

#endif  // RPGC_SOURCE_LINE_VALUES_H_
