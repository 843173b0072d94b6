// pairDeclaredProperties: which lists store what, and the pairing walk.
#include "reader/declared_properties.h"

#include <algorithm>
#include <array>
#include <initializer_list>
#include <string_view>
#include <unordered_map>

#include "model/f_character.h"
#include "model/f_generic.h"
#include "model/f_item.h"

namespace rpgc::detail {

namespace {

// Storage lists by their index in the property tables of model/f_generic.cpp (shared by
// F_character) and model/f_item.cpp; the names and kinds come from those tables.
struct SingleStorage {
  int32_t names;
  int32_t values;
  PropertyKind kind;
};
struct ListStorage {
  int32_t names;
  int32_t counts;
  int32_t values;
  PropertyKind kind;
};

// ORDER: the order in which ObjectView lists declared properties.
constexpr SingleStorage kGenericSingles[] = {
    {1, 2, PropertyKind::kInteger},
    {3, 4, PropertyKind::kFloat},
    {5, 6, PropertyKind::kAtom},
    {7, 8, PropertyKind::kReference},
};
constexpr ListStorage kGenericLists[] = {
    {9, 10, 11, PropertyKind::kAtomList},
    {12, 13, 14, PropertyKind::kReferenceList},
    {15, 16, 17, PropertyKind::kIntegerList},
    {18, 19, 20, PropertyKind::kFloatList},
};
constexpr ListStorage kItemRanges = {3, 4, 5, PropertyKind::kFloat};  // names, minima, maxima
constexpr SingleStorage kItemSingles[] = {
    {6, 7, PropertyKind::kAtom},
    {8, 9, PropertyKind::kReference},
};

// The slot (property index + 1) of every property name of prototype, and the kinds.
std::unordered_map<std::string_view, uint8_t> slotsOf(GameObject& prototype,
                                                      std::array<int32_t, kMaxSlots>& kinds) {
  std::unordered_map<std::string_view, uint8_t> slots;
  for (int32_t i = 0; i < prototype.propertyCount(); ++i) {
    slots.emplace(prototype.propertyNameText(i), static_cast<uint8_t>(i + 1));
    kinds[static_cast<size_t>(i)] = static_cast<int32_t>(prototype.property(i).kind);
  }
  return slots;
}

// The storage chunks of one object, found by slot.
class StorageChunks {
 public:
  StorageChunks(const FileImage& image, const std::array<int32_t, kMaxSlots>& kinds)
      : image_(&image), kinds_(&kinds) {
    found_.fill(-1);
    positions_.fill(-1);
  }

  // Offers the chunk at position of the record's chunks.
  void offer(int32_t chunk, int32_t position, uint8_t slot) {
    if (slot == 0) return;
    size_t index = slot - 1u;
    if (image_->word(chunk + 12) != (*kinds_)[index]) return;
    found_[index] = chunk;  // the last wins
    positions_[index] = position;
  }
  // Marks the lists of these indices as the storage of declared properties.
  void markUsed(std::span<uint8_t> storesDeclared, std::initializer_list<int32_t> indices) const {
    for (int32_t index : indices) {
      int32_t position = positions_[static_cast<size_t>(index)];
      if (position >= 0) storesDeclared[static_cast<size_t>(position)] = 1;
    }
  }
  int32_t length(int32_t index) const {
    int32_t chunk = found_[static_cast<size_t>(index)];
    return chunk < 0 ? 0 : image_->word(chunk + 16);
  }
  // The file offset of element k of list index.
  int32_t element(int32_t index, int32_t k) const {
    return found_[static_cast<size_t>(index)] + 20 + 4 * k;
  }

