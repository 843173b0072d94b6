// BodySink: where the writer hands a container's body, record by record. The body is
// written twice by the same calls: a MeasuringSink takes the first pass and keeps only its
// length (the container stores the length before the body), a StreamingSink takes the
// second and passes it on to the output as it comes.
#ifndef RPGC_ARCHIVE_BODY_SINK_H_
#define RPGC_ARCHIVE_BODY_SINK_H_

#include <cstddef>
#include <cstdint>

#include "archive/write_status.h"

namespace rpgc {

class ByteStream;

class BodySink {
 public:
  BodySink() = default;
  BodySink(const BodySink&) = delete;
  BodySink& operator=(const BodySink&) = delete;
  virtual ~BodySink() = default;

  /// Takes the next n bytes of the body; kNone, or why they cannot be taken.
  virtual WriteFailure take(const uint8_t* bytes, size_t n) = 0;
};

class MeasuringSink final : public BodySink {
 public:
  /// Starts a body of length 0.
  void start() { length_ = 0; }
  /// Counts the bytes; fails once the body would pass the format's limit.
  WriteFailure take(const uint8_t* bytes, size_t n) override;
  int64_t length() const { return length_; }

 private:
  int64_t length_ = 0;
};

class StreamingSink final : public BodySink {
 public:
  /// Starts a body of the length measured before, written to out as one-byte calls.
  void start(ByteStream& out, int64_t length);
  /// Writes the bytes; fails when the output refuses them, or when they pass the length.
  WriteFailure take(const uint8_t* bytes, size_t n) override;
  /// Whether the body written has the length measured.
  bool complete() const { return written_ == length_; }

 private:
  ByteStream* out_ = nullptr;
  int64_t length_ = 0;
  int64_t written_ = 0;
};

}  // namespace rpgc

#endif  // RPGC_ARCHIVE_BODY_SINK_H_
