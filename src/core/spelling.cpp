// closestWord: case-insensitive equality first, then the optimal string alignment
// distance, computed in two rows and abandoned as soon as it passes the limit.
#include "core/spelling.h"

#include <algorithm>
#include <array>
#include <cstddef>

namespace rpgc {

namespace {

char lower(char c) {
  return c >= 'A' && c <= 'Z' ? static_cast<char>(c - 'A' + 'a') : c;
}

constexpr size_t kLongestCompared = 64;

// Edit distance with adjacent swaps, or limit + 1 when it is above limit.
size_t editDistance(std::string_view a, std::string_view b, size_t limit) {
  if (a.size() > b.size() + limit || b.size() > a.size() + limit) return limit + 1;
  if (a.size() > kLongestCompared || b.size() > kLongestCompared) return limit + 1;
  std::array<size_t, kLongestCompared + 1> twoBack{};
  std::array<size_t, kLongestCompared + 1> previous{};
  std::array<size_t, kLongestCompared + 1> current{};
  for (size_t j = 0; j <= b.size(); ++j) previous[j] = j;
  for (size_t i = 1; i <= a.size(); ++i) {
    current[0] = i;
    size_t rowBest = current[0];
    for (size_t j = 1; j <= b.size(); ++j) {
      size_t cost = a[i - 1] == b[j - 1] ? 0 : 1;
      current[j] = std::min({previous[j] + 1, current[j - 1] + 1, previous[j - 1] + cost});
      if (i > 1 && j > 1 && a[i - 1] == b[j - 2] && a[i - 2] == b[j - 1]) {
        current[j] = std::min(current[j], twoBack[j - 2] + 1);
      }
      rowBest = std::min(rowBest, current[j]);
    }
    if (rowBest > limit) return limit + 1;
    twoBack = previous;
    previous = current;
  }
  return previous[b.size()];
}

}  // namespace

bool equalsIgnoringCase(std::string_view a, std::string_view b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (lower(a[i]) != lower(b[i])) return false;
  }
  return true;
}

std::string_view closestWord(std::string_view word, std::span<const std::string_view> candidates,
                             int maxEdits) {
  for (std::string_view candidate : candidates) {
    if (candidate == word) return {};
  }
  for (std::string_view candidate : candidates) {
    if (equalsIgnoringCase(word, candidate)) return candidate;
  }
  if (maxEdits == 0) return {};
  size_t limit = maxEdits > 0 ? static_cast<size_t>(maxEdits) : word.size() <= 4 ? 1 : 2;
  std::string_view best;
  size_t bestDistance = limit + 1;
  for (std::string_view candidate : candidates) {
    size_t distance = editDistance(word, candidate, limit);
    if (distance < bestDistance) {
      best = candidate;
      bestDistance = distance;
    }
  }
  return best;
}

}  // namespace rpgc
