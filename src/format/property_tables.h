// The property tables of the three classes a database holds (F_generic, F_item,
// F_character): for each property, in record order, its name (the chunk's tag), the kind
// of its value (the chunk's word 2) and its storage role.
//
// Storage roles. Besides fields of their own, the classes keep the properties a designer
// declares in a block (INTEGER Health = 30, ATOMS Traits = pack nocturnal, an item's
// FLOAT Damage = 4 to 9) in parallel lists: one list of names per declared kind, paired
// by position with one value each (IntegerPropertyName, IntegerPropertyValue), or with a
// count each and one list of every value (LAtomPropertyName, LAtomPropertyCount,
// LAtomPropertyValues), or, for an item's ranges, with a minimum and a maximum each
// (FloatPropertyName, FloatPropertyMin, FloatPropertyMax). A row's role says which of
// these a list is and the kind of the declared properties it stores. The compiler's
// templates, its parsers and the reader all take their layouts from here.
#ifndef RPGC_FORMAT_PROPERTY_TABLES_H_
#define RPGC_FORMAT_PROPERTY_TABLES_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>

#include "format/value_kind.h"

namespace rpgc::format {

enum class StorageRole : uint8_t {
  kOwn,     // a field of its own (Type, STR_Desc, WeaponChoice, ...)
  kNames,   // the names of the declared properties of one kind
  kCounts,  // the element count of each declared list
  kValues,  // one value per name, every list's elements one after another, or the minima
  kMaxima,  // the maxima of an item's declared ranges
};

struct PropertyRow {
  std::string_view name;  // from a literal, so name.data() ends with a zero byte
  ValueKind kind;
  StorageRole role = StorageRole::kOwn;
  ValueKind declares = ValueKind::kNone;  // a storage list: the kind of what it stores
};

namespace detail {

using K = ValueKind;
using R = StorageRole;

// ORDER: record order. F_character's table starts with these rows.
inline constexpr PropertyRow kGenericProperties[] = {
    {"Type", K::kAtom},
    {"IntegerPropertyName", K::kAtomList, R::kNames, K::kInteger},
    {"IntegerPropertyValue", K::kIntegerList, R::kValues, K::kInteger},
    {"FloatPropertyName", K::kAtomList, R::kNames, K::kFloat},
    {"FloatPropertyValue", K::kFloatList, R::kValues, K::kFloat},
    {"AtomPropertyName", K::kAtomList, R::kNames, K::kAtom},
    {"AtomPropertyValue", K::kAtomList, R::kValues, K::kAtom},
    {"ReferencePropertyName", K::kAtomList, R::kNames, K::kReference},
    {"ReferencePropertyValue", K::kAtomList, R::kValues, K::kReference},
    {"LAtomPropertyName", K::kAtomList, R::kNames, K::kAtomList},
    {"LAtomPropertyCount", K::kIntegerList, R::kCounts, K::kAtomList},
    {"LAtomPropertyValues", K::kAtomList, R::kValues, K::kAtomList},
    {"LReferencePropertyName", K::kAtomList, R::kNames, K::kReferenceList},
    {"LReferencePropertyCount", K::kIntegerList, R::kCounts, K::kReferenceList},
    {"LReferencePropertyValues", K::kAtomList, R::kValues, K::kReferenceList},
    {"LIntegerPropertyName", K::kAtomList, R::kNames, K::kIntegerList},
    {"LIntegerPropertyCount", K::kIntegerList, R::kCounts, K::kIntegerList},
    {"LIntegerPropertyValues", K::kIntegerList, R::kValues, K::kIntegerList},
    {"LFloatPropertyName", K::kAtomList, R::kNames, K::kFloatList},
    {"LFloatPropertyCount", K::kIntegerList, R::kCounts, K::kFloatList},
    {"LFloatPropertyValues", K::kFloatList, R::kValues, K::kFloatList},
};

inline constexpr PropertyRow kItemProperties[] = {
    {"STR_Desc", K::kAtomList},
    {"Type", K::kAtom},
    {"Class", K::kAtom},
    {"FloatPropertyName", K::kAtomList, R::kNames, K::kFloat},
    {"FloatPropertyMin", K::kFloatList, R::kValues, K::kFloat},
    {"FloatPropertyMax", K::kFloatList, R::kMaxima, K::kFloat},
    {"AtomPropertyName", K::kAtomList, R::kNames, K::kAtom},
    {"AtomPropertyValue", K::kAtomList, R::kValues, K::kAtom},
    {"ReferencePropertyName", K::kAtomList, R::kNames, K::kReference},
    {"ReferencePropertyValue", K::kAtomList, R::kValues, K::kReference},
    {"ModNames", K::kAtomList},
    {"ModFactors", K::kFloatList},
    {"Materials", K::kAtomList},
    {"EffectMacro_0", K::kAtomList},
    {"EffectMacro_1", K::kAtomList},
    {"EffectMacro_2", K::kAtomList},
};

/// F_character's rows after those of F_generic.
inline constexpr PropertyRow kCharacterOwnProperties[] = {
    {"WeaponChoice", K::kAtomList},
    {"ArmourChoice", K::kAtomList},
    {"ShieldChoice", K::kAtomList},
    {"HelmetChoice", K::kAtomList},
    {"BootsChoice", K::kAtomList},
    {"GlovesChoice", K::kAtomList},
    {"EquipmentChoice", K::kAtomList},
    {"InventoryChoice", K::kAtomList},
    {"InventoryBonus", K::kAtomList},
    {"AbilityChoice", K::kAtomList},
    {"AbilityLevel", K::kIntegerList},
    {"AbilityProficiency", K::kFloatList},
    {"Puppet", K::kAtom},
    {"Role", K::kAtom},
    {"ClassChoice", K::kAtomList},
    {"RankChoice", K::kAtomList},
    {"KnowledgeItem", K::kAtomList},
    {"KnowledgeDesc", K::kInteger},
    {"WayptLocations", K::kAtomList},
    {"WayptConditions", K::kAtomList},
    {"WayptTimeFlags", K::kIntegerList},
    {"WayptRoles", K::kAtomList},
    {"WayptSpots", K::kAtomList},
    {"CrowdMin", K::kInteger},
    {"CrowdMax", K::kInteger},
    {"CrowdMembers", K::kAtomList},
};

template <size_t A, size_t B>
constexpr std::array<PropertyRow, A + B> concatenated(const PropertyRow (&first)[A],
                                                      const PropertyRow (&second)[B]) {
  std::array<PropertyRow, A + B> rows{};
  for (size_t i = 0; i < A; ++i) rows[i] = first[i];
  for (size_t i = 0; i < B; ++i) rows[A + i] = second[i];
  return rows;
}

}  // namespace detail

using detail::kCharacterOwnProperties;
using detail::kGenericProperties;
using detail::kItemProperties;

/// Every row of F_character, F_generic's first.
inline constexpr auto kCharacterProperties =
    detail::concatenated(kGenericProperties, kCharacterOwnProperties);

static_assert(std::size(kGenericProperties) == 21);
static_assert(std::size(kItemProperties) == 16);
static_assert(std::size(kCharacterProperties) == 47);

/// A class: the name its records store, and its property table.
struct ClassLayout {
  std::string_view name;
  std::span<const PropertyRow> properties;
};

inline constexpr ClassLayout kGenericClass{"F_generic", kGenericProperties};
inline constexpr ClassLayout kItemClass{"F_item", kItemProperties};
inline constexpr ClassLayout kCharacterClass{"F_character", kCharacterProperties};

/// The index of the property called name, or -1.
constexpr int32_t propertyIndex(std::span<const PropertyRow> rows, std::string_view name) {
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].name == name) return static_cast<int32_t>(i);
  }
  return -1;
}

