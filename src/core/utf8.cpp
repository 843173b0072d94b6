// UTF-8: the lengths of well-formed characters, by the lead byte's ranges.
#include "core/utf8.h"

#include <algorithm>
#include <cstdint>

namespace rpgc {

size_t utf8Length(std::string_view bytes, size_t at) {
  auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[at + i]); };
  uint8_t lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  uint8_t low = 0x80;
  uint8_t high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;   // overlong below
    if (lead == 0xED) high = 0x9F;  // surrogates above
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;   // overlong below
    if (lead == 0xF4) high = 0x8F;  // past U+10FFFF above
  } else {
    return 0;
  }
  if (bytes.size() - at < length) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (!isContinuationByte(static_cast<char>(byte(i)))) return 0;
  }
  return length;
}

size_t characterStart(std::string_view bytes, size_t at) {
  if (at >= bytes.size()) return bytes.size();
  // A character is at most 4 bytes long: a byte that continues none within the last four
  // settles it, and without one no character can reach at.
  for (size_t back = 0; back <= std::min<size_t>(3, at); ++back) {
    if (!isContinuationByte(bytes[at - back])) return at - back;
  }
  return at;
}

}  // namespace rpgc
