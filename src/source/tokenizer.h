// tokenize: cuts one line into tokens by the lexical rules of core/source_syntax.h.
//
// A ";" or a "/" ends the line (the rest is a comment), even inside a word. A "," is
// always a token of its own. There is no quoting, escaping or continuation.
#ifndef RPGC_SOURCE_TOKENIZER_H_
#define RPGC_SOURCE_TOKENIZER_H_

#include <cstddef>
#include <cstdint>
#include <string_view>
#include <vector>

#include "core/ref_string.h"
#include "core/source_syntax.h"
#include "core/string_list.h"

namespace rpgc {

/// The one scan behind every tokenizing entry: calls emit(start, length) for each token
/// of line, in order, and returns the index of the ";" or "/" that started a comment
/// inside a word (cutting the word short), or -1.
template <typename Emit>
int32_t scanTokens(std::string_view line, Emit&& emit) {
  const auto* bytes = reinterpret_cast<const unsigned char*>(line.data());
  size_t end = line.size();
  size_t i = 0;
  while (i < end) {
    uint8_t kind = kByteClasses[bytes[i]];
    if (kind == kBlankByte) {
      ++i;
    } else if (kind == kWordByte) {
      size_t start = i;
      while (++i < end && (kind = kByteClasses[bytes[i]]) == kWordByte) {
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
