// loadInt32 and loadFloat: the one decoder of the numbers both files store, little-endian
// by construction whatever the machine's byte order. The reader library's views and the
// compiler's own code both decode through these.
#ifndef RPGC_LITTLE_ENDIAN_H_
#define RPGC_LITTLE_ENDIAN_H_

#include <cstdint>
#include <cstring>

namespace rpgc::detail {

/// The int32 stored little-endian at bytes.
inline int32_t loadInt32(const unsigned char* bytes) noexcept {
  uint32_t bits = uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 | uint32_t{bytes[2]} << 16 |
                  uint32_t{bytes[3]} << 24;
  return static_cast<int32_t>(bits);
}

/// The IEEE-754 single stored little-endian at bytes, bit for bit.
inline float loadFloat(const unsigned char* bytes) noexcept {
  uint32_t bits = static_cast<uint32_t>(loadInt32(bytes));
  float value;
  std::memcpy(&value, &bits, sizeof value);
  return value;
}

}  // namespace rpgc::detail

#endif  // RPGC_LITTLE_ENDIAN_H_
