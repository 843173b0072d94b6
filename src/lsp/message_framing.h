// MessageFraming: the Content-Length framing of the Language Server Protocol's stream.
//
// A message is a header of "Name: value" lines ended by an empty line, then exactly
// Content-Length bytes of body. FrameReader takes bytes as they arrive, in any pieces,
// and hands out whole bodies; it never blocks and never reads past what it was given.
#ifndef RPGC_LSP_MESSAGE_FRAMING_H_
#define RPGC_LSP_MESSAGE_FRAMING_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace rpgc::lsp {

class FrameReader {
 public:
  /// The largest body accepted by default; a longer one is a framing error (and is
  /// skipped).
  static constexpr size_t kLargestBody = size_t{256} << 20;

  explicit FrameReader(size_t largestBody = kLargestBody) : largestBody_(largestBody) {}
  /// The longest header accepted before its empty line.
  static constexpr size_t kLongestHeader = 8192;

  enum class Next : uint8_t {
    kMessage,    // body holds the next message
    kNeedMore,   // the bytes given so far end inside a message
    kBadHeader,  // a header without a usable Content-Length: skipped, reading goes on
  };

  /// Appends bytes read from the stream.
  void feed(std::string_view bytes) { pending_.append(bytes); }
  /// The next message, if the bytes fed hold one whole; body is replaced.
  Next next(std::string& body);
  /// Bytes fed but not yet handed out.
  size_t pendingBytes() const { return pending_.size() - start_; }

 private:
  size_t largestBody_;
  std::string pending_;
  size_t start_ = 0;
  // While a body too long to keep is being skipped: the bytes of it still to come.
  size_t skipping_ = 0;
};

/// The framed form of a message body.
std::string frameMessage(std::string_view body);

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_MESSAGE_FRAMING_H_
