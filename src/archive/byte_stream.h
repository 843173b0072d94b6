// ByteStream: where the bytes of an output file go, through filters to their destination.
//
// Transfers are all or nothing: write moves the whole count or reports false. Lengths are
// signed 32-bit. The base class has no destination: every write fails, so that a stream
// standing in for an output that could not be made never reports a write as done.
#ifndef RPGC_ARCHIVE_BYTE_STREAM_H_
#define RPGC_ARCHIVE_BYTE_STREAM_H_

#include <cstdint>

namespace rpgc {

class ByteStream {
 public:
  ByteStream() = default;
  ByteStream(const ByteStream&) = delete;
  ByteStream& operator=(const ByteStream&) = delete;
  virtual ~ByteStream() = default;

  virtual bool write(const void* data, int32_t n);

  /// count pieces of size bytes, each written as if by its own write(piece, size).
  /// The default makes those calls; streams for which the cut does not matter, or that
  /// can honour it in one pass, override it to move the whole buffer at once.
  virtual bool writeItems(const void* data, int32_t size, int32_t count);
};

/// size * count when it fits in 32 bits, else -1.
int32_t itemBytes(int32_t size, int32_t count);

}  // namespace rpgc

#endif  // RPGC_ARCHIVE_BYTE_STREAM_H_
