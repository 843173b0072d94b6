// ScrambleStream: the filter arithmetic (all on 8-bit values, wrapping) and block writes.
#include "archive/scramble_stream.h"

#include <algorithm>
#include <cstring>

namespace rpgc {

namespace {

constexpr int32_t kBlockBytes = 1 << 16;

}  // namespace

void scramble(ScrambleState& state, uint8_t* bytes, int32_t n) {
  int8_t a = state.a;
  uint8_t b = state.b;
  for (int32_t i = 0; i < n; ++i) {
    uint8_t p = bytes[i];
    uint8_t k = static_cast<uint8_t>(n - i);
    b = static_cast<uint8_t>(b << 1);
    a = static_cast<int8_t>(a >> 1);
    uint8_t y = static_cast<uint8_t>(p ^ static_cast<uint8_t>(a));
    y = static_cast<uint8_t>(y + b);
    b ^= p;
    a = static_cast<int8_t>(static_cast<uint8_t>(a) + p);
    bytes[i] = static_cast<uint8_t>(y ^ k);
  }
  state.a = a;
  state.b = b;
}

void scrambleOneByteCalls(ScrambleState& state, uint8_t* bytes, int32_t n) {
  // scramble() with n = 1 for each byte, so k is always 1.
  int8_t a = state.a;
  uint8_t b = state.b;
  for (int32_t i = 0; i < n; ++i) {
    uint8_t p = bytes[i];
    b = static_cast<uint8_t>(b << 1);
    a = static_cast<int8_t>(a >> 1);
    uint8_t y = static_cast<uint8_t>((p ^ static_cast<uint8_t>(a)) + b);
    b ^= p;
    a = static_cast<int8_t>(static_cast<uint8_t>(a) + p);
    bytes[i] = static_cast<uint8_t>(y ^ 1);
  }
  state.a = a;
  state.b = b;
}

void unscramble(ScrambleState& state, uint8_t* bytes, int32_t n) {
  int8_t a = state.a;
  uint8_t b = state.b;
  for (int32_t i = 0; i < n; ++i) {
    uint8_t y = bytes[i];
    uint8_t k = static_cast<uint8_t>(n - i);
    a = static_cast<int8_t>(a >> 1);
    b = static_cast<uint8_t>(b << 1);
    uint8_t x = static_cast<uint8_t>(y ^ k);
    x = static_cast<uint8_t>(x - b);
    x = static_cast<uint8_t>(x ^ static_cast<uint8_t>(a));
    bytes[i] = x;
    b ^= x;
    a = static_cast<int8_t>(static_cast<uint8_t>(a) + x);
  }
  state.a = a;
  state.b = b;
}

void unscrambleOneByteCalls(ScrambleState& state, uint8_t* bytes, int32_t n) {
  // unscramble() with n = 1 for each byte, so k is always 1.
  int8_t a = state.a;
  uint8_t b = state.b;
  for (int32_t i = 0; i < n; ++i) {
    a = static_cast<int8_t>(a >> 1);
    b = static_cast<uint8_t>(b << 1);
    uint8_t x = static_cast<uint8_t>(((bytes[i] ^ 1) - b) ^ static_cast<uint8_t>(a));
    bytes[i] = x;
    b ^= x;
    a = static_cast<int8_t>(static_cast<uint8_t>(a) + x);
  }
  state.a = a;
  state.b = b;
}

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

bool ScrambleStream::read(void* data, int32_t n) {
  if (n < 0 || !inner_->read(data, n)) return false;
  unscramble(state_, static_cast<uint8_t*>(data), n);
  return true;
}

bool ScrambleStream::readItems(void* data, int32_t size, int32_t count) {
  int32_t total = itemBytes(size, count);
  if (total < 0 || !inner_->read(data, total)) return false;
  auto* piece = static_cast<uint8_t*>(data);
  for (int32_t i = 0; i < count; ++i, piece += size) unscramble(state_, piece, size);
  return true;
}

}  // namespace rpgc
