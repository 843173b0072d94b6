// F_item: the template of an item: type, class, description strings, ranged float
// properties, atom and reference properties, modifiers, materials and effect macros.
#ifndef RPGC_MODEL_F_ITEM_H_
#define RPGC_MODEL_F_ITEM_H_

#include <iterator>

#include "core/value_lists.h"
#include "format/property_tables.h"
#include "model/object_template.h"

namespace rpgc {

class F_item : public ObjectTemplate {
 public:
  static constexpr auto kPropertyCount = static_cast<int32_t>(std::size(format::kItemProperties));

  const char* classNameText() const override { return format::kItemClass.name.data(); }
  int32_t propertyCount() const override { return kPropertyCount; }
  PropertyRef property(int32_t index) override;
  const char* propertyNameText(int32_t index) const override;

  AtomList STR_Desc;
  Atom Type = kNoAtom;
  Atom Class = kNoAtom;
  AtomList FloatPropertyName;
  FloatList FloatPropertyMin;
  FloatList FloatPropertyMax;
  AtomList AtomPropertyName;
  AtomList AtomPropertyValue;
  AtomList ReferencePropertyName;
  AtomList ReferencePropertyValue;
  AtomList ModNames;
  FloatList ModFactors;
  AtomList Materials;
  AtomList EffectMacro_0;
  AtomList EffectMacro_1;
  AtomList EffectMacro_2;
};

}  // namespace rpgc

#endif  // RPGC_MODEL_F_ITEM_H_
