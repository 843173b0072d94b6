// F_item: its property table.
#include "model/f_item.h"

namespace rpgc {

namespace {

using K = ValueKind;
using I = F_item;

constexpr TemplateProperty<I> kItemProperties[] = {
    templateProperty<K::kAtomList, &I::STR_Desc>("STR_Desc"),
    templateProperty<K::kAtom, &I::Type>("Type"),
    templateProperty<K::kAtom, &I::Class>("Class"),
    templateProperty<K::kAtomList, &I::FloatPropertyName>("FloatPropertyName"),
    templateProperty<K::kFloatList, &I::FloatPropertyMin>("FloatPropertyMin"),
    templateProperty<K::kFloatList, &I::FloatPropertyMax>("FloatPropertyMax"),
    templateProperty<K::kAtomList, &I::AtomPropertyName>("AtomPropertyName"),
    templateProperty<K::kAtomList, &I::AtomPropertyValue>("AtomPropertyValue"),
    templateProperty<K::kAtomList, &I::ReferencePropertyName>("ReferencePropertyName"),
    templateProperty<K::kAtomList, &I::ReferencePropertyValue>("ReferencePropertyValue"),
    templateProperty<K::kAtomList, &I::ModNames>("ModNames"),
    templateProperty<K::kFloatList, &I::ModFactors>("ModFactors"),
    templateProperty<K::kAtomList, &I::Materials>("Materials"),
    templateProperty<K::kAtomList, &I::EffectMacro_0>("EffectMacro_0"),
    templateProperty<K::kAtomList, &I::EffectMacro_1>("EffectMacro_1"),
    templateProperty<K::kAtomList, &I::EffectMacro_2>("EffectMacro_2"),
};
static_assert(std::size(kItemProperties) == F_item::kPropertyCount);

}  // namespace

PropertyRef F_item::property(int32_t index) {
  return tableProperty<I>(kItemProperties, *this, index);
}

const char* F_item::propertyNameText(int32_t index) const {
  return tablePropertyName<I>(kItemProperties, index);
}

}  // namespace rpgc
