// ObjectTemplate: the base of the three template classes, and their property tables.
//
// A template's properties are its fields, listed in a table of rows (name, kind, field)
// in writing order. Every template property is shared (class-level).
#ifndef RPGC_MODEL_OBJECT_TEMPLATE_H_
#define RPGC_MODEL_OBJECT_TEMPLATE_H_

#include <cstdint>
#include <span>
#include <type_traits>

#include "core/value_lists.h"
#include "model/game_object.h"

namespace rpgc {

class ObjectTemplate : public GameObject {
 public:
  const char* kindNameText() const override { return "factory"; }
  bool isSharedProperty(int32_t index) const override {
    return index >= 0 && index < propertyCount();
  }
};

/// One row of a template's property table.
template <class Object>
struct TemplateProperty {
  const char* name;
  ValueKind kind;
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
constexpr bool fieldHoldsKind(ValueKind kind) {
  switch (kind) {
    case ValueKind::kInteger:
    case ValueKind::kAtom:
      return std::is_same_v<F, int32_t>;
    case ValueKind::kFloat:
      return std::is_same_v<F, float>;
    case ValueKind::kIntegerList:
      return std::is_same_v<F, IntList>;
    case ValueKind::kFloatList:
      return std::is_same_v<F, FloatList>;
    case ValueKind::kAtomList:
      return std::is_same_v<F, AtomList>;
    default:
      return false;
  }
}

}  // namespace detail

/// A table row for the field Member, checked at compile time to hold values of kind K.
template <ValueKind K, auto Member>
constexpr auto templateProperty(const char* name) {
  using Traits = detail::MemberOf<decltype(Member)>;
  static_assert(detail::fieldHoldsKind<typename Traits::Field>(K), "field cannot hold this kind");
  using Object = typename Traits::Object;
  return TemplateProperty<Object>{name, K, [](Object& o) -> void* { return &(o.*Member); }};
}

/// Looks up row index of a table; kind kNone out of range.
template <class Object>
PropertyRef tableProperty(std::span<const TemplateProperty<Object>> table, Object& object,
                          int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= table.size()) return {};
  const TemplateProperty<Object>& row = table[static_cast<size_t>(index)];
  return {row.kind, row.locate(object)};
}

template <class Object>
const char* tablePropertyName(std::span<const TemplateProperty<Object>> table, int32_t index) {
  if (index < 0 || static_cast<size_t>(index) >= table.size()) return nullptr;
  return table[static_cast<size_t>(index)].name;
}

}  // namespace rpgc

#endif  // RPGC_MODEL_OBJECT_TEMPLATE_H_
