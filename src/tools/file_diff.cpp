// writeDiff: matching by name and occurrence, property by property, and the moves.
#include "tools/file_diff.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <utility>
#include <vector>

#include "tools/dump_input.h"
#include "tools/float_text.h"
#include "tools/text_escape.h"
#include "tools/text_output.h"
#include "tools/value_text.h"

namespace rpgc {

namespace {

// An item's name and how many items of that name come before it.
using NameKey = std::pair<std::string, int32_t>;

template <class NameOf>
std::vector<NameKey> keysOf(int32_t count, NameOf nameOf) {
  std::vector<NameKey> keys;
  keys.reserve(static_cast<size_t>(count));
  std::map<std::string, int32_t> seen;
  for (int32_t i = 0; i < count; ++i) {
    std::string name = nameOf(i);
    int32_t& before = seen[name];
    keys.emplace_back(std::move(name), before++);
  }
  return keys;
}

// For each item of newer, the index of the item of older with the same key, or -1.
std::vector<int32_t> match(const std::vector<NameKey>& older, const std::vector<NameKey>& newer) {
  std::map<NameKey, int32_t> index;
  for (size_t i = 0; i < older.size(); ++i) index.emplace(older[i], static_cast<int32_t>(i));
  std::vector<int32_t> matched(newer.size(), -1);
  for (size_t i = 0; i < newer.size(); ++i) {
    auto found = index.find(newer[i]);
    if (found != index.end()) matched[i] = found->second;
  }
  return matched;
}

// The items of newer (matched to older) that are out of order: those outside a longest
// run of matched items whose old indices increase.
std::vector<bool> movedItems(const std::vector<int32_t>& matched) {
  std::vector<size_t> tails;  // tails[k]: the item ending the best run of length k + 1
  std::vector<size_t> previous(matched.size(), SIZE_MAX);
  for (size_t i = 0; i < matched.size(); ++i) {
    if (matched[i] < 0) continue;
    auto place =
        std::lower_bound(tails.begin(), tails.end(), matched[i],
                         [&](size_t tail, int32_t value) { return matched[tail] < value; });
    if (place != tails.begin()) previous[i] = *(place - 1);
    if (place == tails.end()) {
      tails.push_back(i);
    } else {
      *place = i;
    }
  }
  std::vector<bool> moved(matched.size(), false);
  for (size_t i = 0; i < matched.size(); ++i) moved[i] = matched[i] >= 0;
  for (size_t i = tails.empty() ? SIZE_MAX : tails.back(); i != SIZE_MAX; i = previous[i]) {
    moved[i] = false;
  }
  return moved;
}

// A property as the diff compares it: its label (which holds its name and kind) and its
// value, both as the listing shows them.
struct ShownProperty {
  std::string label;
  std::string value;

  bool operator==(const ShownProperty&) const = default;
};

std::vector<ShownProperty> shownProperties(ObjectView object) {
  std::vector<ShownProperty> shown;
  auto add = [&](const PropertyView& property) {
    ShownProperty entry;
    appendShownLabel(entry.label, property);
    appendShownValue(entry.value, property);
    shown.push_back(std::move(entry));
  };
  bool declared = object.declaredListsMatch();
  for (PropertyView property : object.properties()) {
    if (!declared || !property.storesDeclared()) add(property);
  }
  if (declared) {
    for (PropertyView property : object.declaredProperties()) add(property);
  }
  return shown;
}

class Differ {
 public:
  explicit Differ(TextOutput& out) : out_(&out) {}

  void header(const FileHeader& older, const FileHeader& newer);
  void sections(const StringTableFile& older, const StringTableFile& newer);
  void objects(const DatabaseFile& older, const DatabaseFile& newer);
  bool differs() const { return differs_; }

 private:
  void objectChanges(const std::string& place, ObjectView older, ObjectView newer);
  void line(std::string_view text) {
    out_->put(text).put('\n');
    differs_ = true;
  }
  static std::string occurrence(const NameKey& key) {
    return key.second == 0 ? "" : " #" + std::to_string(key.second + 1);
  }

