// The measuring and the streaming sink.
#include "archive/body_sink.h"

#include "archive/byte_stream.h"
#include "format/container_layout.h"

namespace rpgc {

WriteFailure MeasuringSink::take(const uint8_t*, size_t n) {
  if (static_cast<uint64_t>(n) > static_cast<uint64_t>(format::kLargestSize - length_)) {
    return WriteFailure::kBodyTooLarge;
  }
  length_ += static_cast<int64_t>(n);
  return WriteFailure::kNone;
}

void StreamingSink::start(ByteStream& out, int64_t length) {
  out_ = &out;
  length_ = length;
  written_ = 0;
}

WriteFailure StreamingSink::take(const uint8_t* bytes, size_t n) {
  if (out_ == nullptr) return WriteFailure::kNotBegun;
  if (static_cast<uint64_t>(n) > static_cast<uint64_t>(length_ - written_)) {
    return WriteFailure::kNotReplayed;
  }
  // The container defines the body as one-byte write calls.
  if (!out_->writeItems(bytes, 1, static_cast<int32_t>(n))) return WriteFailure::kStreamFailed;
  written_ += static_cast<int64_t>(n);
  return WriteFailure::kNone;
}

}  // namespace rpgc
