// assignField: the scalar and list-replacing conversions shared by the block parsers.
#include "source/field_assignment.h"

#include "core/atom_table.h"
#include "model/game_object.h"
#include "source/number_text.h"

namespace rpgc {

namespace {

template <typename List, typename Convert>
void replaceList(List& list, const StringList& values, Convert convert) {
  list.release();
  int32_t n = values.length();
  if (n > 0) list.resize(n);
  for (int32_t i = 0; i < n; ++i) list[i] = convert(values[i].view());
}

}  // namespace

void assignField(const PropertyRef& field, const StringList& values, AtomTable& atoms) {
  std::string_view first = values.empty() ? std::string_view() : values[0].view();
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

int32_t fixedFieldIndex(const GameObject& object, std::span<const std::string_view> candidates,
                        std::string_view name) {
  for (std::string_view candidate : candidates) {
    if (candidate != name) continue;
    for (int32_t i = 0; i < object.propertyCount(); ++i) {
      if (name == object.propertyNameText(i)) return i;
    }
  }
  return -1;
}

}  // namespace rpgc
