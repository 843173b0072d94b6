// writeSummary: one pass to count and collect the names that values give, one to find
// what none of them names.
#include "tools/content_summary.h"

#include <algorithm>
#include <array>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <unordered_set>
#include <utility>
#include <vector>

#include "diagnostics/text_escape.h"
#include "format/value_kind.h"
#include "source/typed_declarations.h"
#include "tools/dump_input.h"
#include "tools/listing.h"
#include "tools/named_values.h"
#include "tools/text_output.h"
#include "tools/value_text.h"

namespace rpgc {

namespace {

using Counts = std::map<std::string_view, int64_t>;

// "weapon 3, armour 1": most frequent first, then by name.
std::string countList(const Counts& counts) {
  std::vector<std::pair<std::string_view, int64_t>> sorted(counts.begin(), counts.end());
  std::stable_sort(sorted.begin(), sorted.end(),
                   [](const auto& a, const auto& b) { return a.second > b.second; });
  std::string text;
  for (const auto& [name, count] : sorted) {
    if (!text.empty()) text.append(", ");
    if (name.empty()) {
      text.append("(no type)");
    } else {
      appendShownText(text, name);
    }
    text.append(" ").append(groupedNumber(count));
  }
  return text;
}

struct ClassCounts {
  int64_t objects = 0;
  Counts types;
};

}  // namespace

void writeSummary(std::span<const DumpInput* const> inputs, const ListingOptions& options,
                  TextOutput& out) {
  int64_t sections = 0;
  int64_t randomSections = 0;
  int64_t texts = 0;
  int64_t objects = 0;
  bool anyStrings = false;
  bool anyDatabase = false;
  std::map<std::string_view, ClassCounts> classes;
  // Declared properties by kind, 1 to 8.
  std::array<int64_t, 9> declared{};
  std::unordered_set<std::string_view> namedObjects;
  std::unordered_set<std::string_view> namedSections;
  for (const DumpInput* input : inputs) {
    writeListingHeader(*input, out, options);
    if (input->kind == FileKind::kStringTable) {
      anyStrings = true;
      for (StringSectionView section : input->strings.sections()) {
        ++sections;
        if (section.random()) ++randomSections;
        texts += section.textCount();
      }
      continue;
    }
    anyDatabase = true;
    for (ObjectView object : input->database.objects()) {
      ++objects;
      ClassCounts& counts = classes[object.className()];
      ++counts.objects;
      ++counts.types[object.atom("Type").value_or(std::string_view())];
      for (PropertyView property : object.declaredProperties()) {
        auto kind = static_cast<size_t>(property.kind());
        if (kind < declared.size()) ++declared[kind];
      }
      visitNamedValues(
          object, [&](const PropertyView&, NamedTarget target, int32_t, std::string_view name) {
            (target == NamedTarget::kObject ? namedObjects : namedSections).insert(name);
          });
    }
  }
  std::string& text = out.buffer();
  text.push_back('\n');
  if (anyStrings) {
    text.append("string sections: ").append(groupedNumber(sections));
    text.append(" (").append(groupedNumber(randomSections)).append(" RANDOM), ");
    text.append(groupedNumber(texts)).append(texts == 1 ? " text\n" : " texts\n");
  }
  if (anyDatabase) {
    text.append("objects: ").append(groupedNumber(objects)).push_back('\n');
    for (const auto& [className, counts] : classes) {
      text.append("  ");
      appendShownText(text, className);
      text.append(": ").append(groupedNumber(counts.objects));
      text.append(" (").append(countList(counts.types)).append(")\n");
      out.spill();
    }
    int64_t declaredCount = 0;
    std::string byKind;
    for (size_t kind = 1; kind < declared.size(); ++kind) {
      if (declared[kind] == 0) continue;
      declaredCount += declared[kind];
      if (!byKind.empty()) byKind.append(", ");
      byKind.append(declarationWordOf(static_cast<ValueKind>(kind)));
      byKind.append(" ").append(groupedNumber(declared[kind]));
    }
    out.buffer().append("declared properties: ").append(groupedNumber(declaredCount));
    if (!byKind.empty()) out.buffer().append(" (").append(byKind).append(")");
    out.put('\n');
  }
  if (!anyDatabase) return;
  bool heading = false;
  auto unnamed = [&](std::string_view what, std::string_view name, std::string_view detail) {
    if (!heading) out.put("nothing refers to:\n");
    heading = true;
    std::string& line = out.buffer();
    line.append("  ").append(what).push_back(' ');
    appendShownText(line, name);
    line.append(detail).push_back('\n');
    out.spill();
  };
  for (const DumpInput* input : inputs) {
    if (input->kind != FileKind::kDatabase) continue;
    for (ObjectView object : input->database.objects()) {
      if (namedObjects.contains(object.name())) continue;
      unnamed("object", object.name(), " (" + shownText(object.className()) + ")");
    }
  }
  for (const DumpInput* input : inputs) {
    if (input->kind != FileKind::kStringTable) continue;
    for (StringSectionView section : input->strings.sections()) {
      if (!namedSections.contains(section.name())) unnamed("string section", section.name(), "");
    }
  }
}

}  // namespace rpgc
