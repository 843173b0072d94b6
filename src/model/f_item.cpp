// F_item: the fields of its property table.
#include "model/f_item.h"

namespace rpgc {

namespace {

using I = F_item;

// ORDER: format::kItemProperties.
constexpr TemplateField<I> kItemFields[] = {
    templateField<&I::STR_Desc>("STR_Desc"),
    templateField<&I::Type>("Type"),
    templateField<&I::Class>("Class"),
    templateField<&I::FloatPropertyName>("FloatPropertyName"),
    templateField<&I::FloatPropertyMin>("FloatPropertyMin"),
    templateField<&I::FloatPropertyMax>("FloatPropertyMax"),
    templateField<&I::AtomPropertyName>("AtomPropertyName"),
    templateField<&I::AtomPropertyValue>("AtomPropertyValue"),
    templateField<&I::ReferencePropertyName>("ReferencePropertyName"),
    templateField<&I::ReferencePropertyValue>("ReferencePropertyValue"),
    templateField<&I::ModNames>("ModNames"),
    templateField<&I::ModFactors>("ModFactors"),
    templateField<&I::Materials>("Materials"),
    templateField<&I::EffectMacro_0>("EffectMacro_0"),
    templateField<&I::EffectMacro_1>("EffectMacro_1"),
    templateField<&I::EffectMacro_2>("EffectMacro_2"),
};
static_assert(fieldsMatch<I>(kItemFields, format::kItemProperties));

}  // namespace

PropertyRef F_item::property(int32_t index) {
  return tableProperty<I>(kItemFields, format::kItemProperties, *this, index);
}

const char* F_item::propertyNameText(int32_t index) const {
  return tablePropertyName(format::kItemProperties, index);
}

}  // namespace rpgc
