// Little-endian encoding of 32-bit values, by construction rather than host layout.
// Every multi-byte value of both output files goes through these.
#ifndef RPGC_ARCHIVE_LITTLE_ENDIAN_H_
#define RPGC_ARCHIVE_LITTLE_ENDIAN_H_

#include <cstdint>
#include <cstring>

namespace rpgc {

inline void putU32(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
  out[2] = static_cast<uint8_t>(value >> 16);
  out[3] = static_cast<uint8_t>(value >> 24);
}

inline uint32_t getU32(const uint8_t* in) {
  return uint32_t{in[0]} | uint32_t{in[1]} << 8 | uint32_t{in[2]} << 16 | uint32_t{in[3]} << 24;
}

inline void putI32(uint8_t* out, int32_t value) {
  putU32(out, static_cast<uint32_t>(value));
}
inline int32_t getI32(const uint8_t* in) {
  return static_cast<int32_t>(getU32(in));
}

inline void putF32(uint8_t* out, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  putU32(out, bits);
}

inline float getF32(const uint8_t* in) {
  uint32_t bits = getU32(in);
  float value;
  std::memcpy(&value, &bits, 4);
  return value;
}

}  // namespace rpgc

#endif  // RPGC_ARCHIVE_LITTLE_ENDIAN_H_
