// tokenize: views and strings over the one scan of scanTokens.
#include "source/tokenizer.h"

namespace rpgc {

int32_t tokenizeInto(std::string_view line, std::vector<std::string_view>& tokens, size_t most) {
  tokens.clear();
  return scanTokens(line, [&](size_t start, size_t length) {
    if (tokens.size() < most) tokens.push_back(line.substr(start, length));
  });
}

StringList tokenize(const RefString& line) {
  std::vector<std::string_view> views;
  tokenizeInto(line.view(), views);
  StringList tokens;
  for (std::string_view token : views) tokens.push(RefString(token));
  return tokens;
}

}  // namespace rpgc
