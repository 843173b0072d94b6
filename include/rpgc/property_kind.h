// PropertyKind: the kind of a property's value, with the codes the database stores.
#ifndef RPGC_PROPERTY_KIND_H_
#define RPGC_PROPERTY_KIND_H_

#include <cstdint>
#include <string_view>

namespace rpgc {

/// The code of word 2 of a property chunk. A file may hold other codes too: a property of
/// such a kind (like kNone) has no value, and kind() returns the code as it is.
enum class PropertyKind : int32_t {
  kNone = 0,
  kInteger = 1,
  kFloat = 2,
  kAtom = 3,
  kReference = 4,
  kIntegerList = 5,
  kFloatList = 6,
  kAtomList = 7,
  kReferenceList = 8,
};

/// "integer", "float", "atom", "reference", "integer list", "float list", "atom list",
/// "reference list"; "none" for kNone and for every code outside 1 to 8.
std::string_view propertyKindName(PropertyKind kind) noexcept;

/// Whether a value of this kind is a list (codes 5 to 8).
constexpr bool isListKind(PropertyKind kind) noexcept {
  return kind >= PropertyKind::kIntegerList && kind <= PropertyKind::kReferenceList;
}

}  // namespace rpgc

#endif  // RPGC_PROPERTY_KIND_H_
