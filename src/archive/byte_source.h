// ByteSource: bytes read in order, from a file or from memory. rpgdump compares a file
// with what the writer makes of its content through one.
#ifndef RPGC_ARCHIVE_BYTE_SOURCE_H_
#define RPGC_ARCHIVE_BYTE_SOURCE_H_

#include <cstdint>

namespace rpgc {

class ByteSource {
 public:
  ByteSource() = default;
  ByteSource(const ByteSource&) = delete;
  ByteSource& operator=(const ByteSource&) = delete;
  virtual ~ByteSource() = default;

  /// Reads the next n bytes into data, all or nothing.
  virtual bool read(void* data, int32_t n) = 0;
};

}  // namespace rpgc

#endif  // RPGC_ARCHIVE_BYTE_SOURCE_H_
