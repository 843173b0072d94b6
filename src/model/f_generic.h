// F_generic: the template of every object that is neither an item nor a character.
//
// A type word plus twenty parallel lists holding any number of freely named typed
// properties. Single values pair a name list and a value list by position; list values
// keep a name, a count and one concatenated value list per kind.
#ifndef RPGC_MODEL_F_GENERIC_H_
#define RPGC_MODEL_F_GENERIC_H_

#include <iterator>

#include "core/value_lists.h"
#include "format/property_tables.h"
#include "model/object_template.h"

namespace rpgc {

class F_generic : public ObjectTemplate {
 public:
  static constexpr auto kPropertyCount =
      static_cast<int32_t>(std::size(format::kGenericProperties));

  const char* classNameText() const override { return format::kGenericClass.name.data(); }
  int32_t propertyCount() const override { return kPropertyCount; }
  PropertyRef property(int32_t index) override;
  const char* propertyNameText(int32_t index) const override;

  // Fields bear their property names; the order is the writing order.
  Atom Type = kNoAtom;
  AtomList IntegerPropertyName;
  IntList IntegerPropertyValue;
  AtomList FloatPropertyName;
  FloatList FloatPropertyValue;
  AtomList AtomPropertyName;
  AtomList AtomPropertyValue;
  AtomList ReferencePropertyName;
  AtomList ReferencePropertyValue;
  AtomList LAtomPropertyName;
  IntList LAtomPropertyCount;
  AtomList LAtomPropertyValues;
  AtomList LReferencePropertyName;
  IntList LReferencePropertyCount;
  AtomList LReferencePropertyValues;
  AtomList LIntegerPropertyName;
  IntList LIntegerPropertyCount;
  IntList LIntegerPropertyValues;
  AtomList LFloatPropertyName;
  IntList LFloatPropertyCount;
  FloatList LFloatPropertyValues;
};

}  // namespace rpgc

#endif  // RPGC_MODEL_F_GENERIC_H_
