// unifiedDiff: the edit from the origins of the lines, then hunks with their context.
#include "formatter/unified_diff.h"

#include <algorithm>
#include <vector>

namespace rpgc {

namespace {

constexpr size_t kContext = 3;

// The lines of text without their line feeds; a last line feed ends the last line.
std::vector<std::string_view> linesOf(std::string_view text) {
  std::vector<std::string_view> lines;
  size_t start = 0;
  while (start < text.size()) {
    size_t feed = text.find('\n', start);
    if (feed == std::string_view::npos) feed = text.size();
    lines.push_back(text.substr(start, feed - start));
    start = feed + 1;
  }
  return lines;
}

struct Edit {
  enum Kind : uint8_t { kSame, kRemoved, kAdded } kind;
  size_t line;  // of before for kSame and kRemoved, of after for kAdded
};

// "start,count" of a hunk's side, as unified diffs write it.
std::string range(size_t start, size_t count) {
  // An empty side names the line before it.
  return std::to_string(count == 0 ? start : start + 1) + "," + std::to_string(count);
}

}  // namespace

std::string unifiedDiff(std::string_view path, std::string_view before, std::string_view after,
                        std::span<const int32_t> origin) {
  std::vector<std::string_view> old = linesOf(before);
  std::vector<std::string_view> now = linesOf(after);
  // Without a line feed at its end, the last line of before differs from any line of after.
  bool oldEndsOpen = !before.empty() && before.back() != '\n';
  std::vector<Edit> edits;
  size_t i = 0;
  for (size_t k = 0; k < now.size(); ++k) {
    int32_t from = k < origin.size() ? origin[k] : -1;
    if (from >= 0 && static_cast<size_t>(from) >= i && static_cast<size_t>(from) < old.size()) {
      for (; i < static_cast<size_t>(from); ++i) edits.push_back({Edit::kRemoved, i});
      bool open = oldEndsOpen && i + 1 == old.size();
      if (old[i] == now[k] && !open) {
        edits.push_back({Edit::kSame, i});
      } else {
        edits.push_back({Edit::kRemoved, i});
        edits.push_back({Edit::kAdded, k});
      }
      ++i;
    } else {
      edits.push_back({Edit::kAdded, k});
    }
  }
  for (; i < old.size(); ++i) edits.push_back({Edit::kRemoved, i});
  // Each run of changes shows its removed lines first, as diff does.
  for (auto run = edits.begin(); run != edits.end();) {
    auto end = std::find_if(run, edits.end(), [](const Edit& e) { return e.kind == Edit::kSame; });
    std::stable_partition(run, end, [](const Edit& e) { return e.kind == Edit::kRemoved; });
    run = end == edits.end() ? end : end + 1;
  }

  std::string diff;
  size_t oldLine = 0;  // lines of each side before edits[at]
  size_t newLine = 0;
  size_t at = 0;
  auto advance = [&](size_t to) {
    for (; at < to; ++at) {
      if (edits[at].kind != Edit::kAdded) ++oldLine;
      if (edits[at].kind != Edit::kRemoved) ++newLine;
    }
  };
  while (true) {
    size_t change = at;
    while (change < edits.size() && edits[change].kind == Edit::kSame) ++change;
    if (change == edits.size()) break;
    size_t first = change > at + kContext ? change - kContext : at;
    size_t last = change;  // the last change of the hunk
    for (size_t e = change; e < edits.size() && e - last <= 2 * kContext + 1; ++e) {
      if (edits[e].kind != Edit::kSame) last = e;
    }
    size_t end = std::min(edits.size(), last + 1 + kContext);
    advance(first);
    size_t oldCount = 0;
    size_t newCount = 0;
    for (size_t e = first; e < end; ++e) {
      if (edits[e].kind != Edit::kAdded) ++oldCount;
      if (edits[e].kind != Edit::kRemoved) ++newCount;
    }
    if (diff.empty()) {
      diff.append("--- ").append(path).append("\n+++ ").append(path).append("\n");
    }
    diff += "@@ -" + range(oldLine, oldCount) + " +" + range(newLine, newCount) + " @@\n";
    for (size_t e = first; e < end; ++e) {
      const Edit& edit = edits[e];
      diff += edit.kind == Edit::kSame ? ' ' : edit.kind == Edit::kRemoved ? '-' : '+';
      diff.append(edit.kind == Edit::kAdded ? now[edit.line] : old[edit.line]);
      diff += '\n';
      if (edit.kind == Edit::kRemoved && oldEndsOpen && edit.line + 1 == old.size()) {
        diff += "\\ No newline at end of file\n";
      }
    }
    advance(end);
  }
  return diff;
}

}  // namespace rpgc
