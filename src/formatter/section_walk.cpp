// walkSections: the dispatcher's walk, keeping each line's role instead of compiling.
#include "formatter/section_walk.h"

#include "core/source_syntax.h"
#include "source/tokenizer.h"

namespace rpgc {

bool endsStringSection(std::string_view line) {
  size_t start = 0;
  while (start < line.size() && isBlankByte(line[start])) ++start;
  // Lines come without trailing blanks, so folding can only drop the leading ones.
  return line.substr(start) == kEndKeyword;
}

std::vector<LineRole> walkSections(const SourceLines& lines) {
  int32_t n = lines.length();
  std::vector<LineRole> roles(static_cast<size_t>(n), LineRole::kOutside);
  std::vector<std::string_view> tokens;
  auto startsWithEnd = [&](int32_t i) {
    tokenizeInto(lines[i], tokens, 1);
    return !tokens.empty() && tokens[0] == kEndKeyword;
  };
  int32_t i = 0;
  while (i < n - 1) {
    tokenizeInto(lines[i], tokens, 1);
    if (tokens.empty() || !isSectionKeyword(tokens[0])) {
      ++i;
      continue;
    }
    roles[static_cast<size_t>(i)] = LineRole::kHeader;
    LineRole body = tokens[0] == kStringKeyword   ? LineRole::kText
                    : tokens[0] == kScriptKeyword ? LineRole::kScript
                                                  : LineRole::kBody;
    int32_t end = i + 1;
    for (; end < n; ++end) {
      bool ends = body == LineRole::kText ? endsStringSection(lines[end]) : startsWithEnd(end);
      if (ends) break;
      roles[static_cast<size_t>(end)] = body;
    }
    if (end < n) roles[static_cast<size_t>(end)] = LineRole::kEnd;
    // The line right after an END line is never examined.
    i = end + 2;
  }
  return roles;
}

}  // namespace rpgc
