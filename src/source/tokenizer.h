// tokenize: cuts one line into tokens; the lexical syntax of the source language.
//
// Bytes 0x01 to 0x20 are blanks and separate tokens; every other byte up to the line's
// first zero byte is a token byte. A ";" or a "/" ends the line (the rest is a comment),
// even inside a word. A "," is always a token of its own. There is no quoting, escaping
// or continuation.
#ifndef RPGC_SOURCE_TOKENIZER_H_
#define RPGC_SOURCE_TOKENIZER_H_

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

/// The one scan behind every tokenizing entry: calls emit(start, length) for each token
/// of line, in order, and returns the index of the ";" or "/" that started a comment
/// inside a word (cutting the word short), or -1.
template <typename Emit>
int32_t scanTokens(std::string_view line, Emit&& emit) {
  size_t end = line.size();
  size_t start = 0;
  bool betweenTokens = true;
  size_t i = 0;
  for (; i < end; ++i) {
    char c = line[i];
    if (c == ';' || c == '/') {
      if (!betweenTokens) {
        emit(start, i - start);
        return static_cast<int32_t>(i);
      }
      return -1;
    }
    if (c == ',') {
      if (!betweenTokens) emit(start, i - start);
      emit(i, size_t{1});
      betweenTokens = true;
    } else if (c == '\0') {
      break;
    } else if (isBlankByte(c)) {
      if (!betweenTokens) emit(start, i - start);
      betweenTokens = true;
    } else if (betweenTokens) {
      start = i;
      betweenTokens = false;
    }
  }
  if (!betweenTokens) emit(start, i - start);
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
