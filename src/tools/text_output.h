// TextOutput: where rpgdump's listings, JSON and source text go: a file (standard
// output), a string (tests), or any sink of blocks (a file being written, a fuzz check),
// written in blocks of about 64 KiB.
//
// The writers append to buffer() and call spill() after each element of a value, never
// holding a whole value, object or text: memory stays a block however large the output.
#ifndef RPGC_TOOLS_TEXT_OUTPUT_H_
#define RPGC_TOOLS_TEXT_OUTPUT_H_

#include <cstdio>
#include <functional>
#include <string>
#include <string_view>

namespace rpgc {

class ByteStream;

class TextOutput {
 public:
  /// Takes one block of text; false when it could not (the output has then failed).
  using Sink = std::function<bool(std::string_view)>;

  /// Into file, which stays open; the text goes out in blocks and at flush().
  explicit TextOutput(std::FILE* file);
  /// Into text, appended to.
  explicit TextOutput(std::string& text);
  explicit TextOutput(Sink sink) : sink_(std::move(sink)) {}
  TextOutput(const TextOutput&) = delete;
  TextOutput& operator=(const TextOutput&) = delete;
  ~TextOutput() { flush(); }

  /// Appends text; a long text goes out directly rather than through the buffer.
  TextOutput& put(std::string_view text);
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
  /// Writes everything out; false when the sink refused some of it (then and later).
  bool flush();
  /// Whether the sink refused a block: writers may stop, as nothing more goes out.
  bool failed() const { return failed_; }

 private:
  static constexpr size_t kBlockBytes = 1 << 16;

  void send(std::string_view block);

  Sink sink_;
  std::string buffer_;
  bool failed_ = false;
};

/// A sink into stream that writes every block whole, whatever its size, in writes whose
/// counts a stream's 32 bits can say; false when the stream refuses one.
TextOutput::Sink streamSink(ByteStream& stream);

}  // namespace rpgc

#endif  // RPGC_TOOLS_TEXT_OUTPUT_H_
