// PropertyView: one property of an object of an open database, by name and kind, with
// typed accessors for its value.
//
// A property is either a chunk of the object's record (Type, STR_Desc, WeaponChoice, and
// the lists that store declared properties), or a declared property: one that a designer
// declared in a generic, item or character block (INTEGER Health = 30), which the record
// stores as parallel lists and the reader pairs back up (see ObjectView).
#ifndef RPGC_PROPERTY_VIEW_H_
#define RPGC_PROPERTY_VIEW_H_

#include <cstdint>
#include <string_view>

#include "rpgc/property_kind.h"
#include "rpgc/value_views.h"

namespace rpgc {

namespace detail {
struct DatabaseData;
struct ViewMaker;
}  // namespace detail

/// A view of one property; valid while its file stays open. Every call is O(1) (but
/// references() of a stored reference list, a kind compiled files never hold: O(log n))
/// and allocates nothing. An accessor of another kind than the property's returns the neutral
/// value (0, 0.0f, "", no reference, an empty list), never fails.
class PropertyView {
 public:
  PropertyView() = default;

  std::string_view name() const noexcept;
  /// The kind stored for the property; a code outside 1 to 8 is returned as it is.
  PropertyKind kind() const noexcept;
  /// True for a declared property, false for a chunk of the record.
  bool isDeclared() const noexcept;
  /// True for a list of the record that declared properties were paired up from
  /// (IntegerPropertyName, LAtomPropertyValues, ...): a tool that shows the declared
  /// properties can leave these out.
  bool storesDeclared() const noexcept;
  /// True for an item's declared FLOAT property, a range from real() to maximum().
  bool isRange() const noexcept;
  /// The number of elements of a list, 1 for a single value, 0 for a kind without value.
  int32_t size() const noexcept;

  int32_t integer() const noexcept;  // kInteger
  /// kFloat; for an item's declared FLOAT property (a range), its minimum.
  float real() const noexcept;
  /// The maximum of an item's declared FLOAT range (FLOAT Damage = 4 to 9); real() for any
  /// other float.
  float maximum() const noexcept;
  /// kAtom: the name's text ("" for the empty name).
  std::string_view atom() const noexcept;
  /// kReference. A declared REFERENCE stores the target's name only: instance 0.
  ObjectReference reference() const noexcept;
  IntegerValues integers() const noexcept;      // kIntegerList
  FloatValues floats() const noexcept;          // kFloatList
  AtomValues atoms() const noexcept;            // kAtomList
  ReferenceValues references() const noexcept;  // kReferenceList

  /// Where the property is stored: the first byte of its chunk, or for a declared
  /// property the first byte of its first value.
  int64_t fileOffset() const noexcept;

 private:
  friend struct detail::ViewMaker;
  PropertyView(const detail::DatabaseData* data, int32_t index, bool declared)
      : data_(data), index_(index), declared_(declared) {}

  const detail::DatabaseData* data_ = nullptr;
  int32_t index_ = 0;
  bool declared_ = false;
};

}  // namespace rpgc

#endif  // RPGC_PROPERTY_VIEW_H_
