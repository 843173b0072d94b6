// assignField: the scalar and list-replacing conversions shared by the block parsers.
#include "source/field_assignment.h"

#include "core/atom_table.h"
#include "model/game_object.h"
#include "source/number_text.h"

namespace rpgc {

namespace {

template <typename List, typename Convert>
void replaceList(List& list, const ValueTokens& values, Convert convert) {
  list.release();
  int32_t n = values.size();
  if (n > 0) list.resize(n);
  for (int32_t i = 0; i < n; ++i) list[i] = convert(values[i]);
}

}  // namespace

void assignField(const PropertyRef& field, const ValueTokens& values, AtomTable& atoms) {
  std::string_view first = values.empty() ? std::string_view() : values[0];
  auto atomOf = [&](std::string_view text) { return atoms.intern(text); };
  switch (field.kind) {
    case ValueKind::kInteger:
      field.integer() = integerOfText(first);
      break;
    case ValueKind::kFloat:
      field.real() = floatOfText(first);
      break;
    case ValueKind::kAtom:
      field.atom() = atomOf(first);
      break;
    case ValueKind::kIntegerList:
      replaceList(field.integers(), values, integerOfText);
      break;
    case ValueKind::kFloatList:
      replaceList(field.reals(), values, floatOfText);
      break;
    case ValueKind::kAtomList:
      replaceList(field.atoms(), values, atomOf);
      break;
    case ValueKind::kReference:
    case ValueKind::kReferenceList:
    case ValueKind::kNone:
      break;  // no fixed field of a template holds these
  }
}

FixedFields::FixedFields(const GameObject& prototype, std::span<const std::string_view> names) {
  for (std::string_view name : names) {
    for (int32_t i = 0; i < prototype.propertyCount(); ++i) {
      if (name == prototype.propertyNameText(i)) fields_.push_back({name, i});
    }
  }
}

int32_t FixedFields::indexOf(std::string_view name) const {
  for (const Field& field : fields_) {
    if (field.name == name) return field.index;
  }
  return -1;
}

}  // namespace rpgc
