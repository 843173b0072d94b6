// ObjectTemplate: the base of the three template classes, and the tables that tie their
// fields to the property tables of format/property_tables.h.
//
// A template's properties are its fields. Names, kinds and record order come from the
// class's property table; the template's own table lists the field of each row, in the
// same order, and a static_assert checks that each field bears the row's name and can
// hold its kind. Every template property is shared (class-level).
#ifndef RPGC_MODEL_OBJECT_TEMPLATE_H_
#define RPGC_MODEL_OBJECT_TEMPLATE_H_

#include <cstdint>
#include <span>
#include <string_view>
#include <type_traits>

#include "core/value_lists.h"
#include "format/property_tables.h"
#include "model/game_object.h"

namespace rpgc {

class ObjectTemplate : public GameObject {
 public:
  const char* kindNameText() const override { return "factory"; }
  bool isSharedProperty(int32_t index) const override {
    return index >= 0 && index < propertyCount();
  }
};

/// What a field's C++ type is, as far as the kinds it can hold go.
enum class FieldType : uint8_t { kOther, kInt32, kFloat, kIntList, kFloatList, kAtomList };

/// Whether a field of this type can hold values of kind (atoms are int32 indices).
constexpr bool fieldHoldsKind(FieldType type, ValueKind kind) {
  switch (kind) {
    case ValueKind::kInteger:
    case ValueKind::kAtom:
      return type == FieldType::kInt32;
    case ValueKind::kFloat:
      return type == FieldType::kFloat;
    case ValueKind::kIntegerList:
      return type == FieldType::kIntList;
    case ValueKind::kFloatList:
      return type == FieldType::kFloatList;
    case ValueKind::kAtomList:
      return type == FieldType::kAtomList;
    default:
      return false;
  }
}

/// One row of a template's field table: the member holding a property.
template <class Object>
struct TemplateField {
  std::string_view name;  // the member's name, which is the property's
  FieldType type;
  void* (*locate)(Object&);
};

namespace detail {

template <class M>
struct MemberOf;
template <class C, class F>
struct MemberOf<F C::*> {
  using Object = C;
  using Field = F;
};

template <class F>
constexpr FieldType fieldTypeOf() {
  if constexpr (std::is_same_v<F, int32_t>) return FieldType::kInt32;
  if constexpr (std::is_same_v<F, float>) return FieldType::kFloat;
  if constexpr (std::is_same_v<F, IntList>) return FieldType::kIntList;
  if constexpr (std::is_same_v<F, FloatList>) return FieldType::kFloatList;
  if constexpr (std::is_same_v<F, AtomList>) return FieldType::kAtomList;
  return FieldType::kOther;
}

}  // namespace detail

/// The table row of the field Member, which holds the property called name.
template <auto Member>
constexpr auto templateField(std::string_view name) {
  using Traits = detail::MemberOf<decltype(Member)>;
  using Object = typename Traits::Object;
  return TemplateField<Object>{name, detail::fieldTypeOf<typename Traits::Field>(),
                               [](Object& o) -> void* { return &(o.*Member); }};
}

/// Whether fields follow rows one for one: the same names, each field able to hold its
/// row's kind.
template <class Object>
constexpr bool fieldsMatch(std::span<const TemplateField<Object>> fields,
                           std::span<const format::PropertyRow> rows) {
  if (fields.size() != rows.size()) return false;
  for (size_t i = 0; i < rows.size(); ++i) {
    if (fields[i].name != rows[i].name || !fieldHoldsKind(fields[i].type, rows[i].kind)) {
      return false;
    }
  }
  return true;
}

/// Property index of a template: its row's kind, its field's place; kind kNone out of
/// range.
template <class Object>
PropertyRef tableProperty(std::span<const TemplateField<Object>> fields,
                          std::span<const format::PropertyRow> rows, Object& object,
                          int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= fields.size()) return {};
  return {rows[static_cast<size_t>(index)].kind, fields[static_cast<size_t>(index)].locate(object)};
}

/// The name of property index of a class, or null out of range.
inline const char* tablePropertyName(std::span<const format::PropertyRow> rows, int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= rows.size()) return nullptr;
  return rows[static_cast<size_t>(index)].name.data();
}

}  // namespace rpgc

#endif  // RPGC_MODEL_OBJECT_TEMPLATE_H_
