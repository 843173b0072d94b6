// ByteStream: the stream interface every byte on disk passes through.
//
// Transfers are all or nothing: write and read move the whole count or report false.
// Positions and lengths are signed 32-bit; a stream holds at most 2^31 - 1 bytes.
// The base class overrides nothing: transfers succeed without effect, seek fails,
// tell and size are 0.
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
  virtual bool read(void* data, int32_t n);
  /// count pieces of size bytes, each read as if by its own read(piece, size).
  virtual bool readItems(void* data, int32_t size, int32_t count);
  virtual bool seek(int32_t position);
  virtual int32_t tell();
  virtual int32_t size();

  /// count pieces of size bytes, each written as if by its own write(piece, size).
  /// The default makes those calls; streams for which the cut does not matter, or that
  /// can honour it in one pass, override it to move the whole buffer at once.
  virtual bool writeItems(const void* data, int32_t size, int32_t count);
};

/// size * count when it fits in 32 bits, else -1.
int32_t itemBytes(int32_t size, int32_t count);

}  // namespace rpgc

#endif  // RPGC_ARCHIVE_BYTE_STREAM_H_
