// The source language's lexical rules, in one place for every layer that reads or writes
// source: which bytes separate words, which end them, and the words that make sections.
//
// Bytes 0x01 to 0x20 are blanks; every other byte up to a line's first zero byte belongs
// to a word, except that ',' is always a word of its own and ';' or '/' starts a comment,
// even inside a word. Bytes 0x80 to 0xFF are word bytes like letters.
#ifndef RPGC_CORE_SOURCE_SYNTAX_H_
#define RPGC_CORE_SOURCE_SYNTAX_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>

namespace rpgc {

inline constexpr bool isBlankByte(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte >= 0x01 && byte <= 0x20;
}

/// Whether c starts a comment, which runs to the end of the line.
inline constexpr bool isCommentByte(char c) {
  return c == ';' || c == '/';
}

/// Whether c ends a word: a blank, the zero byte, ',' or a comment's start.
inline constexpr bool endsWord(char c) {
  return c == '\0' || isBlankByte(c) || c == ',' || isCommentByte(c);
}

/// What each byte does to a scan: continues a word, separates words, stands alone as a
/// comma, starts a comment, or ends the text (the zero byte).
enum ByteClass : uint8_t { kWordByte, kBlankByte, kCommaByte, kCommentByte, kEndByte };

inline constexpr auto kByteClasses = [] {
  std::array<uint8_t, 256> classes{};
  for (int c = 0; c < 256; ++c) {
    auto byte = static_cast<char>(c);
    classes[static_cast<size_t>(c)] = c == 0                ? kEndByte
                                      : isBlankByte(byte)   ? kBlankByte
                                      : c == ','            ? kCommaByte
                                      : isCommentByte(byte) ? kCommentByte
                                                            : kWordByte;
  }
  return classes;
}();

// The words of section headers and ends, exact and case-sensitive.
inline constexpr std::string_view kBeginKeyword = "BEGIN";
inline constexpr std::string_view kStringKeyword = "STRING";
inline constexpr std::string_view kScriptKeyword = "SCRIPT";
inline constexpr std::string_view kEndKeyword = "END";
/// The words that start a section.
inline constexpr std::string_view kSectionKeywords[] = {kBeginKeyword, kStringKeyword,
                                                        kScriptKeyword};
/// The type words of BEGIN that make an item or a character; any other makes an object.
inline constexpr std::string_view kItemWord = "item";
inline constexpr std::string_view kCharacterWord = "character";
/// The flag of a STRING header that makes its section random.
inline constexpr std::string_view kRandomFlag = "RANDOM";
/// The word between a property's name and its values.
inline constexpr std::string_view kEqualsWord = "=";

inline constexpr bool isSectionKeyword(std::string_view word) {
  return word == kBeginKeyword || word == kStringKeyword || word == kScriptKeyword;
}

}  // namespace rpgc

#endif  // RPGC_CORE_SOURCE_SYNTAX_H_
