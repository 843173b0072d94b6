// StorageRoles: the storage lists of each class found by name, and the pairing walk.
#include "reader/declared_properties.h"

#include <algorithm>
#include <array>
#include <string_view>

#include "format/container_layout.h"
#include "format/property_tables.h"

namespace rpgc::detail {

namespace {

using format::DeclaredStorage;
using format::PropertyRow;

// Storage lists lie among the first properties of every class.
constexpr size_t kMostRows =
    std::max({std::size(format::kGenericProperties), std::size(format::kItemProperties),
              format::kCharacterProperties.size()});

// Marks, by atom index, the names of the storage lists among rows.
void findSlots(const FileImage& image, std::span<const PropertyRow> rows,
               std::vector<uint8_t>& slots) {
  slots.assign(image.atomNames.size(), 0);
  for (size_t i = 0; i < image.atomNames.size(); ++i) {
    int32_t index = format::propertyIndex(rows, image.atomNames[i]);
    if (index >= 0 && rows[static_cast<size_t>(index)].role != format::StorageRole::kOwn) {
      slots[i] = static_cast<uint8_t>(index + 1);
    }
  }
}

// The storage chunks of one object, found by property index.
class StorageChunks {
 public:
  StorageChunks(const FileImage& image, std::span<const PropertyRow> rows)
      : image_(&image), rows_(rows) {
    found_.fill(-1);
    positions_.fill(-1);
  }

  // Offers the chunk at position of the record's chunks, whose name is storage list index.
  void offer(int32_t chunk, int32_t position, int32_t index) {
    auto slot = static_cast<size_t>(index);
    if (image_->word(chunk + format::kPropertyKind) != static_cast<int32_t>(rows_[slot].kind)) {
      return;
    }
    found_[slot] = chunk;  // the last wins
    positions_[slot] = position;
  }
  // Marks the lists of storage as the storage of declared properties.
  void markUsed(std::span<uint8_t> storesDeclared, const DeclaredStorage& storage) const {
    for (int32_t index : {storage.names, storage.counts, storage.values, storage.maxima}) {
      int32_t position = index < 0 ? -1 : positions_[static_cast<size_t>(index)];
      if (position >= 0) storesDeclared[static_cast<size_t>(position)] = 1;
    }
  }
  int32_t length(int32_t index) const {
    int32_t chunk = found_[static_cast<size_t>(index)];
    return chunk < 0 ? 0 : image_->word(chunk + format::kListCount);
  }
  // The file offset of element k of list index.
  int32_t element(int32_t index, int32_t k) const {
    return found_[static_cast<size_t>(index)] + format::kListElements + format::kWordBytes * k;
  }

 private:
  const FileImage* image_;
  std::span<const PropertyRow> rows_;
  std::array<int32_t, kMostRows> found_;
  std::array<int32_t, kMostRows> positions_;
};

// Names paired with one value each.
bool pairSingles(const StorageChunks& lists, const DeclaredStorage& storage,
                 std::vector<DeclaredEntry>& declared, const FileImage& image) {
  int32_t names = lists.length(storage.names);
  int32_t values = lists.length(storage.values);
  for (int32_t k = 0; k < std::min(names, values); ++k) {
    declared.push_back({image.word(lists.element(storage.names, k)),
                        static_cast<PropertyKind>(storage.kind), lists.element(storage.values, k),
                        1, -1});
  }
  return names == values;
}

// Names paired with a count each, their values one list after another.
bool pairLists(const StorageChunks& lists, const DeclaredStorage& storage,
               std::vector<DeclaredEntry>& declared, const FileImage& image) {
  int32_t names = lists.length(storage.names);
  int32_t counts = lists.length(storage.counts);
  int32_t values = lists.length(storage.values);
  int32_t used = 0;
  for (int32_t k = 0; k < std::min(names, counts); ++k) {
    int32_t count = image.word(lists.element(storage.counts, k));
    if (count < 0 || count > values - used) return false;
    declared.push_back({image.word(lists.element(storage.names, k)),
                        static_cast<PropertyKind>(storage.kind),
                        lists.element(storage.values, used), count, -1});
    used += count;
  }
  return names == counts && used == values;
}

// Names paired with a minimum and a maximum each.
bool pairRanges(const StorageChunks& lists, const DeclaredStorage& storage,
                std::vector<DeclaredEntry>& declared, const FileImage& image) {
  int32_t names = lists.length(storage.names);
  int32_t minima = lists.length(storage.values);
  int32_t maxima = lists.length(storage.maxima);
  for (int32_t k = 0; k < std::min({names, minima, maxima}); ++k) {
    declared.push_back({image.word(lists.element(storage.names, k)),
                        static_cast<PropertyKind>(storage.kind), lists.element(storage.values, k),
                        1, lists.element(storage.maxima, k)});
  }
  return names == minima && names == maxima;
}

}  // namespace

StorageRoles::StorageRoles(const FileImage& image) : image_(&image) {
  findSlots(image, format::kGenericProperties, genericSlot_);
  findSlots(image, format::kItemProperties, itemSlot_);
  size_t count = image.atomNames.size();
  classOf_.assign(count, static_cast<uint8_t>(Class::kOther));
  for (size_t i = 0; i < count; ++i) {
    std::string_view name = image.atomNames[i];
    Class named = name == format::kGenericClass.name     ? Class::kGeneric
                  : name == format::kItemClass.name      ? Class::kItem
                  : name == format::kCharacterClass.name ? Class::kCharacter
                                                         : Class::kOther;
    classOf_[i] = static_cast<uint8_t>(named);
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
  // A character's storage lists are those of a generic object, at the same indices.
  std::span<const PropertyRow> rows =
      isItem ? std::span<const PropertyRow>(format::kItemProperties) : format::kGenericProperties;
  std::span<const DeclaredStorage> storages =
      isItem ? std::span<const DeclaredStorage>(format::kItemStorages) : format::kGenericStorages;
  const std::vector<uint8_t>& slots = isItem ? itemSlot_ : genericSlot_;
  StorageChunks lists(*image_, rows);
  for (size_t i = 0; i < chunks.size(); ++i) {
    int32_t nameIndex = image_->word(chunks[i] + format::kChunkTag);
    if (nameIndex < 0 || static_cast<size_t>(nameIndex) >= slots.size()) continue;
    if (uint8_t slot = slots[static_cast<size_t>(nameIndex)]; slot != 0) {
      lists.offer(chunks[i], static_cast<int32_t>(i), slot - 1);
    }
  }
  bool match = true;
  for (const DeclaredStorage& storage : storages) {
    bool paired = storage.maxima >= 0   ? pairRanges(lists, storage, declared, *image_)
                  : storage.counts >= 0 ? pairLists(lists, storage, declared, *image_)
                                        : pairSingles(lists, storage, declared, *image_);
    match = paired && match;
    lists.markUsed(storesDeclared, storage);
  }
  return match;
}

}  // namespace rpgc::detail
