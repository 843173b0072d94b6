// outlineOf: one pass over the lines, a word scan of each candidate header.
#include "lsp/source_outline.h"

#include "core/source_syntax.h"
#include "source/tokenizer.h"

namespace rpgc::lsp {

namespace {

// Whether a string section's text line ends it: it reads END once its blanks are folded.
bool endsStringSection(std::string_view line) {
  size_t first = 0;
  while (first < line.size() && isBlankByte(line[first])) ++first;
  size_t last = line.size();
  while (last > first && isBlankByte(line[last - 1])) --last;
  return line.substr(first, last - first) == kEndKeyword;
}

}  // namespace

std::vector<std::string_view> wordsOf(std::string_view line) {
  std::vector<std::string_view> words;
  tokenizeInto(line, words);
  return words;
}

int32_t wordAt(const std::vector<std::string_view>& words, std::string_view line, size_t at) {
  for (size_t k = 0; k < words.size(); ++k) {
    size_t start = static_cast<size_t>(words[k].data() - line.data());
    if (at >= start && at <= start + words[k].size()) return static_cast<int32_t>(k);
  }
  return -1;
}

// The compiler's walk: a file's last line is never looked at, and neither is the line
// right after a section's END (a header there is lost, and the lines of its section are
// looked at one by one).
std::vector<OutlineSection> outlineOf(const SourceLines& lines) {
  std::vector<OutlineSection> outline;
  std::vector<std::string_view> words;
  int32_t n = lines.length();
  for (int32_t i = 0; i < n - 1; ++i) {
    std::string_view line = lines[i];
    tokenizeInto(line, words, 3);
    if (words.empty() || !isSectionKeyword(words[0]) || words[0] == kEndKeyword) continue;
    OutlineSection section;
    section.header = i;
    size_t nameWord = 2;
    if (words[0] == kStringKeyword) {
      section.kind = OutlineSection::Kind::kString;
      nameWord = 1;
    } else if (words[0] == kScriptKeyword) {
      section.kind = OutlineSection::Kind::kScript;
      nameWord = 1;
    } else if (words.size() > 1) {
      section.typeWord = words[1];
    }
    if (words.size() > nameWord) {
      section.name = words[nameWord];
      section.nameSpan = spanOf(line, words[nameWord]);
    }
    int32_t j = i + 1;
    for (; j < n; ++j) {
      if (section.kind == OutlineSection::Kind::kString) {
        if (endsStringSection(lines[j])) break;
        continue;
      }
      tokenizeInto(lines[j], words, 1);
      if (!words.empty() && words[0] == kEndKeyword) break;
    }
    section.end = j < n ? j : -1;
    outline.push_back(section);
    if (section.end < 0) break;
    i = j + 1;
  }
  return outline;
}

const OutlineSection* sectionAt(const std::vector<OutlineSection>& outline, int32_t line) {
  for (const OutlineSection& section : outline) {
    if (section.header > line) break;
    if (section.end < 0 || line <= section.end) return &section;
  }
  return nullptr;
}

}  // namespace rpgc::lsp