/// Where the declared properties of one kind are stored: the property indices of the
/// lists of the roles, -1 for a role the storage has not.
struct DeclaredStorage {
  ValueKind kind = ValueKind::kNone;  // of the declared properties; kNone: no storage
  int32_t names = -1;
  int32_t counts = -1;  // declared lists
  int32_t values = -1;  // the minima of an item's ranges
  int32_t maxima = -1;  // an item's ranges

  friend constexpr bool operator==(const DeclaredStorage&, const DeclaredStorage&) = default;
};

/// The storage of the declared properties of kind among rows (kind kNone when none).
constexpr DeclaredStorage declaredStorage(std::span<const PropertyRow> rows, ValueKind kind) {
  DeclaredStorage storage;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].role == StorageRole::kOwn || rows[i].declares != kind) continue;
    auto index = static_cast<int32_t>(i);
    storage.kind = kind;
    switch (rows[i].role) {
      case StorageRole::kNames:
        storage.names = index;
        break;
      case StorageRole::kCounts:
        storage.counts = index;
        break;
      case StorageRole::kValues:
        storage.values = index;
        break;
      case StorageRole::kMaxima:
        storage.maxima = index;
        break;
      case StorageRole::kOwn:
        break;
    }
  }
  return storage;
}

/// The storages of rows in the order of their name lists: the order in which a reader
/// lists declared properties.
template <size_t N>
constexpr std::array<DeclaredStorage, N> declaredStorages(std::span<const PropertyRow> rows) {
  std::array<DeclaredStorage, N> storages{};
  size_t found = 0;
  for (const PropertyRow& row : rows) {
    if (row.role == StorageRole::kNames && found < N) {
      storages[found++] = declaredStorage(rows, row.declares);
    }
  }
  return storages;
}

