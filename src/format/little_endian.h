// putU32, putI32 and putF32: the one encoder of the numbers both files store, beside the
// one decoder (loadInt32, loadFloat) that the reader library's public header holds.
// Every multi-byte value of both output files goes through these, little-endian by
// construction rather than by the host's layout.
#ifndef RPGC_FORMAT_LITTLE_ENDIAN_H_
#define RPGC_FORMAT_LITTLE_ENDIAN_H_

#include <cstdint>
#include <cstring>

#include "rpgc/little_endian.h"

namespace rpgc {

inline void putU32(uint8_t* out, uint32_t value) {
  out[0] = static_cast<uint8_t>(value);
  out[1] = static_cast<uint8_t>(value >> 8);
  out[2] = static_cast<uint8_t>(value >> 16);
  out[3] = static_cast<uint8_t>(value >> 24);
}

inline void putI32(uint8_t* out, int32_t value) {
  putU32(out, static_cast<uint32_t>(value));
}

inline void putF32(uint8_t* out, float value) {
  uint32_t bits;
  std::memcpy(&bits, &value, 4);
  putU32(out, bits);
}

}  // namespace rpgc

#endif  // RPGC_FORMAT_LITTLE_ENDIAN_H_
