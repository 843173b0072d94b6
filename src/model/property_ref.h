// PropertyRef: a typed handle to one property's value inside its object, of one of the
// kinds of format/value_kind.h.
#ifndef RPGC_MODEL_PROPERTY_REF_H_
#define RPGC_MODEL_PROPERTY_REF_H_

#include <cassert>
#include <cstdint>

#include "core/atom.h"
#include "core/ref_array.h"
#include "core/value_lists.h"
#include "format/value_kind.h"

namespace rpgc {

class GameObject;

/// Reference lists: non-owning object pointers, null allowed.
using ObjectList = RefArray<GameObject*, 8, SlotInit::kZero>;

/// Where one property's value lives inside its object, and of which kind it is.
/// Owns nothing; valid while the object lives.
struct PropertyRef {
  ValueKind kind = ValueKind::kNone;
  void* location = nullptr;

  int32_t& integer() const { return as<int32_t>(ValueKind::kInteger); }
  float& real() const { return as<float>(ValueKind::kFloat); }
  Atom& atom() const { return as<Atom>(ValueKind::kAtom); }
  GameObject*& reference() const { return as<GameObject*>(ValueKind::kReference); }
  IntList& integers() const { return as<IntList>(ValueKind::kIntegerList); }
  FloatList& reals() const { return as<FloatList>(ValueKind::kFloatList); }
  AtomList& atoms() const { return as<AtomList>(ValueKind::kAtomList); }
  ObjectList& references() const { return as<ObjectList>(ValueKind::kReferenceList); }

 private:
  template <typename T>
  T& as(ValueKind expected) const {
    assert(kind == expected && location != nullptr);
    (void)expected;
    return *static_cast<T*>(location);
  }
};

}  // namespace rpgc

#endif  // RPGC_MODEL_PROPERTY_REF_H_
