// MemoryStream: a growable in-memory byte buffer with a movable position, written as an
// output and read back as a source.
//
// Storage is reserved in blocks of 8096 bytes. Reads past the end fail without moving;
// a write beyond the end first fills the gap with zero bytes. The stream refuses to grow
// past 2^31 - 1 bytes, the largest length a 32-bit position can describe.
#ifndef RPGC_ARCHIVE_MEMORY_STREAM_H_
#define RPGC_ARCHIVE_MEMORY_STREAM_H_

#include <cstdint>

#include "archive/byte_source.h"
#include "archive/byte_stream.h"
#include "core/ref_array.h"

namespace rpgc {

using MemoryBuffer = RefArray<uint8_t, 8096, SlotInit::kNone>;

class MemoryStream : public ByteStream, public ByteSource {
 public:
  MemoryStream() = default;

  bool write(const void* data, int32_t n) override;
  bool read(void* data, int32_t n) override;
  bool writeItems(const void* data, int32_t size, int32_t count) override;

  /// Moves the position; a write beyond the end fills the gap with zero bytes.
  void seek(int32_t position) { position_ = position; }
  /// Releases the buffer and rewinds.
  void clear();
  const uint8_t* bytes() const { return buffer_.data(); }
  int32_t length() const { return buffer_.length(); }
  int32_t position() const { return position_; }

 private:
  MemoryBuffer buffer_;
  int32_t position_ = 0;
};

}  // namespace rpgc

#endif  // RPGC_ARCHIVE_MEMORY_STREAM_H_
