// ScrambleStream: the rolling filter (format/scramble.h) between the writer and the
// output file, one write call at a time.
#ifndef RPGC_ARCHIVE_SCRAMBLE_STREAM_H_
#define RPGC_ARCHIVE_SCRAMBLE_STREAM_H_

#include <cstdint>
#include <vector>

#include "archive/byte_stream.h"
#include "format/scramble.h"

namespace rpgc {

class ScrambleStream : public ByteStream {
 public:
  /// The inner stream is borrowed and must outlive the filter.
  explicit ScrambleStream(ByteStream& inner) : inner_(&inner) {}

  bool write(const void* data, int32_t n) override;
  /// Scrambles each piece as its own call, in one pass over the buffer, and hands the
  /// result to the inner stream in large blocks.
  bool writeItems(const void* data, int32_t size, int32_t count) override;

  const ScrambleState& state() const { return state_; }

 private:
  ByteStream* inner_;
  ScrambleState state_;
  std::vector<uint8_t> scratch_;  // reused across calls to avoid reallocating
};

}  // namespace rpgc

#endif  // RPGC_ARCHIVE_SCRAMBLE_STREAM_H_
