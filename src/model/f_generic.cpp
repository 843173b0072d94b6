// F_generic: the fields of its property table.
#include "model/f_generic.h"

namespace rpgc {

namespace {

using G = F_generic;

// ORDER: format::kGenericProperties; F_character answers these indices too.
constexpr TemplateField<G> kGenericFields[] = {
    templateField<&G::Type>("Type"),
    templateField<&G::IntegerPropertyName>("IntegerPropertyName"),
    templateField<&G::IntegerPropertyValue>("IntegerPropertyValue"),
    templateField<&G::FloatPropertyName>("FloatPropertyName"),
    templateField<&G::FloatPropertyValue>("FloatPropertyValue"),
    templateField<&G::AtomPropertyName>("AtomPropertyName"),
    templateField<&G::AtomPropertyValue>("AtomPropertyValue"),
    templateField<&G::ReferencePropertyName>("ReferencePropertyName"),
    templateField<&G::ReferencePropertyValue>("ReferencePropertyValue"),
    templateField<&G::LAtomPropertyName>("LAtomPropertyName"),
    templateField<&G::LAtomPropertyCount>("LAtomPropertyCount"),
    templateField<&G::LAtomPropertyValues>("LAtomPropertyValues"),
    templateField<&G::LReferencePropertyName>("LReferencePropertyName"),
    templateField<&G::LReferencePropertyCount>("LReferencePropertyCount"),
    templateField<&G::LReferencePropertyValues>("LReferencePropertyValues"),
    templateField<&G::LIntegerPropertyName>("LIntegerPropertyName"),
    templateField<&G::LIntegerPropertyCount>("LIntegerPropertyCount"),
    templateField<&G::LIntegerPropertyValues>("LIntegerPropertyValues"),
    templateField<&G::LFloatPropertyName>("LFloatPropertyName"),
    templateField<&G::LFloatPropertyCount>("LFloatPropertyCount"),
    templateField<&G::LFloatPropertyValues>("LFloatPropertyValues"),
};
static_assert(fieldsMatch<G>(kGenericFields, format::kGenericProperties));

}  // namespace

PropertyRef F_generic::property(int32_t index) {
  return tableProperty<G>(kGenericFields, format::kGenericProperties, *this, index);
}

const char* F_generic::propertyNameText(int32_t index) const {
  return tablePropertyName(format::kGenericProperties, index);
}

}  // namespace rpgc
