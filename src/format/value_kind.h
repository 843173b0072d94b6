// ValueKind: the kinds of property values, with the codes every property chunk of a
// database stores as its word 2. The codes must keep their values; the reader library's
// public PropertyKind has the same ones.
#ifndef RPGC_FORMAT_VALUE_KIND_H_
#define RPGC_FORMAT_VALUE_KIND_H_

#include <cstdint>

namespace rpgc {

enum class ValueKind : int32_t {
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

/// Whether a value of this kind is a list (codes 5 to 8): a count, then the elements.
constexpr bool isList(ValueKind kind) {
  return kind >= ValueKind::kIntegerList && kind <= ValueKind::kReferenceList;
}

}  // namespace rpgc

#endif  // RPGC_FORMAT_VALUE_KIND_H_
