// SourceOutline: the sections of a source file and the words in them, for navigation.
//
// The walk is the compiler's: a section starts at a line whose first token is BEGIN,
// STRING or SCRIPT and ends at its END line; the text lines of a string section are
// text, not words. A line the compiler does not look at (the file's last, the one right
// after an END) starts no section, so what the compiler does not read as content is
// neither a name's place nor renamed.
#ifndef RPGC_LSP_SOURCE_OUTLINE_H_
#define RPGC_LSP_SOURCE_OUTLINE_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/source_lines.h"

namespace rpgc::lsp {

/// A word of a line: its byte offset and length.
struct WordSpan {
  int32_t start = 0;
  int32_t length = 0;
  int32_t end() const { return start + length; }
};

struct OutlineSection {
  enum class Kind : uint8_t { kObject, kString, kScript };
  Kind kind = Kind::kObject;
  int32_t header = 0;         // line index of the header
  int32_t end = -1;           // line index of its END line; -1: runs to the end of the file
  std::string_view typeWord;  // BEGIN's second word
  std::string_view name;
  WordSpan nameSpan;  // empty when the header has no name
};

/// The sections of lines, in order.
std::vector<OutlineSection> outlineOf(const SourceLines& lines);

/// The words of a line (views into it).
std::vector<std::string_view> wordsOf(std::string_view line);

/// The index of the word of line that holds byte offset `at` or ends there, or -1.
int32_t wordAt(const std::vector<std::string_view>& words, std::string_view line, size_t at);

inline WordSpan spanOf(std::string_view line, std::string_view word) {
  return {static_cast<int32_t>(word.data() - line.data()), static_cast<int32_t>(word.size())};
}

/// The section a line lies in (header to END), or null.
const OutlineSection* sectionAt(const std::vector<OutlineSection>& outline, int32_t line);

/// Calls found(line, span) for every place in lines where name stands: as the name of a
/// header of that kind, or as a value of a block's assignment line (string sections are
/// named by the values of STR_ lines, objects by the others).
template <typename Found>
void forEachNamePlace(const SourceLines& lines, const std::vector<OutlineSection>& outline,
                      std::string_view name, bool stringSection, Found found);

}  // namespace rpgc::lsp

#include "lsp/source_outline_inl.h"

#endif  // RPGC_LSP_SOURCE_OUTLINE_H_
