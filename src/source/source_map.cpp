// SourceMap: settings noted in order, each with the column of the word that made it.
#include "source/source_map.h"

#include <string_view>

#include "source/tokenizer.h"

namespace rpgc {

SourceMap::Place SourceMap::placeOf(int32_t line, int32_t token) const {
  Place place{file_, line + 1, 0};
  if (lines_ == nullptr || line < 0 || line >= lines_->length()) return place;
  std::string_view text = (*lines_)[line];
  size_t wanted = static_cast<size_t>(token);
  tokenizeInto(text, tokens_, wanted + 1);
  if (wanted < tokens_.size()) {
    place.column = static_cast<int32_t>(tokens_[wanted].data() - text.data()) + 1;
  }
  return place;
}

void SourceMap::noteObject(int32_t object, int32_t line) {
  settings_.push_back({object, kNoAtom, placeOf(line, 2)});
}

void SourceMap::noteProperty(int32_t object, Atom property, int32_t line) {
  settings_.push_back({object, property, placeOf(line, 1)});
}

void SourceMap::noteSection(int32_t index, int32_t line) {
  sections_.push_back({index, placeOf(line, 1)});
}

}  // namespace rpgc