inline constexpr auto kGenericStorages = declaredStorages<8>(kGenericProperties);
inline constexpr auto kItemStorages = declaredStorages<3>(kItemProperties);

namespace detail {

// The kind of the list that holds the values of declared properties of kind: names of
// targets for references, the elements for lists.
constexpr ValueKind valueListKind(ValueKind declared) {
  switch (declared) {
    case K::kInteger:
    case K::kIntegerList:
      return K::kIntegerList;
    case K::kFloat:
    case K::kFloatList:
      return K::kFloatList;
    case K::kAtom:
    case K::kReference:
    case K::kAtomList:
    case K::kReferenceList:
      return K::kAtomList;
    case K::kNone:
      break;
  }
  return K::kNone;
}

// Whether every storage of rows is whole and typed as its role says: a name list of atoms,
// a value list of the right kind, counts for lists and for nothing else, maxima only
// beside minima of floats. Every storage list belongs to exactly one storage.
constexpr bool storagesAreSound(std::span<const PropertyRow> rows, size_t storageCount) {
  size_t names = 0;
  size_t lists = 0;
  for (const PropertyRow& row : rows) {
    if (row.role == R::kNames) ++names;
    if (row.role != R::kOwn) ++lists;
    if (row.role == R::kOwn) continue;
    DeclaredStorage storage = declaredStorage(rows, row.declares);
    if (storage.names < 0 || storage.values < 0) return false;
    if (rows[static_cast<size_t>(storage.names)].kind != K::kAtomList) return false;
    if (rows[static_cast<size_t>(storage.values)].kind != valueListKind(storage.kind)) {
      return false;
    }
    if ((storage.counts >= 0) != isList(storage.kind)) return false;
    if (storage.counts >= 0 && rows[static_cast<size_t>(storage.counts)].kind != K::kIntegerList) {
      return false;
    }
    if (storage.maxima >= 0 && (storage.kind != K::kFloat ||
                                rows[static_cast<size_t>(storage.maxima)].kind != K::kFloatList)) {
      return false;
    }
  }
  size_t members = 0;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (rows[i].role == R::kNames) {
      DeclaredStorage storage = declaredStorage(rows, rows[i].declares);
      members += 2 + (storage.counts >= 0 ? 1 : 0) + (storage.maxima >= 0 ? 1 : 0);
    }
  }
  return names == storageCount && members == lists;
}

}  // namespace detail

static_assert(detail::storagesAreSound(kGenericProperties, kGenericStorages.size()));
static_assert(detail::storagesAreSound(kItemProperties, kItemStorages.size()));
// A character stores its declared properties as a generic object does, at the same indices.
static_assert(detail::storagesAreSound(kCharacterProperties, kGenericStorages.size()));
static_assert(declaredStorages<8>(kCharacterProperties) == kGenericStorages);

}  // namespace rpgc::format

#endif  // RPGC_FORMAT_PROPERTY_TABLES_H_
