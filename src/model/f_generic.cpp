// F_generic: its property table.
#include "model/f_generic.h"

namespace rpgc {

namespace {

using K = ValueKind;
using G = F_generic;

// ORDER: writing order of the record; F_character answers these indices too.
constexpr TemplateProperty<G> kGenericProperties[] = {
    templateProperty<K::kAtom, &G::Type>("Type"),
    templateProperty<K::kAtomList, &G::IntegerPropertyName>("IntegerPropertyName"),
    templateProperty<K::kIntegerList, &G::IntegerPropertyValue>("IntegerPropertyValue"),
    templateProperty<K::kAtomList, &G::FloatPropertyName>("FloatPropertyName"),
    templateProperty<K::kFloatList, &G::FloatPropertyValue>("FloatPropertyValue"),
    templateProperty<K::kAtomList, &G::AtomPropertyName>("AtomPropertyName"),
    templateProperty<K::kAtomList, &G::AtomPropertyValue>("AtomPropertyValue"),
    templateProperty<K::kAtomList, &G::ReferencePropertyName>("ReferencePropertyName"),
    templateProperty<K::kAtomList, &G::ReferencePropertyValue>("ReferencePropertyValue"),
    templateProperty<K::kAtomList, &G::LAtomPropertyName>("LAtomPropertyName"),
    templateProperty<K::kIntegerList, &G::LAtomPropertyCount>("LAtomPropertyCount"),
    templateProperty<K::kAtomList, &G::LAtomPropertyValues>("LAtomPropertyValues"),
    templateProperty<K::kAtomList, &G::LReferencePropertyName>("LReferencePropertyName"),
    templateProperty<K::kIntegerList, &G::LReferencePropertyCount>("LReferencePropertyCount"),
    templateProperty<K::kAtomList, &G::LReferencePropertyValues>("LReferencePropertyValues"),
    templateProperty<K::kAtomList, &G::LIntegerPropertyName>("LIntegerPropertyName"),
    templateProperty<K::kIntegerList, &G::LIntegerPropertyCount>("LIntegerPropertyCount"),
    templateProperty<K::kIntegerList, &G::LIntegerPropertyValues>("LIntegerPropertyValues"),
    templateProperty<K::kAtomList, &G::LFloatPropertyName>("LFloatPropertyName"),
    templateProperty<K::kIntegerList, &G::LFloatPropertyCount>("LFloatPropertyCount"),
    templateProperty<K::kFloatList, &G::LFloatPropertyValues>("LFloatPropertyValues"),
};
static_assert(std::size(kGenericProperties) == F_generic::kPropertyCount);

}  // namespace

PropertyRef F_generic::property(int32_t index) {
  return tableProperty<G>(kGenericProperties, *this, index);
}

const char* F_generic::propertyNameText(int32_t index) const {
  return tablePropertyName<G>(kGenericProperties, index);
}

}  // namespace rpgc
