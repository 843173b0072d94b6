// SourceLines: the lines of one text file, held in one buffer.
//
// A line is the text between line feeds, without its trailing bytes 0x01 to 0x20 and cut
// at its first zero byte. The file's bytes are kept once and each line is a span of them,
// so reading a file of a million lines makes two allocations, not a million. Lines are
// changed only in place and only shorter (the blank folding of string sections).
#ifndef RPGC_CORE_SOURCE_LINES_H_
#define RPGC_CORE_SOURCE_LINES_H_

#include <cstdint>
#include <initializer_list>
#include <string>
#include <string_view>
#include <vector>

namespace rpgc {

class SourceLines {
 public:
  /// The longest line, the most lines and the most bytes a file may have.
  static constexpr size_t kLongestLine = INT32_MAX - 1;
  static constexpr size_t kMostLines = INT32_MAX - 1;
  static constexpr size_t kLargestFile = UINT32_MAX;

  SourceLines() = default;
  /// Lines holding exactly these texts (any bytes; nothing is trimmed).
  SourceLines(std::initializer_list<std::string_view> texts);

  /// Cuts text into lines (a UTF-8 byte order mark at its start is dropped); false, with
  /// no lines, when the text, a line or the number of lines passes the limits above.
  bool assign(std::string text);

  int32_t length() const { return static_cast<int32_t>(spans_.size()); }
  bool empty() const { return spans_.empty(); }
  std::string_view operator[](int32_t i) const {
    const Span& span = spans_[static_cast<size_t>(i)];
    return std::string_view(bytes_.data() + span.start, span.length);
  }
  /// The bytes of line i, to change in place.
  char* mutableLine(int32_t i) { return bytes_.data() + spans_[static_cast<size_t>(i)].start; }
  /// Shortens line i to length bytes.
  void setLength(int32_t i, int32_t length) {
    spans_[static_cast<size_t>(i)].length = static_cast<uint32_t>(length);
  }
  /// Drops every line and the buffer.
  void clear();
  /// Drops every line and hands the buffer over, emptied but with its memory, for the
  /// next file's bytes (which assign() takes back).
  std::string releaseBuffer();

  /// Appends a line holding text (for lines made in memory).
  void push(std::string_view text);

 private:
  struct Span {
    uint32_t start;
    uint32_t length;
  };

  std::string bytes_;
  std::vector<Span> spans_;
};

}  // namespace rpgc

#endif  // RPGC_CORE_SOURCE_LINES_H_
