// Invisible characters: one table, searched only for words that hold non-ASCII bytes.
#include "core/invisible_characters.h"

#include <iterator>

#include "core/utf8.h"

namespace rpgc {

namespace {

struct NamedRange {
  char32_t first;
  char32_t last;
  std::string_view name;
};

// In code point order.
constexpr NamedRange kInvisible[] = {
    {0x00A0, 0x00A0, "no-break space"},
    {0x00AD, 0x00AD, "soft hyphen"},
    {0x034F, 0x034F, "combining grapheme joiner"},
    {0x061C, 0x061C, "text-direction mark"},
    {0x115F, 0x1160, "Hangul filler"},
    {0x1680, 0x1680, "Ogham space mark"},
    {0x180E, 0x180E, "Mongolian vowel separator"},
    {0x2000, 0x200A, "typographic space"},
    {0x200B, 0x200B, "zero-width space"},
    {0x200C, 0x200C, "zero-width non-joiner"},
    {0x200D, 0x200D, "zero-width joiner"},
    {0x200E, 0x200F, "text-direction mark"},
    {0x2028, 0x2029, "line or paragraph separator"},
    {0x202A, 0x202E, "text-direction control"},
    {0x202F, 0x202F, "narrow no-break space"},
    {0x205F, 0x205F, "medium mathematical space"},
    {0x2060, 0x2060, "word joiner"},
    {0x2061, 0x2064, "invisible operator"},
    {0x2066, 0x2069, "text-direction isolate"},
    {0x3000, 0x3000, "ideographic space"},
    {0x3164, 0x3164, "Hangul filler"},
    {0xFEFF, 0xFEFF, "zero-width no-break space"},
    {0xFFA0, 0xFFA0, "Hangul filler"},
};

}  // namespace

std::string_view invisibleCharacterName(char32_t code) {
  for (const NamedRange& range : kInvisible) {
    if (code < range.first) return {};
    if (code <= range.last) return range.name;
  }
  return {};
}

char32_t codePointAt(std::string_view bytes, size_t at, size_t length) {
  auto byte = [&](size_t k) { return static_cast<char32_t>(static_cast<unsigned char>(bytes[k])); };
  switch (length) {
    case 1:
      return byte(at);
    case 2:
      return (byte(at) & 0x1F) << 6 | (byte(at + 1) & 0x3F);
    case 3:
      return (byte(at) & 0x0F) << 12 | (byte(at + 1) & 0x3F) << 6 | (byte(at + 2) & 0x3F);
    case 4:
      return (byte(at) & 0x07) << 18 | (byte(at + 1) & 0x3F) << 12 | (byte(at + 2) & 0x3F) << 6 |
             (byte(at + 3) & 0x3F);
    default:
      return 0;
  }
}

InvisibleCharacter findInvisibleCharacter(std::string_view word) {
  for (size_t i = 0; i < word.size();) {
    if (static_cast<unsigned char>(word[i]) < 0x80) {
      ++i;
      continue;
    }
    size_t length = utf8Length(word, i);
    if (length == 0) {
      ++i;
      continue;
    }
    char32_t code = codePointAt(word, i, length);
    std::string_view name = invisibleCharacterName(code);
    if (!name.empty()) return {code, i, length, name};
    i += length;
  }
  return {};
}

std::string withoutInvisibleCharacters(std::string_view word) {
  std::string kept;
  for (InvisibleCharacter found = findInvisibleCharacter(word); found.length > 0;
       found = findInvisibleCharacter(word)) {
    kept.append(word.substr(0, found.at));
    word.remove_prefix(found.at + found.length);
    // A space that is not a blank between two words was most likely meant as one.
    bool blank = found.name.ends_with("space") && !found.name.starts_with("zero-width");
    if (blank && !kept.empty() && kept.back() != ' ' && !word.empty()) kept += ' ';
  }
  kept.append(word);
  return kept;
}

}  // namespace rpgc
