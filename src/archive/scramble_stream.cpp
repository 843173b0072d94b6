// ScrambleStream: scrambled copies of each call, handed on in blocks.
#include "archive/scramble_stream.h"

#include <algorithm>

namespace rpgc {

namespace {

// The filtered bytes go on in blocks of this size (the files are written in 1 MiB blocks).
constexpr int32_t kBlockBytes = 1 << 20;

}  // namespace

bool ScrambleStream::write(const void* data, int32_t n) {
  if (n < 0) return false;
  scratch_.assign(static_cast<const uint8_t*>(data), static_cast<const uint8_t*>(data) + n);
  scramble(state_, scratch_.data(), n);
  return inner_->write(scratch_.data(), n);
}

bool ScrambleStream::writeItems(const void* data, int32_t size, int32_t count) {
  if (itemBytes(size, count) < 0) return false;
  if (size == 0 || count == 0) return true;
  int32_t perBlock = std::max(1, kBlockBytes / size);
  const auto* source = static_cast<const uint8_t*>(data);
  while (count > 0) {
    int32_t pieces = std::min(perBlock, count);
    size_t bytes = static_cast<size_t>(pieces) * static_cast<size_t>(size);
    scratch_.assign(source, source + bytes);
    if (size == 1) {
      scrambleOneByteCalls(state_, scratch_.data(), pieces);
    } else {
      for (int32_t i = 0; i < pieces; ++i) {
        scramble(state_, scratch_.data() + static_cast<size_t>(i) * static_cast<size_t>(size),
                 size);
      }
    }
    if (!inner_->writeItems(scratch_.data(), size, pieces)) return false;
    source += bytes;
    count -= pieces;
  }
  return true;
}

}  // namespace rpgc
