// propertyKindName: the names of the value kinds, as the documentation writes them.
#include "rpgc/property_kind.h"

#include "format/value_kind.h"

namespace rpgc {

// The public codes are those of the model, which the files store.
static_assert(static_cast<int32_t>(PropertyKind::kInteger) ==
              static_cast<int32_t>(ValueKind::kInteger));
static_assert(static_cast<int32_t>(PropertyKind::kFloat) ==
              static_cast<int32_t>(ValueKind::kFloat));
static_assert(static_cast<int32_t>(PropertyKind::kAtom) == static_cast<int32_t>(ValueKind::kAtom));
static_assert(static_cast<int32_t>(PropertyKind::kReference) ==
              static_cast<int32_t>(ValueKind::kReference));
static_assert(static_cast<int32_t>(PropertyKind::kIntegerList) ==
              static_cast<int32_t>(ValueKind::kIntegerList));
static_assert(static_cast<int32_t>(PropertyKind::kFloatList) ==
              static_cast<int32_t>(ValueKind::kFloatList));
static_assert(static_cast<int32_t>(PropertyKind::kAtomList) ==
              static_cast<int32_t>(ValueKind::kAtomList));
static_assert(static_cast<int32_t>(PropertyKind::kReferenceList) ==
              static_cast<int32_t>(ValueKind::kReferenceList));

std::string_view propertyKindName(PropertyKind kind) noexcept {
  switch (kind) {
    case PropertyKind::kInteger:
      return "integer";
    case PropertyKind::kFloat:
      return "float";
    case PropertyKind::kAtom:
      return "atom";
    case PropertyKind::kReference:
      return "reference";
    case PropertyKind::kIntegerList:
      return "integer list";
    case PropertyKind::kFloatList:
      return "float list";
    case PropertyKind::kAtomList:
      return "atom list";
    case PropertyKind::kReferenceList:
      return "reference list";
    case PropertyKind::kNone:
      break;
  }
  return "none";
}

}  // namespace rpgc
