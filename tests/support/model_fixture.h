// Helpers for the object model tests: the property tables of the three templates as the
// database format defines them, an expected-bytes builder for object records, and a test-only
// class holding one property of every value kind.
#ifndef RPGC_TESTS_SUPPORT_MODEL_FIXTURE_H_
#define RPGC_TESTS_SUPPORT_MODEL_FIXTURE_H_

#include <gtest/gtest.h>

#include <array>
#include <cstddef>
#include <cstdint>
#include <map>
#include <string>
#include <string_view>
#include <vector>

#include "core/atom_table.h"
#include "model/game_object.h"
#include "model/property_ref.h"
#include "support/format_bytes.h"

namespace rpgc::test {

/// One row of a template's property table: the name written as the chunk tag, and the kind.
struct PropertyRow {
  const char* name;
  ValueKind kind;
};

// The tables are written out here from the format's definition, independently of
// src/model, so that a row moved, renamed or retyped there shows up as a failure.
inline constexpr PropertyRow kGenericRows[] = {
    {"Type", ValueKind::kAtom},
    {"IntegerPropertyName", ValueKind::kAtomList},
    {"IntegerPropertyValue", ValueKind::kIntegerList},
    {"FloatPropertyName", ValueKind::kAtomList},
    {"FloatPropertyValue", ValueKind::kFloatList},
    {"AtomPropertyName", ValueKind::kAtomList},
    {"AtomPropertyValue", ValueKind::kAtomList},
    {"ReferencePropertyName", ValueKind::kAtomList},
    {"ReferencePropertyValue", ValueKind::kAtomList},
    {"LAtomPropertyName", ValueKind::kAtomList},
    {"LAtomPropertyCount", ValueKind::kIntegerList},
    {"LAtomPropertyValues", ValueKind::kAtomList},
    {"LReferencePropertyName", ValueKind::kAtomList},
    {"LReferencePropertyCount", ValueKind::kIntegerList},
    {"LReferencePropertyValues", ValueKind::kAtomList},
    {"LIntegerPropertyName", ValueKind::kAtomList},
    {"LIntegerPropertyCount", ValueKind::kIntegerList},
    {"LIntegerPropertyValues", ValueKind::kIntegerList},
    {"LFloatPropertyName", ValueKind::kAtomList},
    {"LFloatPropertyCount", ValueKind::kIntegerList},
    {"LFloatPropertyValues", ValueKind::kFloatList},
};

inline constexpr PropertyRow kItemRows[] = {
    {"STR_Desc", ValueKind::kAtomList},
    {"Type", ValueKind::kAtom},
    {"Class", ValueKind::kAtom},
    {"FloatPropertyName", ValueKind::kAtomList},
    {"FloatPropertyMin", ValueKind::kFloatList},
    {"FloatPropertyMax", ValueKind::kFloatList},
    {"AtomPropertyName", ValueKind::kAtomList},
    {"AtomPropertyValue", ValueKind::kAtomList},
    {"ReferencePropertyName", ValueKind::kAtomList},
    {"ReferencePropertyValue", ValueKind::kAtomList},
    {"ModNames", ValueKind::kAtomList},
    {"ModFactors", ValueKind::kFloatList},
    {"Materials", ValueKind::kAtomList},
    {"EffectMacro_0", ValueKind::kAtomList},
    {"EffectMacro_1", ValueKind::kAtomList},
    {"EffectMacro_2", ValueKind::kAtomList},
};

/// F_character's own rows, indices 21 to 46; indices 0 to 20 are kGenericRows.
inline constexpr PropertyRow kCharacterOwnRows[] = {
    {"WeaponChoice", ValueKind::kAtomList},
    {"ArmourChoice", ValueKind::kAtomList},
    {"ShieldChoice", ValueKind::kAtomList},
    {"HelmetChoice", ValueKind::kAtomList},
    {"BootsChoice", ValueKind::kAtomList},
    {"GlovesChoice", ValueKind::kAtomList},
    {"EquipmentChoice", ValueKind::kAtomList},
    {"InventoryChoice", ValueKind::kAtomList},
    {"InventoryBonus", ValueKind::kAtomList},
    {"AbilityChoice", ValueKind::kAtomList},
    {"AbilityLevel", ValueKind::kIntegerList},
    {"AbilityProficiency", ValueKind::kFloatList},
    {"Puppet", ValueKind::kAtom},
    {"Role", ValueKind::kAtom},
    {"ClassChoice", ValueKind::kAtomList},
    {"RankChoice", ValueKind::kAtomList},
    {"KnowledgeItem", ValueKind::kAtomList},
    {"KnowledgeDesc", ValueKind::kInteger},
    {"WayptLocations", ValueKind::kAtomList},
    {"WayptConditions", ValueKind::kAtomList},
    {"WayptTimeFlags", ValueKind::kIntegerList},
    {"WayptRoles", ValueKind::kAtomList},
    {"WayptSpots", ValueKind::kAtomList},
    {"CrowdMin", ValueKind::kInteger},
    {"CrowdMax", ValueKind::kInteger},
    {"CrowdMembers", ValueKind::kAtomList},
};

static_assert(std::size(kGenericRows) == 21);
static_assert(std::size(kItemRows) == 16);
static_assert(std::size(kGenericRows) + std::size(kCharacterOwnRows) == 47);

inline std::vector<PropertyRow> genericRows() {
  return {std::begin(kGenericRows), std::end(kGenericRows)};
}
inline std::vector<PropertyRow> itemRows() {
  return {std::begin(kItemRows), std::end(kItemRows)};
}
inline std::vector<PropertyRow> characterRows() {
  std::vector<PropertyRow> rows = genericRows();
  rows.insert(rows.end(), std::begin(kCharacterOwnRows), std::end(kCharacterOwnRows));
  return rows;
}

/// A database body as the format defines it: atoms get file indices in order of first
/// use (the empty text standing for the atom -1), chunks get their end offsets patched.
class ExpectedBody {
 public:
  /// The file index of an atom's text, entered at its first use.
  int32_t atomIndex(std::string_view text) {
    auto [it, added] = index_.try_emplace(std::string(text), static_cast<int32_t>(texts_.size()));
    if (added) texts_.emplace_back(text);
    return it->second;
  }
  ExpectedBody& i32(int32_t value) {
    bytes_.i32(value);
    return *this;
  }
  ExpectedBody& f32(float value) {
    bytes_.f32(value);
    return *this;
  }
  ExpectedBody& atom(std::string_view text) { return i32(atomIndex(text)); }
  /// Opens a chunk: placeholder end offset, tag index, word 1, word 2. Returns its start.
  size_t open(std::string_view tag, int32_t word1, int32_t word2) {
    size_t start = bytes_.size();
    bytes_.i32(0);
    atom(tag);
    bytes_.i32(word1).i32(word2);
    return start;
  }
  size_t openProperty(std::string_view name, ValueKind kind) {
    return open(name, 0, static_cast<int32_t>(kind));
  }
  void close(size_t start) { bytes_.patch(start, static_cast<int32_t>(bytes_.size())); }

