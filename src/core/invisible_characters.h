// Invisible characters: the characters that show as nothing or as a blank, yet are part
// of a word (a no-break space pasted from a word processor, a zero-width space, a
// text-direction mark). A name that holds one differs from the name it looks like.
#ifndef RPGC_CORE_INVISIBLE_CHARACTERS_H_
#define RPGC_CORE_INVISIBLE_CHARACTERS_H_

#include <cstddef>
#include <string>
#include <string_view>

namespace rpgc {

struct InvisibleCharacter {
  char32_t code = 0;
  size_t at = 0;          // its first byte in the word
  size_t length = 0;      // its bytes (0: none found)
  std::string_view name;  // "no-break space"
};

/// The character's name when it is invisible, else "".
std::string_view invisibleCharacterName(char32_t code);

/// The first invisible character of word (length 0 when it holds none). Words of ASCII
/// bytes only cost one pass.
InvisibleCharacter findInvisibleCharacter(std::string_view word);

/// word without its invisible characters; a space of them between two words becomes a
/// blank.
std::string withoutInvisibleCharacters(std::string_view word);

/// The code point of the well-formed UTF-8 character at bytes[at] of length bytes.
char32_t codePointAt(std::string_view bytes, size_t at, size_t length);

}  // namespace rpgc

#endif  // RPGC_CORE_INVISIBLE_CHARACTERS_H_
