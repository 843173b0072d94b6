// tokenize: cuts one line into tokens; the lexical syntax of the source language.
//
// Bytes 0x01 to 0x20 are blanks and separate tokens; every other byte up to the line's
// first zero byte is a token byte. A ";" or a "/" ends the line (the rest is a comment),
// even inside a word. A "," is always a token of its own. There is no quoting, escaping
// or continuation.
#ifndef RPGC_SOURCE_TOKENIZER_H_
#define RPGC_SOURCE_TOKENIZER_H_

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

/// Replaces tokens with the tokens of line, as views into it (no allocation per token).
/// Returns the index of the ";" or "/" that started a comment inside a word (cutting the
/// word short), or -1.
int32_t tokenizeInto(std::string_view line, std::vector<std::string_view>& tokens);

/// The tokens of a line as strings; an absent list when there are none.
StringList tokenize(const RefString& line);

}  // namespace rpgc

#endif  // RPGC_SOURCE_TOKENIZER_H_
