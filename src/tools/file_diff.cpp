// writeDiff: matching by name and occurrence, property by property, and the moves.
#include "tools/file_diff.h"

#include <algorithm>
#include <bit>
#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <tuple>
#include <unordered_map>
#include <utility>
#include <vector>

#include "core/utf8.h"
#include "diagnostics/text_escape.h"
#include "tools/dump_input.h"
#include "tools/escaped_output.h"
#include "tools/float_text.h"
#include "tools/text_output.h"
#include "tools/value_text.h"

namespace rpgc {

namespace {

// An item's name and how many items of that name come before it. Names are views into
// the files (objects, sections) or made of them (properties): matching copies no text.
template <class Name>
using NameKey = std::pair<Name, int32_t>;

using PropertyLabel = std::tuple<bool, PropertyKind, std::string_view>;

// Hashes of the names items are matched by, and of their keys.
struct NameHash {
  size_t operator()(std::string_view name) const { return std::hash<std::string_view>{}(name); }
  size_t operator()(const PropertyLabel& label) const {
    auto [declared, kind, name] = label;
    return (*this)(name)*31 + static_cast<size_t>(kind) * 2 + (declared ? 1 : 0);
  }
  template <class Name>
  size_t operator()(const NameKey<Name>& key) const {
    return (*this)(key.first) * 31 + static_cast<size_t>(key.second);
  }
};

template <class NameOf>
auto keysOf(int32_t count, NameOf nameOf) {
  using Name = decltype(nameOf(0));
  std::vector<NameKey<Name>> keys;
  keys.reserve(static_cast<size_t>(count));
  std::unordered_map<Name, int32_t, NameHash> seen;
  seen.reserve(static_cast<size_t>(count));
  for (int32_t i = 0; i < count; ++i) {
    Name name = nameOf(i);
    keys.emplace_back(name, seen[name]++);
  }
  return keys;
}

// For each item of newer, the index of the item of older with the same key, or -1.
template <class Name>
std::vector<int32_t> match(const std::vector<NameKey<Name>>& older,
                           const std::vector<NameKey<Name>>& newer) {
  std::unordered_map<NameKey<Name>, int32_t, NameHash> index;
  index.reserve(older.size());
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

// How the items of two files (objects or string sections) pair up. Two builds of one
// project mostly hold the same names in the same order: that is seen in one pass, and
// nothing more is built. Otherwise items are matched by name and occurrence, and the
// keys are kept for the lines.
template <class NameOf>
class ItemPairing {
 public:
  using Name = decltype(std::declval<NameOf>()(0));

  ItemPairing(int32_t oldCount, int32_t newCount, NameOf oldName, NameOf newName)
      : newCount_(newCount), newName_(newName) {
    aligned_ = oldCount == newCount;
    for (int32_t i = 0; aligned_ && i < newCount; ++i) aligned_ = oldName(i) == newName(i);
    if (aligned_) return;
    oldKeys_ = keysOf(oldCount, oldName);
    newKeys_ = keysOf(newCount, newName);
    matched_ = match(oldKeys_, newKeys_);
    oldMatched_ = match(newKeys_, oldKeys_);
    moved_ = movedItems(matched_);
  }

  /// The old item paired with new item i, or -1.
  int32_t oldOf(int32_t i) const { return aligned_ ? i : matched_[static_cast<size_t>(i)]; }
  /// Whether old item i has no new item.
  bool removed(int32_t i) const { return !aligned_ && oldMatched_[static_cast<size_t>(i)] < 0; }
  bool moved(int32_t i) const { return !aligned_ && moved_[static_cast<size_t>(i)]; }
  const NameKey<Name>& oldKey(int32_t i) const { return oldKeys_[static_cast<size_t>(i)]; }
  /// The key of new item i: made for all items the first time one is asked for.
  const NameKey<Name>& newKey(int32_t i) {
    if (newKeys_.empty()) newKeys_ = keysOf(newCount_, newName_);
    return newKeys_[static_cast<size_t>(i)];
  }

 private:
  int32_t newCount_;
  NameOf newName_;
  bool aligned_ = true;
  std::vector<NameKey<Name>> oldKeys_;
  std::vector<NameKey<Name>> newKeys_;
  std::vector<int32_t> matched_;
  std::vector<int32_t> oldMatched_;
  std::vector<bool> moved_;
};

// The properties of an object as the listing shows them: those of the record, then the
// declared ones instead of the lists that store them (when those pair up).
void shownProperties(ObjectView object, std::vector<PropertyView>& shown) {
  shown.clear();
  bool declared = object.declaredListsMatch();
  for (PropertyView property : object.properties()) {
    if (!declared || !property.storesDeclared()) shown.push_back(property);
  }
  if (declared) {
    for (PropertyView property : object.declaredProperties()) shown.push_back(property);
  }
}

// Whether two properties have one label: the same name, kind and place (record or
// declared).
bool sameLabel(const PropertyView& a, const PropertyView& b) {
  return a.isDeclared() == b.isDeclared() && a.kind() == b.kind() && a.name() == b.name();
}

template <class List, class Same>
int32_t firstDifferentElement(const List& a, const List& b, Same same) {
  int32_t common = std::min(a.size(), b.size());
  for (int32_t i = 0; i < common; ++i) {
    if (!same(a[i], b[i])) return i;
  }
  return a.size() == b.size() ? -1 : common;
}

// Where the stored values of two properties first differ (the element of a list, 0 for
// a single value), or -1 when they are the same: values that the listing shows alike,
// compared without showing them.
int32_t firstDifference(const PropertyView& a, const PropertyView& b) {
  if (a.kind() != b.kind()) return 0;
  auto sameReal = [](float x, float y) {
    return std::bit_cast<uint32_t>(x) == std::bit_cast<uint32_t>(y);
  };
  auto sameReference = [](const ObjectReference& x, const ObjectReference& y) {
    return x.present == y.present && (!x.present || (x.instance == y.instance && x.name == y.name));
  };
  auto same = [](auto x, auto y) { return x == y; };
  auto single = [](bool equal) { return equal ? -1 : 0; };
  switch (a.kind()) {
    case PropertyKind::kInteger:
      return single(a.integer() == b.integer());
    case PropertyKind::kFloat:  // an item's range shows both ends
      return single(sameReal(a.real(), b.real()) && sameReal(a.maximum(), b.maximum()));
    case PropertyKind::kAtom:
      return single(a.atom() == b.atom());
    case PropertyKind::kReference:
      return single(sameReference(a.reference(), b.reference()));
    case PropertyKind::kIntegerList:
      return firstDifferentElement(a.integers(), b.integers(), same);
    case PropertyKind::kFloatList:
      return firstDifferentElement(a.floats(), b.floats(), sameReal);
    case PropertyKind::kAtomList:
      return firstDifferentElement(a.atoms(), b.atoms(), same);
    case PropertyKind::kReferenceList:
      return firstDifferentElement(a.references(), b.references(), sameReference);
    case PropertyKind::kNone:
      break;
  }
  return -1;  // no value: both show "-"
}

bool sameProperties(const std::vector<PropertyView>& a, const std::vector<PropertyView>& b) {
  if (a.size() != b.size()) return false;
  for (size_t i = 0; i < a.size(); ++i) {
    if (!sameLabel(a[i], b[i]) || firstDifference(a[i], b[i]) >= 0) return false;
  }
  return true;
}

std::string labelOf(const PropertyView& property) {
  std::string label;
  appendShownLabel(label, property);
  return label;
}

// A text of a diff line: a JSON string, whole up to kShortValueBytes bytes; a longer one
// from about first on, cut between characters, with "…" where it is cut and its length:
// …"the rest of it"… (5,000 bytes).
std::string shortText(std::string_view text, size_t first) {
  std::string shown;
  if (text.size() <= kShortValueBytes) {
    appendJsonString(shown, text);
    return shown;
  }
  size_t from = characterStart(text, std::min(first, text.size()));
  size_t to = characterStart(text, std::min(text.size(), from + kShortValueBytes));
  if (from > 0) shown.append("\u2026");
  appendJsonString(shown, text.substr(from, to - from));
  if (to < text.size()) shown.append("\u2026");
  shown.append(" (").append(groupedNumber(static_cast<int64_t>(text.size()))).append(" bytes)");
  return shown;
}

// Where two texts first differ.
size_t firstDifferentByte(std::string_view a, std::string_view b) {
  size_t common = std::min(a.size(), b.size());
  return static_cast<size_t>(
      std::mismatch(a.begin(), a.begin() + static_cast<ptrdiff_t>(common), b.begin()).first -
      a.begin());
}

class Differ {
 public:
  explicit Differ(TextOutput& out) : out_(&out) {}

  void header(const FileHeader& older, const FileHeader& newer);
  void sections(const StringTableFile& older, const StringTableFile& newer);
  void objects(const DatabaseFile& older, const DatabaseFile& newer);
  bool differs() const { return differs_; }

 private:
  template <class Place>
  void objectChanges(const Place& place, ObjectView older, ObjectView newer);
  void line(std::string_view text) {
    out_->put(text).put('\n');
    differs_ = true;
  }
  template <class Name>
  static std::string occurrence(const NameKey<Name>& key) {
    return key.second == 0 ? "" : " #" + std::to_string(key.second + 1);
  }

  TextOutput* out_;
  bool differs_ = false;
  // The properties of the two objects compared, reused from object to object.
  std::vector<PropertyView> before_;
  std::vector<PropertyView> after_;
};

void Differ::header(const FileHeader& older, const FileHeader& newer) {
  size_t first = firstDifferentByte(older.projectName(), newer.projectName());
  auto project = [first](const FileHeader& header) {
    if (!header.hasProjectName()) return std::string("(none)");
    std::string_view name = header.projectName();
    return name.size() <= kShortValueBytes ? shownText(name) : shortText(name, first);
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
    return [&file](int32_t i) { return file.section(i).name(); };
  };
  ItemPairing pairing(older.sectionCount(), newer.sectionCount(), nameOf(older), nameOf(newer));
  for (int32_t i = 0; i < older.sectionCount(); ++i) {
    if (pairing.removed(i)) {
      line("- string section " + shownText(pairing.oldKey(i).first) +
           occurrence(pairing.oldKey(i)));
    }
  }
  for (int32_t i = 0; i < newer.sectionCount(); ++i) {
    // The place is written only for a line: most sections have none.
    auto place = [&] {
      return "string section " + shownText(pairing.newKey(i).first) + occurrence(pairing.newKey(i));
    };
    int32_t old = pairing.oldOf(i);
    if (old < 0) {
      line("+ " + place());
      continue;
    }
    StringSectionView before = older.section(old);
    StringSectionView after = newer.section(i);
    if (pairing.moved(i)) line("~ " + place() + ": moved");
    if (before.random() != after.random()) {
      line("~ " + place() + (after.random() ? ": not random -> RANDOM" : ": RANDOM -> not random"));
    }
    int32_t common = std::min(before.textCount(), after.textCount());
    for (int32_t k = 0; k < std::max(before.textCount(), after.textCount()); ++k) {
      if (k < common && before.text(k) == after.text(k)) continue;
      std::string text = ": text " + std::to_string(k + 1) + " ";
      if (k >= common) {
        bool added = k >= before.textCount();
        line((added ? "+ " : "- ") + place() + text +
             shortText(added ? after.text(k) : before.text(k), 0));
      } else {
        size_t first = firstDifferentByte(before.text(k), after.text(k));
        line("~ " + place() + text + shortText(before.text(k), first) + " -> " +
             shortText(after.text(k), first));
      }
    }
  }
}

void Differ::objects(const DatabaseFile& older, const DatabaseFile& newer) {
  auto nameOf = [](const DatabaseFile& file) {
    return [&file](int32_t i) { return file.object(i).name(); };
  };
  ItemPairing pairing(older.objectCount(), newer.objectCount(), nameOf(older), nameOf(newer));
  auto classOf = [](ObjectView object) { return " (" + shownText(object.className()) + ")"; };
  for (int32_t i = 0; i < older.objectCount(); ++i) {
    if (!pairing.removed(i)) continue;
    line("- object " + shownText(pairing.oldKey(i).first) + occurrence(pairing.oldKey(i)) +
         classOf(older.object(i)));
  }
  for (int32_t i = 0; i < newer.objectCount(); ++i) {
    // The place is written only for a line: most objects have none.
    auto place = [&] {
      return "object " + shownText(pairing.newKey(i).first) + occurrence(pairing.newKey(i));
    };
    ObjectView after = newer.object(i);
    int32_t old = pairing.oldOf(i);
    if (old < 0) {
      line("+ " + place() + classOf(after));
      continue;
    }
    if (pairing.moved(i)) line("~ " + place() + ": moved");
    objectChanges(place, older.object(old), after);
  }
}

template <class Place>
void Differ::objectChanges(const Place& place, ObjectView older, ObjectView newer) {
  if (older.className() != newer.className()) {
    line("~ " + place() + ": class " + shownText(older.className()) + " -> " +
         shownText(newer.className()));
  }
  if (older.flags() != newer.flags()) {
    line("~ " + place() + ": flags " + std::to_string(older.flags()) + " -> " +
         std::to_string(newer.flags()));
  }
  shownProperties(older, before_);
  shownProperties(newer, after_);
  // Most objects of two builds are alike: no need to match their properties by name.
  if (sameProperties(before_, after_)) return;
  const std::vector<PropertyView>& before = before_;
  const std::vector<PropertyView>& after = after_;
  // Matched by label: one name, kind and place.
  auto labels = [](const std::vector<PropertyView>& shown) {
    return [&shown](int32_t i) {
      const PropertyView& property = shown[static_cast<size_t>(i)];
      return PropertyLabel(property.isDeclared(), property.kind(), property.name());
    };
  };
  auto oldKeys = keysOf(static_cast<int32_t>(before.size()), labels(before));
  auto newKeys = keysOf(static_cast<int32_t>(after.size()), labels(after));
  std::vector<int32_t> matched = match(oldKeys, newKeys);
  std::vector<int32_t> oldMatched = match(newKeys, oldKeys);
  auto value = [](const PropertyView& property, int32_t first) {
    std::string shown;
    appendShortValue(shown, property, first);
    return shown;
  };
  for (size_t i = 0; i < before.size(); ++i) {
    if (oldMatched[i] < 0) {
      line("- " + place() + ": " + labelOf(before[i]) + value(before[i], 0) +
           occurrence(oldKeys[i]));
    }
  }
  for (size_t i = 0; i < after.size(); ++i) {
    if (matched[i] < 0) {
      line("+ " + place() + ": " + labelOf(after[i]) + value(after[i], 0) + occurrence(newKeys[i]));
      continue;
    }
    const PropertyView& old = before[static_cast<size_t>(matched[i])];
    int32_t first = firstDifference(old, after[i]);
    if (first >= 0) {
      line("~ " + place() + ": " + labelOf(after[i]) + value(old, first) + " -> " +
           value(after[i], first) + occurrence(newKeys[i]));
    }
  }
}

}  // namespace

bool writeDiff(const DumpInput& older, const DumpInput& newer, TextOutput& out,
               bool compareHeaders) {
  Differ differ(out);
  if (compareHeaders) differ.header(older.header(), newer.header());
  if (older.kind == FileKind::kStringTable) {
    differ.sections(older.strings, newer.strings);
  } else {
    differ.objects(older.database, newer.database);
  }
  return differ.differs();
}

}  // namespace rpgc
