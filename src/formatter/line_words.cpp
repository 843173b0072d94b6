// LineWords: the tokenizer's scan, and the line written back from its words.
#include "formatter/line_words.h"

#include "core/source_syntax.h"
#include "source/tokenizer.h"

namespace rpgc {

LineWords::LineWords(std::string_view line) {
  size_t lastEnd = 0;
  int32_t inWord = scanTokens(line, [&](size_t start, size_t length) {
    words.push_back(line.substr(start, length));
    lastEnd = start + length;
  });
  size_t commentStart = line.size();
  if (inWord >= 0) {
    commentStart = static_cast<size_t>(inWord);
    commentInWord = true;
  } else {
    // The scan stopped at a comment between tokens, or at the end of the line.
    for (size_t i = lastEnd; i < line.size(); ++i) {
      if (isCommentByte(line[i])) {
        commentStart = i;
        break;
      }
    }
  }
  comment = line.substr(commentStart);
}

std::string LineWords::render() const {
  std::string line;
  for (size_t k = 0; k < words.size(); ++k) {
    if (k > 0 && words[k] != ",") line += ' ';
    line += words[k];
  }
  if (!comment.empty()) {
    if (!line.empty() && !(commentInWord && !words.empty())) line += ' ';
    line += comment;
  }
  return line;
}

std::string_view withoutLeadingBlanks(std::string_view line) {
  size_t start = 0;
  while (start < line.size() && isBlankByte(line[start])) ++start;
  return line.substr(start);
}

}  // namespace rpgc
