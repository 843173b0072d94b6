// LineWords: a source line cut into its tokens and its comment, to be written back in the
// canonical layout: tokens one blank apart, a ',' right after the token before it, and the
// comment after one blank, or glued to the last token when it started inside that word
// (so that "models/ash_cave.mdl" keeps its look). Words and comment are views: of the
// line, or of texts that outlive the LineWords (keyword tables, a finding's guess).
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

  std::vector<std::string_view> words;
  /// From the ';' or '/' that starts it to the end of the line; empty without one.
  std::string_view comment;
  bool commentInWord = false;

  /// Whether the line is an assignment: four tokens or more, the third one "=".
  bool isAssignment() const { return words.size() >= 4 && words[2] == "="; }
  /// The line in the canonical layout, without leading blanks.
  std::string render() const;
};

/// line without its leading blanks.
std::string_view withoutLeadingBlanks(std::string_view line);

}  // namespace rpgc

#endif  // RPGC_FORMATTER_LINE_WORDS_H_