  /// One chunk per row, each holding the property's default: atom -1, integer 0, float 0,
  /// no reference target, empty list; nothing for kinds without a value.
  void defaultProperties(const std::vector<PropertyRow>& rows) {
    for (const PropertyRow& row : rows) {
      size_t chunk = openProperty(row.name, row.kind);
      switch (row.kind) {
        case ValueKind::kAtom:
          atom("");
          break;
        case ValueKind::kFloat:
          f32(0.0f);
          break;
        case ValueKind::kReference:
          i32(-1);
          break;
        case ValueKind::kInteger:
        case ValueKind::kIntegerList:
        case ValueKind::kFloatList:
        case ValueKind::kAtomList:
        case ValueKind::kReferenceList:
          i32(0);  // the integer 0, or an empty list's count
          break;
        default:
          break;
      }
      close(chunk);
    }
  }

  /// A whole record, flags 0, whose every property holds its default.
  void defaultRecord(std::string_view name, std::string_view className,
                     const std::vector<PropertyRow>& rows) {
    size_t record = open(name, 0, 0);
    atom(className);
    i32(0);
    defaultProperties(rows);
    close(record);
  }

  const Bytes& bytes() const { return bytes_.bytes(); }
  size_t size() const { return bytes_.size(); }
  const std::vector<std::string>& atomTexts() const { return texts_; }

