// NamePattern: matching with '*' by the last star only: the pieces between stars are
// found left to right, each at its first place, which is the best place for the rest.
#include "tools/name_pattern.h"

namespace rpgc {

bool NamePattern::matches(std::string_view name) const {
  std::string_view pattern = text_;
  size_t star = pattern.find('*');
  if (star == std::string_view::npos) return name == pattern;
  // The piece before the first star starts the name, the one after the last ends it.
  size_t lastStar = pattern.rfind('*');
  std::string_view head = pattern.substr(0, star);
  std::string_view tail = pattern.substr(lastStar + 1);
  if (name.size() < head.size() + tail.size() || !name.starts_with(head) || !name.ends_with(tail)) {
    return false;
  }
  std::string_view middle = name.substr(head.size(), name.size() - head.size() - tail.size());
  std::string_view pieces = pattern.substr(star + 1, lastStar - star);
  while (!pieces.empty()) {
    size_t end = pieces.find('*');
    std::string_view piece = pieces.substr(0, end);
    pieces.remove_prefix(end + 1);
    if (piece.empty()) continue;
    size_t at = middle.find(piece);
    if (at == std::string_view::npos) return false;
    middle.remove_prefix(at + piece.size());
  }
  return true;
}

}  // namespace rpgc
