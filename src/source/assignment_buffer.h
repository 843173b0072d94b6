// AssignmentBuffer and readAssignmentBlock: the shared reader of block bodies.
//
// A block body runs from the line after its header to a line whose first token is
// "END". Lines shaped like an assignment (type word, name, "=", one or more values) are
// kept, already split; every other line is skipped. The block parsers then interpret
// the buffer each in its own way.
//
// The value tokens of all entries are copied into one text buffer that is reused from
// block to block, so reading a body allocates nothing once the buffer has grown.
#ifndef RPGC_SOURCE_ASSIGNMENT_BUFFER_H_
#define RPGC_SOURCE_ASSIGNMENT_BUFFER_H_

#include <cstdint>
#include <span>
#include <string>
#include <string_view>
#include <vector>

#include "core/atom.h"
#include "core/finding.h"
#include "core/string_list.h"
#include "core/value_lists.h"

namespace rpgc {

class AtomTable;

/// The value tokens of one buffered line; valid until the buffer is next cleared.
class ValueTokens {
 public:
  struct Span {
    uint32_t offset;
    uint32_t length;
    uint32_t column;  // where the token stands in its line, from 1
  };

  ValueTokens(const std::string& text, std::span<const Span> spans) : text_(&text), spans_(spans) {}

  int32_t size() const { return static_cast<int32_t>(spans_.size()); }
  bool empty() const { return spans_.empty(); }
  std::string_view operator[](int32_t i) const {
    const Span& span = spans_[static_cast<size_t>(i)];
    return std::string_view(*text_).substr(span.offset, span.length);
  }
  /// The byte column of token i in its source line, from 1.
  int32_t column(int32_t i) const {
    return static_cast<int32_t>(spans_[static_cast<size_t>(i)].column);
  }

 private:
  const std::string* text_;
  std::span<const Span> spans_;
};

/// Parallel lists: entry i belongs to the i-th accepted line of the last block read.
class AssignmentBuffer {
 public:
  int32_t count() const { return typeWords.length(); }
  void clear();
  /// Appends an entry; its value tokens are copied. lineStart is where the line's text
  /// begins, so that each token's column can be kept.
  void append(Atom typeWord, Atom name, std::span<const std::string_view> valueTokens, int32_t line,
              const char* lineStart);
  /// The value tokens of entry i (tokens 3 to the last of its line: at least one).
  ValueTokens values(int32_t i) const;
  /// Keeps only the entries for which keep[i] is true, in their order.
  void retain(const std::vector<bool>& keep);

  AtomList typeWords;  // atom of token 0
  AtomList names;      // atom of token 1
  IntList lines;       // index of the source line in its file

  /// Token scratch, reused across lines to avoid reallocating.
  std::vector<std::string_view> tokens;

 private:
  std::string text_;                      // every value token, back to back
  std::vector<ValueTokens::Span> spans_;  // one per value token
  std::vector<uint32_t> firstSpan_{0};    // entry i's tokens: [firstSpan_[i], [i + 1])
};

/// The section whose body is read, for the findings about its lines.
struct BodyScope {
  FindingScope findings;
  int32_t headerLine = -1;
  /// The section's kind in the designer's words ("item", "script"), or, for a generic
  /// object, its type word.
  std::string_view kind;
  std::string_view name;
  bool generic = false;
  bool script = false;  // script bodies are not assignments: only the layout is checked
};

/// Reads the body that starts at line start into buffer. Returns the index of the "END"
/// line plus one, or the number of lines plus one when no line begins with "END". With a
/// scope, reports the lines it skips and a body that runs into the next section or to the
/// end of the file.
int32_t readAssignmentBlock(const StringList& lines, int32_t start, AtomTable& atoms,
                            AssignmentBuffer& buffer, const BodyScope* scope = nullptr);

}  // namespace rpgc

#endif  // RPGC_SOURCE_ASSIGNMENT_BUFFER_H_
