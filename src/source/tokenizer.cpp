// tokenize: one left-to-right scan with a between-tokens flag.
#include "source/tokenizer.h"

namespace rpgc {

int32_t tokenizeInto(std::string_view line, std::vector<std::string_view>& tokens) {
  tokens.clear();
  line = line.substr(0, line.find('\0'));
  size_t start = 0;
  bool betweenTokens = true;
  size_t i = 0;
  int32_t commentInWord = -1;
  for (; i < line.size(); ++i) {
    char c = line[i];
    if (c == ';' || c == '/') {
      if (!betweenTokens) commentInWord = static_cast<int32_t>(i);
      break;
    }
    if (c == ',') {
      if (!betweenTokens) tokens.push_back(line.substr(start, i - start));
      tokens.push_back(line.substr(i, 1));
      betweenTokens = true;
    } else if (isBlankByte(c)) {
      if (!betweenTokens) tokens.push_back(line.substr(start, i - start));
      betweenTokens = true;
    } else if (betweenTokens) {
      start = i;
      betweenTokens = false;
    }
  }
  if (!betweenTokens) tokens.push_back(line.substr(start, i - start));
  return commentInWord;
}

StringList tokenize(const RefString& line) {
  std::vector<std::string_view> views;
  tokenizeInto(line.view(), views);
  StringList tokens;
  for (std::string_view token : views) tokens.push(RefString(token));
  return tokens;
}

}  // namespace rpgc
