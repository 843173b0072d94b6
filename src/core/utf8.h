// UTF-8: the one scanner of characters in bytes that may not be UTF-8 at all.
//
// Names, texts and file names are bytes: a designer's Latin-1 file name or a stored text
// cut short are as welcome as UTF-8. Whatever shows or escapes them asks here where a
// character starts and ends; a byte that starts no well-formed character stands alone.
#ifndef RPGC_CORE_UTF8_H_
#define RPGC_CORE_UTF8_H_

#include <cstddef>
#include <string_view>

namespace rpgc {

/// The length (1 to 4) of the well-formed UTF-8 character at bytes[at], or 0 when none
/// starts there: overlong forms, surrogates, code points past U+10FFFF and sequences cut
/// short are not well-formed.
size_t utf8Length(std::string_view bytes, size_t at);

/// Whether c is a byte 0x80 to 0xBF, which only continues a character.
inline bool isContinuationByte(char c) {
  return (static_cast<unsigned char>(c) & 0xC0) == 0x80;
}

/// Where to cut bytes at or just before at so that no character is cut in two (bytes.size()
/// when at is past it): a text cut there escapes and shows as its two parts do.
size_t characterStart(std::string_view bytes, size_t at);

}  // namespace rpgc

#endif  // RPGC_CORE_UTF8_H_