 private:
  const FileImage* image_;
  const std::array<int32_t, kMaxSlots>* kinds_;
  std::array<int32_t, kMaxSlots> found_;
  std::array<int32_t, kMaxSlots> positions_;
};

bool pairSingles(const StorageChunks& lists, const SingleStorage& storage,
                 std::vector<DeclaredEntry>& declared, const FileImage& image) {
  int32_t names = lists.length(storage.names);
  int32_t values = lists.length(storage.values);
  for (int32_t k = 0; k < std::min(names, values); ++k) {
    declared.push_back({image.word(lists.element(storage.names, k)), storage.kind,
                        lists.element(storage.values, k), 1, -1});
  }
  return names == values;
}

bool pairLists(const StorageChunks& lists, const ListStorage& storage,
               std::vector<DeclaredEntry>& declared, const FileImage& image) {
  int32_t names = lists.length(storage.names);
  int32_t counts = lists.length(storage.counts);
  int32_t values = lists.length(storage.values);
  int32_t used = 0;
  for (int32_t k = 0; k < std::min(names, counts); ++k) {
    int32_t count = image.word(lists.element(storage.counts, k));
    if (count < 0 || count > values - used) return false;
    declared.push_back({image.word(lists.element(storage.names, k)), storage.kind,
                        lists.element(storage.values, used), count, -1});
    used += count;
  }
  return names == counts && used == values;
}

bool pairRanges(const StorageChunks& lists, std::vector<DeclaredEntry>& declared,
                const FileImage& image) {
  int32_t names = lists.length(kItemRanges.names);
  int32_t minima = lists.length(kItemRanges.counts);
  int32_t maxima = lists.length(kItemRanges.values);
  for (int32_t k = 0; k < std::min({names, minima, maxima}); ++k) {
    declared.push_back({image.word(lists.element(kItemRanges.names, k)), PropertyKind::kFloat,
                        lists.element(kItemRanges.counts, k), 1,
                        lists.element(kItemRanges.values, k)});
  }
  return names == minima && names == maxima;
}

}  // namespace

StorageRoles::StorageRoles(const FileImage& image) : image_(&image) {
  F_generic generic;
  F_item item;
  F_character character;
  std::unordered_map<std::string_view, uint8_t> genericSlots = slotsOf(generic, genericKinds_);
  std::unordered_map<std::string_view, uint8_t> itemSlots = slotsOf(item, itemKinds_);
  size_t count = image.atomNames.size();
  genericSlot_.assign(count, 0);
  itemSlot_.assign(count, 0);
  classOf_.assign(count, static_cast<uint8_t>(Class::kOther));
  for (size_t i = 0; i < count; ++i) {
    std::string_view name = image.atomNames[i];
    if (auto slot = genericSlots.find(name); slot != genericSlots.end()) {
      genericSlot_[i] = slot->second;
    }
    if (auto slot = itemSlots.find(name); slot != itemSlots.end()) itemSlot_[i] = slot->second;
    if (name == generic.classNameText()) classOf_[i] = static_cast<uint8_t>(Class::kGeneric);
    if (name == item.classNameText()) classOf_[i] = static_cast<uint8_t>(Class::kItem);
    if (name == character.classNameText()) {
      classOf_[i] = static_cast<uint8_t>(Class::kCharacter);
    }
  }
}

StorageRoles::Class StorageRoles::classOf(int32_t classIndex) const {
  if (classIndex < 0 || static_cast<size_t>(classIndex) >= classOf_.size()) return Class::kOther;
  return static_cast<Class>(classOf_[static_cast<size_t>(classIndex)]);
}

bool StorageRoles::pair(Class objectClass, std::span<const int32_t> chunks,
                        std::span<uint8_t> storesDeclared,
                        std::vector<DeclaredEntry>& declared) const {
  if (objectClass == Class::kOther) return true;
  bool isItem = objectClass == Class::kItem;
  StorageChunks lists(*image_, isItem ? itemKinds_ : genericKinds_);
  const std::vector<uint8_t>& slots = isItem ? itemSlot_ : genericSlot_;
  for (size_t i = 0; i < chunks.size(); ++i) {
    int32_t nameIndex = image_->word(chunks[i] + 4);
    if (nameIndex >= 0 && static_cast<size_t>(nameIndex) < slots.size()) {
      lists.offer(chunks[i], static_cast<int32_t>(i), slots[static_cast<size_t>(nameIndex)]);
    }
  }
  bool match = true;
  if (isItem) {
    match = pairRanges(lists, declared, *image_);
    lists.markUsed(storesDeclared, {kItemRanges.names, kItemRanges.counts, kItemRanges.values});
    for (const SingleStorage& storage : kItemSingles) {
      match = pairSingles(lists, storage, declared, *image_) && match;
      lists.markUsed(storesDeclared, {storage.names, storage.values});
    }
    return match;
  }
  for (const SingleStorage& storage : kGenericSingles) {
    match = pairSingles(lists, storage, declared, *image_) && match;
    lists.markUsed(storesDeclared, {storage.names, storage.values});
  }
  for (const ListStorage& storage : kGenericLists) {
    match = pairLists(lists, storage, declared, *image_) && match;
    lists.markUsed(storesDeclared, {storage.names, storage.counts, storage.values});
  }
  return match;
}

}  // namespace rpgc::detail
