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
#include "core/source_lines.h"

namespace rpgc {

class AtomTable;

/// The value tokens of one buffered line: views of its line, valid while the lines and
/// until the buffer is next cleared.
class ValueTokens {
 public:
  struct Span {
    uint32_t start;  // byte offset in the line
    uint32_t length;
  };

  ValueTokens(const char* line, std::span<const Span> spans) : line_(line), spans_(spans) {}

  int32_t size() const { return static_cast<int32_t>(spans_.size()); }
  bool empty() const { return spans_.empty(); }
  std::string_view operator[](int32_t i) const {
    const Span& span = spans_[static_cast<size_t>(i)];
    return std::string_view(line_ + span.start, span.length);
  }
  /// The byte column of token i in its source line, from 1.
  int32_t column(int32_t i) const {
    return static_cast<int32_t>(spans_[static_cast<size_t>(i)].start) + 1;
  }
  /// The column just after token i.
  int32_t endColumn(int32_t i) const {
    const Span& span = spans_[static_cast<size_t>(i)];
    return static_cast<int32_t>(span.start + span.length) + 1;
  }

 private:
  const char* line_;
  std::span<const Span> spans_;
};

/// Parallel lists: entry i belongs to the i-th accepted line of the last block read. The
/// lists keep their capacity from block to block, so reading a body allocates nothing
/// once they have grown; the value tokens are spans of the lines, not copies.
class AssignmentBuffer {
 public:
  int32_t count() const { return static_cast<int32_t>(typeWords.size()); }
  Atom typeWord(int32_t i) const { return typeWords[static_cast<size_t>(i)]; }
  Atom name(int32_t i) const { return names[static_cast<size_t>(i)]; }
  int32_t line(int32_t i) const { return lines[static_cast<size_t>(i)]; }
  void clear();
  /// The value tokens of entry i (tokens 3 to the last of its line: at least one).
  ValueTokens values(int32_t i) const {
    size_t entry = static_cast<size_t>(i);
    return ValueTokens(lineText_[entry],
                       std::span<const ValueTokens::Span>(spans_).subspan(
                           firstValue_[entry], endValue_[entry] - firstValue_[entry]));
  }
  /// Every token of entry i's line: the type word, the name, "=" and the values.
  ValueTokens words(int32_t i) const {
    size_t entry = static_cast<size_t>(i);
    return ValueTokens(lineText_[entry],
                       std::span<const ValueTokens::Span>(spans_).subspan(
                           firstValue_[entry] - 3, endValue_[entry] - firstValue_[entry] + 3));
  }
  /// Keeps only the entries for which keep[i] is true, in their order.
  void retain(const std::vector<bool>& keep);

  /// Reading a line: scan cuts it into tokens held at the end of the buffer (returning
  /// what scanTokens returns), then the line is kept as an entry or dropped.
  int32_t scan(std::string_view line);
  size_t scanned() const { return spans_.size() - mark_; }
  std::string_view scannedToken(std::string_view line, size_t k) const {
    const ValueTokens::Span& span = spans_[mark_ + k];
    return line.substr(span.start, span.length);
  }
  void keep(Atom typeWord, Atom name, int32_t line, const char* lineText);
  void drop() { spans_.resize(mark_); }

  std::vector<Atom> typeWords;  // atom of token 0
  std::vector<Atom> names;      // atom of token 1
  std::vector<int32_t> lines;   // index of the source line in its file

 private:
  std::vector<const char*> lineText_;     // by entry
  std::vector<ValueTokens::Span> spans_;  // every token of the kept lines
  std::vector<size_t> firstValue_;        // by entry: its values are [first, end)
  std::vector<size_t> endValue_;
  size_t mark_ = 0;  // where the line being read starts in spans_
};

/// The section whose body is read, for the findings about its lines.
struct BodyScope {
  FindingScope findings;
  int32_t headerLine = -1;
  SectionKind kind = SectionKind::kObject;
  std::string_view typeWord;  // an object's
  std::string_view name;
  bool script = false;  // script bodies are not assignments: only the layout is checked
};

/// Reads the body that starts at line start into buffer. Returns the index of the "END"
/// line plus one, or the number of lines plus one when no line begins with "END". With a
/// scope, reports the lines it skips and a body that runs into the next section or to the
/// end of the file.
int32_t readAssignmentBlock(const SourceLines& lines, int32_t start, AtomTable& atoms,
                            AssignmentBuffer& buffer, const BodyScope* scope = nullptr);

/// Reports word, a view of line's text, when it holds an invisible character; true then.
bool reportInvisibleCharacter(const FindingScope& findings, int32_t line, std::string_view text,
                              std::string_view word);

/// Reports that a ";" or "/" at byte index `at` of a line started a comment inside a word.
void reportCommentInWord(const FindingScope& findings, int32_t line, std::string_view text,
                         int32_t at);

}  // namespace rpgc

#endif  // RPGC_SOURCE_ASSIGNMENT_BUFFER_H_
