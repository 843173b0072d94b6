// MemoryStream: buffer growth, bounds checks and the zero fill of gaps.
#include "archive/memory_stream.h"

#include <cstring>

namespace rpgc {

bool MemoryStream::write(const void* data, int32_t n) {
  if (n < 0 || position_ < 0) return false;
  int64_t end = int64_t{position_} + n;
  if (end > INT32_MAX) return false;
  int32_t oldLength = buffer_.length();
  if (end > oldLength) {
    buffer_.resize(static_cast<int32_t>(end));
    if (position_ > oldLength) {
      std::memset(buffer_.data() + oldLength, 0, static_cast<size_t>(position_ - oldLength));
    }
  }
  if (n > 0) std::memcpy(buffer_.data() + position_, data, static_cast<size_t>(n));
  position_ = static_cast<int32_t>(end);
  return true;
}

bool MemoryStream::read(void* data, int32_t n) {
  if (n < 0 || position_ < 0 || int64_t{position_} + n > buffer_.length()) return false;
  if (n > 0) std::memcpy(data, buffer_.data() + position_, static_cast<size_t>(n));
  position_ += n;
  return true;
}

bool MemoryStream::writeItems(const void* data, int32_t size, int32_t count) {
  int32_t total = itemBytes(size, count);
  return total >= 0 && write(data, total);
}

void MemoryStream::clear() {
  buffer_.release();
  position_ = 0;
}

}  // namespace rpgc
