// forEachNamePlace: templates of source_outline.h.
#ifndef RPGC_LSP_SOURCE_OUTLINE_INL_H_
#define RPGC_LSP_SOURCE_OUTLINE_INL_H_

#include "core/source_syntax.h"

namespace rpgc::lsp {

inline bool isStringField(std::string_view propertyName) {
  return propertyName.starts_with("STR_");
}

template <typename Found>
void forEachNamePlace(const SourceLines& lines, const std::vector<OutlineSection>& outline,
                      std::string_view name, bool stringSection, Found found) {
  std::vector<std::string_view> words;
  for (const OutlineSection& section : outline) {
    bool headerKind = stringSection ? section.kind == OutlineSection::Kind::kString
                                    : section.kind == OutlineSection::Kind::kObject;
    if (headerKind && section.name == name && section.nameSpan.length > 0) {
      found(section.header, section.nameSpan);
    }
    if (section.kind != OutlineSection::Kind::kObject) continue;
    int32_t last = section.end < 0 ? lines.length() : section.end;
    for (int32_t i = section.header + 1; i < last; ++i) {
      std::string_view line = lines[i];
      if (line.find(name) == std::string_view::npos) continue;
      words = wordsOf(line);
      if (words.size() < 4 || words[2] != kEqualsWord) continue;
      if (isStringField(words[1]) != stringSection) continue;
      for (size_t k = 3; k < words.size(); ++k) {
        if (words[k] == name) found(i, spanOf(line, words[k]));
      }
    }
  }
}

}  // namespace rpgc::lsp

#endif  // RPGC_LSP_SOURCE_OUTLINE_INL_H_
