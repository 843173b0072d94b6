// TextOutput: where rpgdump's listings, JSON and source text go: a file (standard
// output), written in large blocks, or a string (tests).
#ifndef RPGC_TOOLS_TEXT_OUTPUT_H_
#define RPGC_TOOLS_TEXT_OUTPUT_H_

#include <cstdio>
#include <string>
#include <string_view>

namespace rpgc {

class TextOutput {
 public:
  /// Into file, which stays open; the text goes out in blocks and at flush().
  explicit TextOutput(std::FILE* file) : file_(file) {}
  /// Into text, appended to.
  explicit TextOutput(std::string& text) : target_(&text) {}
  TextOutput(const TextOutput&) = delete;
  TextOutput& operator=(const TextOutput&) = delete;
  ~TextOutput() { flush(); }

  TextOutput& put(std::string_view text) {
    buffer_.append(text);
    return spill();
  }
  TextOutput& put(char c) {
    buffer_.push_back(c);
    return spill();
  }
  /// The text not written yet, to append to directly (then call spill()).
  std::string& buffer() { return buffer_; }
  /// Writes the buffer out when it has grown large.
  TextOutput& spill() {
    if (buffer_.size() >= kBlockBytes) flush();
    return *this;
  }
  /// Writes everything out; false when the file refused some of it (then and later).
  bool flush();

 private:
  static constexpr size_t kBlockBytes = 1 << 16;

  std::FILE* file_ = nullptr;
  std::string* target_ = nullptr;
  std::string buffer_;
  bool failed_ = false;
};

}  // namespace rpgc

#endif  // RPGC_TOOLS_TEXT_OUTPUT_H_
