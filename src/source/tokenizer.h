// tokenize: cuts one line into tokens; the lexical syntax of the source language.
//
// Bytes 0x01 to 0x20 are blanks and separate tokens; every other byte up to the line's
// first zero byte is a token byte. A ";" or a "/" ends the line (the rest is a comment),
// even inside a word. A "," is always a token of its own. There is no quoting, escaping
// or continuation.
#ifndef RPGC_SOURCE_TOKENIZER_H_
#define RPGC_SOURCE_TOKENIZER_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/ref_string.h"
#include "core/string_list.h"

namespace rpgc {

inline bool isBlankByte(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte >= 0x01 && byte <= 0x20;
}

namespace detail {

// What each byte does to a scan: continues a token, separates tokens, stands alone as a
// comma, starts a comment, or ends the text (the zero byte).
enum ByteClass : uint8_t { kTokenByte, kBlankByte, kCommaByte, kCommentByte, kEndByte };

inline constexpr auto kByteClasses = [] {
  std::array<uint8_t, 256> classes{};
  for (int c = 0; c < 256; ++c) {
    classes[static_cast<size_t>(c)] = c == 0                 ? kEndByte
                                      : c <= 0x20            ? kBlankByte
                                      : c == ','             ? kCommaByte
                                      : c == ';' || c == '/' ? kCommentByte
                                                             : kTokenByte;
  }
  return classes;
}();

}  // namespace detail

/// The one scan behind every tokenizing entry: calls emit(start, length) for each token
/// of line, in order, and returns the index of the ";" or "/" that started a comment
/// inside a word (cutting the word short), or -1.
template <typename Emit>
int32_t scanTokens(std::string_view line, Emit&& emit) {
  using namespace detail;
  const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
  size_t end = line.size();
  size_t i = 0;
  while (i < end) {
    uint8_t kind = kByteClasses[bytes[i]];
    if (kind == kBlankByte) {
      ++i;
    } else if (kind == kTokenByte) {
      size_t start = i;
      while (++i < end && (kind = kByteClasses[bytes[i]]) == kTokenByte) {
      }
      emit(start, i - start);
      if (i < end && kind == kCommentByte) return static_cast<int32_t>(i);
    } else if (kind == kCommaByte) {
      emit(i, size_t{1});
      ++i;
    } else {
      break;  // a comment between tokens, or the end of the text
    }
  }
  return -1;
}

/// Replaces tokens with the first `most` tokens of line, as views into it (no allocation
/// per token). Returns what scanTokens returns for the whole line.
int32_t tokenizeInto(std::string_view line, std::vector<std::string_view>& tokens,
                     size_t most = SIZE_MAX);

/// The tokens of a line as strings; an absent list when there are none.
StringList tokenize(const RefString& line);

}  // namespace rpgc

#endif  // RPGC_SOURCE_TOKENIZER_H_
