// LineWords: a source line cut into its tokens and its comment, to be written back in the
// canonical layout: tokens one blank apart, a ',' right after the token before it, and the
// comment after one blank, or glued to the last token when it started inside that word
// (so that "models/ash_cave.mdl" keeps its look).
#ifndef RPGC_FORMATTER_LINE_WORDS_H_
#define RPGC_FORMATTER_LINE_WORDS_H_

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

namespace rpgc {

class LineWords {
 public:
  explicit LineWords(std::string_view line);

  std::vector<std::string> words;
  /// From the ';' or '/' that starts it to the end of the line; empty without one.
  std::string comment;
  bool commentInWord = false;

  /// The byte column (from 1) where word k started in the line; 0 for a word added since.
  int32_t column(size_t k) const { return k < columns_.size() ? columns_[k] : 0; }
  /// Whether the line is an assignment: four tokens or more, the third one "=".
  bool isAssignment() const { return words.size() >= 4 && words[2] == "="; }
  /// The line in the canonical layout, without leading blanks.
  std::string render() const;
  /// Forgets where words started (after words were added or removed).
  void forgetColumns() { columns_.clear(); }

 private:
  std::vector<int32_t> columns_;
};

/// line without its leading blanks.
std::string_view withoutLeadingBlanks(std::string_view line);

}  // namespace rpgc

#endif  // RPGC_FORMATTER_LINE_WORDS_H_