 private:
  ByteBuilder bytes_;
  std::map<std::string, int32_t> index_;
  std::vector<std::string> texts_;
};

/// A whole container before scrambling: name, version, atom table, body.
inline Bytes containerBytes(std::string_view projectName, float version,
                            const std::vector<std::string>& atomTexts, const Bytes& body) {
  ByteBuilder out;
  out.string(projectName).f32(version).i32(static_cast<int32_t>(atomTexts.size()));
  for (const std::string& text : atomTexts) out.i32(static_cast<int32_t>(text.size())).text(text);
  out.i32(static_cast<int32_t>(body.size())).raw(body);
  return out.bytes();
}

/// A class that exists only in tests: one property of every value kind, two of kinds
/// the format does not know, and a per-index shared mark.
class Probe : public GameObject {
 public:
  static constexpr int32_t kCount = 10;
  static constexpr ValueKind kUnknownKind = static_cast<ValueKind>(9);

  const char* classNameText() const override { return "Probe"; }
  int32_t propertyCount() const override { return kCount; }
  PropertyRef property(int32_t index) override {
    switch (index) {
      case 0:
        return {ValueKind::kInteger, &Count};
      case 1:
        return {ValueKind::kFloat, &Speed};
      case 2:
        return {ValueKind::kAtom, &Icon};
      case 3:
        return {ValueKind::kReference, &Owner};
      case 4:
        return {ValueKind::kIntegerList, &Levels};
      case 5:
        return {ValueKind::kFloatList, &Weights};
      case 6:
        return {ValueKind::kAtomList, &Tags};
      case 7:
        return {ValueKind::kReferenceList, &Allies};
      case 8:
        return {kUnknownKind, nullptr};
      case 9:
        return {ValueKind::kNone, nullptr};
      default:
        return {};
    }
  }
  const char* propertyNameText(int32_t index) const override {
    static constexpr const char* kNames[kCount] = {"Count",   "Speed", "Icon",   "Owner", "Levels",
                                                   "Weights", "Tags",  "Allies", "Odd",   "Blank"};
    return index >= 0 && index < kCount ? kNames[index] : nullptr;
  }
  bool isSharedProperty(int32_t index) const override {
    return index >= 0 && index < kCount && shared[static_cast<size_t>(index)];
  }

  int32_t Count = 0;
  float Speed = 0.0f;
  Atom Icon = kNoAtom;
  GameObject* Owner = nullptr;
  IntList Levels;
  FloatList Weights;
  AtomList Tags;
  ObjectList Allies;
  std::array<bool, kCount> shared{};
};

/// Probe's properties in index order.
inline std::vector<PropertyRow> probeRows() {
  return {{"Count", ValueKind::kInteger},      {"Speed", ValueKind::kFloat},
          {"Icon", ValueKind::kAtom},          {"Owner", ValueKind::kReference},
          {"Levels", ValueKind::kIntegerList}, {"Weights", ValueKind::kFloatList},
          {"Tags", ValueKind::kAtomList},      {"Allies", ValueKind::kReferenceList},
          {"Odd", Probe::kUnknownKind},        {"Blank", ValueKind::kNone}};
}

}  // namespace rpgc::test

#endif  // RPGC_TESTS_SUPPORT_MODEL_FIXTURE_H_
