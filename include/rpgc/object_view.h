// ObjectView: one object of an open database: its name, class and flags, the properties
// of its record, and the properties its designer declared.
//
// Declared properties. Generic objects (F_generic) and characters (F_character) store the
// properties declared in their blocks (INTEGER Health = 30, ATOMS Traits = pack nocturnal)
// as parallel lists: IntegerPropertyName with IntegerPropertyValue, LAtomPropertyName with
// LAtomPropertyCount and LAtomPropertyValues, and so on. Items (F_item) store their
// FLOAT ranges, ATOM and REFERENCE properties the same way. The reader pairs the lists
// back up when the file is opened, so that each declared property is reachable by its own
// name and kind, in the order of the storage lists: integers, floats, atoms, references,
// then atom, reference, integer and float lists (items: floats, atoms, references).
//
// Lookup by name. find(), integer(), atom() and the other accessors look first among the
// record's properties, then among the declared ones; within each, the last property of
// that name (and kind) wins, as when a loader reads the properties in order. They cost a
// scan of the object's properties, O(properties), and allocate nothing.
#ifndef RPGC_OBJECT_VIEW_H_
#define RPGC_OBJECT_VIEW_H_

#include <cstdint>
#include <optional>
#include <string_view>

#include "rpgc/property_kind.h"
#include "rpgc/property_view.h"
#include "rpgc/value_views.h"
#include "rpgc/view_range.h"

namespace rpgc {

namespace detail {
struct DatabaseData;
struct ViewMaker;
}  // namespace detail

/// A view of one object; valid while its file stays open. A default-constructed view (and
/// one made with an index out of range) has an empty name and no properties.
class ObjectView {
 public:
  ObjectView() = default;

  /// The object's position in the database (the order its blocks were first declared).
  int32_t index() const noexcept { return index_; }
  std::string_view name() const noexcept;
  /// "F_generic", "F_item" or "F_character" in compiled files.
  std::string_view className() const noexcept;
  /// The record's flags word as stored: bit 0 saveAll, bit 1 storedFlag (0 when compiled).
  int32_t flags() const noexcept;
  /// Where the object's record starts in the file.
  int64_t fileOffset() const noexcept;

  /// The chunks of the record, in file order.
  int32_t propertyCount() const noexcept;
  PropertyView property(int32_t index) const noexcept;
  ViewRange<ObjectView, PropertyView, &ObjectView::property> properties() const noexcept {
    return {this, propertyCount()};
  }

  /// The declared properties (see the top of this file).
  int32_t declaredCount() const noexcept;
  PropertyView declaredProperty(int32_t index) const noexcept;
  ViewRange<ObjectView, PropertyView, &ObjectView::declaredProperty> declaredProperties()
      const noexcept {
    return {this, declaredCount()};
  }
  /// False when the storage lists do not pair up (a name without a value, counts that do
  /// not add up to the values); the declared properties are then those that pair up
  /// before the first mismatch. Always true in compiled files.
  bool declaredListsMatch() const noexcept;

  /// The property of this name, of any kind, or of this kind.
  std::optional<PropertyView> find(std::string_view name) const noexcept;
  std::optional<PropertyView> find(std::string_view name, PropertyKind kind) const noexcept;

  // The value of the property of this name and kind; nullopt when there is none.
  std::optional<int32_t> integer(std::string_view name) const noexcept;
  std::optional<float> real(std::string_view name) const noexcept;
  std::optional<std::string_view> atom(std::string_view name) const noexcept;
  std::optional<ObjectReference> reference(std::string_view name) const noexcept;
  std::optional<IntegerValues> integers(std::string_view name) const noexcept;
  std::optional<FloatValues> floats(std::string_view name) const noexcept;
  std::optional<AtomValues> atoms(std::string_view name) const noexcept;
  std::optional<ReferenceValues> references(std::string_view name) const noexcept;

 private:
  friend struct detail::ViewMaker;
  ObjectView(const detail::DatabaseData* data, int32_t index) : data_(data), index_(index) {}

  const detail::DatabaseData* data_ = nullptr;
  int32_t index_ = 0;
};

}  // namespace rpgc

#endif  // RPGC_OBJECT_VIEW_H_
