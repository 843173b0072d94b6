// tokenize: one left-to-right scan with a between-tokens flag.
#include "source/tokenizer.h"

namespace rpgc {

void tokenizeInto(std::string_view line, std::vector<std::string_view>& tokens) {
  tokens.clear();
  line = line.substr(0, line.find('\0'));
  size_t start = 0;
  bool betweenTokens = true;
  size_t i = 0;
  for (; i < line.size(); ++i) {
    char c = line[i];
    if (c == ';' || c == '/') break;
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
}

StringList tokenize(const RefString& line) {
  std::vector<std::string_view> views;
  tokenizeInto(line.view(), views);
  StringList tokens;
  for (std::string_view token : views) tokens.push(RefString(token));
  return tokens;
}

}  // namespace rpgc
