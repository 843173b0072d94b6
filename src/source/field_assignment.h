// assignField: stores an assignment's value tokens into one fixed field of an object.
//
// The field's kind says how: an atom, integer or float takes the first value; a list is
// replaced by the conversions of all values, in order (comma tokens included).
#ifndef RPGC_SOURCE_FIELD_ASSIGNMENT_H_
#define RPGC_SOURCE_FIELD_ASSIGNMENT_H_

#include <array>
#include <cstddef>
#include <cstdint>
#include <span>
#include <string_view>
#include <vector>

#include "core/atom.h"
#include "format/property_tables.h"
#include "model/property_ref.h"

namespace rpgc {

class AtomMemo;
class BlockContext;
class LineValues;

/// What the names held by a fixed field stand for, for the checks at the end of a run.
enum class FieldTarget : uint8_t { kNone, kObject, kStringSection };

/// A property that block lines set by its name, whatever their type word.
struct FixedField {
  std::string_view name;
  FieldTarget target = FieldTarget::kNone;
};

/// The names of a table of fixed fields, in its order.
template <size_t N>
constexpr std::array<std::string_view, N> fixedFieldNames(const FixedField (&fields)[N]) {
  std::array<std::string_view, N> names{};
  for (size_t i = 0; i < N; ++i) names[i] = fields[i].name;
  return names;
}

/// Whether every field names a property of rows.
template <size_t N>
constexpr bool fixedFieldsExist(const FixedField (&fields)[N],
                                std::span<const format::PropertyRow> rows) {
  for (const FixedField& field : fields) {
    if (format::propertyIndex(rows, field.name) < 0) return false;
  }
  return true;
}

void assignField(const PropertyRef& field, LineValues& values, FieldTarget target);

/// The fixed fields of a class with their property indices looked up once.
class FixedFields {
 public:
  /// fields must name properties of the class whose property table is rows (see
  /// fixedFieldsExist).
  FixedFields(std::span<const format::PropertyRow> rows, std::span<const FixedField> fields);

  /// The position in fields of the field called name, or -1.
  int32_t find(std::string_view name) const;
  /// find() through a memo by the name's atom.
  int32_t find(Atom nameAtom, std::string_view name, AtomMemo& memo) const;
  int32_t propertyIndex(int32_t field) const { return entries_[static_cast<size_t>(field)].index; }
  FieldTarget target(int32_t field) const { return entries_[static_cast<size_t>(field)].target; }
  std::string_view name(int32_t field) const { return entries_[static_cast<size_t>(field)].name; }
  int32_t count() const { return static_cast<int32_t>(entries_.size()); }

  /// The field that name probably misspells (same letters in another case, or a small
  /// typo in a long name), or -1, through a memo by the name's atom.
  int32_t misspelled(Atom nameAtom, std::string_view name, AtomMemo& guesses) const;

 private:
  struct Entry {
    std::string_view name;
    int32_t index;
    FieldTarget target;
  };
  std::vector<Entry> entries_;
  std::vector<std::string_view> names_;
};

}  // namespace rpgc

#endif  // RPGC_SOURCE_FIELD_ASSIGNMENT_H_
