// ByteStream: the refusing base and the piecewise default of writeItems.
#include "archive/byte_stream.h"

namespace rpgc {

int32_t itemBytes(int32_t size, int32_t count) {
  if (size < 0 || count < 0) return -1;
  int64_t total = int64_t{size} * count;
  return total > INT32_MAX ? -1 : static_cast<int32_t>(total);
}

bool ByteStream::write(const void*, int32_t) {
  return false;
}

bool ByteStream::writeItems(const void* data, int32_t size, int32_t count) {
  if (itemBytes(size, count) < 0) return false;
  const auto* piece = static_cast<const uint8_t*>(data);
  for (int32_t i = 0; i < count; ++i, piece += size) {
    if (!write(piece, size)) return false;
  }
  return true;
}

}  // namespace rpgc
