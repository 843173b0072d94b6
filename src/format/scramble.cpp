// The filter's arithmetic, all on 8-bit values, wrapping.
#include "format/scramble.h"

namespace rpgc {

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

}  // namespace rpgc