  TextOutput* out_;
  bool differs_ = false;
};

void Differ::header(const FileHeader& older, const FileHeader& newer) {
  auto project = [](const FileHeader& header) {
    return header.hasProjectName() ? shownText(header.projectName()) : std::string("(none)");
  };
  if (older.hasProjectName() != newer.hasProjectName() ||
      older.projectName() != newer.projectName()) {
    line("~ project " + project(older) + " -> " + project(newer));
  }
  if (std::bit_cast<uint32_t>(older.version()) != std::bit_cast<uint32_t>(newer.version())) {
    line("~ version " + shownFloatText(older.version()) + " -> " + shownFloatText(newer.version()));
  }
}

void Differ::sections(const StringTableFile& older, const StringTableFile& newer) {
  auto nameOf = [](const StringTableFile& file) {
    return [&file](int32_t i) { return std::string(file.section(i).name()); };
  };
  std::vector<NameKey> oldKeys = keysOf(older.sectionCount(), nameOf(older));
  std::vector<NameKey> newKeys = keysOf(newer.sectionCount(), nameOf(newer));
  std::vector<int32_t> matched = match(oldKeys, newKeys);
  std::vector<int32_t> oldMatched = match(newKeys, oldKeys);
  for (size_t i = 0; i < oldKeys.size(); ++i) {
    if (oldMatched[i] < 0)
      line("- string section " + shownText(oldKeys[i].first) + occurrence(oldKeys[i]));
  }
  std::vector<bool> moved = movedItems(matched);
  for (size_t i = 0; i < newKeys.size(); ++i) {
    std::string place = "string section " + shownText(newKeys[i].first) + occurrence(newKeys[i]);
    if (matched[i] < 0) {
      line("+ " + place);
      continue;
    }
    StringSectionView before = older.section(matched[i]);
    StringSectionView after = newer.section(static_cast<int32_t>(i));
    if (moved[i]) line("~ " + place + ": moved");
    if (before.random() != after.random()) {
      line("~ " + place + (after.random() ? ": not random -> RANDOM" : ": RANDOM -> not random"));
    }
    int32_t common = std::min(before.textCount(), after.textCount());
    for (int32_t k = 0; k < std::max(before.textCount(), after.textCount()); ++k) {
      std::string text = ": text " + std::to_string(k + 1) + " ";
      if (k >= common) {
        bool added = k >= before.textCount();
        std::string shown;
        appendJsonString(shown, added ? after.text(k) : before.text(k));
        line((added ? "+ " : "- ") + place + text + shown);
      } else if (before.text(k) != after.text(k)) {
        std::string shown;
        appendJsonString(shown, before.text(k));
        shown.append(" -> ");
        appendJsonString(shown, after.text(k));
        line("~ " + place + text + shown);
      }
    }
  }
}

void Differ::objects(const DatabaseFile& older, const DatabaseFile& newer) {
  auto nameOf = [](const DatabaseFile& file) {
    return [&file](int32_t i) { return std::string(file.object(i).name()); };
  };
  std::vector<NameKey> oldKeys = keysOf(older.objectCount(), nameOf(older));
  std::vector<NameKey> newKeys = keysOf(newer.objectCount(), nameOf(newer));
  std::vector<int32_t> matched = match(oldKeys, newKeys);
  std::vector<int32_t> oldMatched = match(newKeys, oldKeys);
  auto classOf = [](ObjectView object) { return " (" + shownText(object.className()) + ")"; };
  for (size_t i = 0; i < oldKeys.size(); ++i) {
    if (oldMatched[i] >= 0) continue;
    line("- object " + shownText(oldKeys[i].first) + occurrence(oldKeys[i]) +
         classOf(older.object(static_cast<int32_t>(i))));
  }
  std::vector<bool> moved = movedItems(matched);
  for (size_t i = 0; i < newKeys.size(); ++i) {
    std::string place = "object " + shownText(newKeys[i].first) + occurrence(newKeys[i]);
    ObjectView after = newer.object(static_cast<int32_t>(i));
    if (matched[i] < 0) {
      line("+ " + place + classOf(after));
      continue;
    }
    if (moved[i]) line("~ " + place + ": moved");
    objectChanges(place, older.object(matched[i]), after);
  }
}

void Differ::objectChanges(const std::string& place, ObjectView older, ObjectView newer) {
  if (older.className() != newer.className()) {
    line("~ " + place + ": class " + shownText(older.className()) + " -> " +
         shownText(newer.className()));
  }
  if (older.flags() != newer.flags()) {
    line("~ " + place + ": flags " + std::to_string(older.flags()) + " -> " +
         std::to_string(newer.flags()));
  }
  std::vector<ShownProperty> before = shownProperties(older);
  std::vector<ShownProperty> after = shownProperties(newer);
  // Most objects of two builds are alike: no need to match their properties by name.
  if (before == after) return;
  auto labels = [](const std::vector<ShownProperty>& shown) {
    return [&shown](int32_t i) { return shown[static_cast<size_t>(i)].label; };
  };
  std::vector<NameKey> oldKeys = keysOf(static_cast<int32_t>(before.size()), labels(before));
  std::vector<NameKey> newKeys = keysOf(static_cast<int32_t>(after.size()), labels(after));
  std::vector<int32_t> matched = match(oldKeys, newKeys);
  std::vector<int32_t> oldMatched = match(newKeys, oldKeys);
  for (size_t i = 0; i < before.size(); ++i) {
    if (oldMatched[i] < 0) {
      line("- " + place + ": " + before[i].label + before[i].value + occurrence(oldKeys[i]));
    }
  }
  for (size_t i = 0; i < after.size(); ++i) {
    if (matched[i] < 0) {
      line("+ " + place + ": " + after[i].label + after[i].value + occurrence(newKeys[i]));
    } else if (const ShownProperty& old = before[static_cast<size_t>(matched[i])];
               old.value != after[i].value) {
      line("~ " + place + ": " + after[i].label + old.value + " -> " + after[i].value +
           occurrence(newKeys[i]));
    }
  }
}

}  // namespace

bool writeDiff(const DumpInput& older, const DumpInput& newer, TextOutput& out) {
  Differ differ(out);
  differ.header(older.header(), newer.header());
  if (older.kind == FileKind::kStringTable) {
    differ.sections(older.strings, newer.strings);
  } else {
    differ.objects(older.database, newer.database);
  }
  return differ.differs();
}

}  // namespace rpgc
