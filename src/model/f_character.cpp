// F_character: the fields of its own rows, after the 21 it shares with F_generic.
#include "model/f_character.h"

namespace rpgc {

namespace {

using C = F_character;

// ORDER: format::kCharacterOwnProperties.
constexpr TemplateField<C> kCharacterFields[] = {
    templateField<&C::WeaponChoice>("WeaponChoice"),
    templateField<&C::ArmourChoice>("ArmourChoice"),
    templateField<&C::ShieldChoice>("ShieldChoice"),
    templateField<&C::HelmetChoice>("HelmetChoice"),
    templateField<&C::BootsChoice>("BootsChoice"),
    templateField<&C::GlovesChoice>("GlovesChoice"),
    templateField<&C::EquipmentChoice>("EquipmentChoice"),
    templateField<&C::InventoryChoice>("InventoryChoice"),
    templateField<&C::InventoryBonus>("InventoryBonus"),
    templateField<&C::AbilityChoice>("AbilityChoice"),
    templateField<&C::AbilityLevel>("AbilityLevel"),
    templateField<&C::AbilityProficiency>("AbilityProficiency"),
    templateField<&C::Puppet>("Puppet"),
    templateField<&C::Role>("Role"),
    templateField<&C::ClassChoice>("ClassChoice"),
    templateField<&C::RankChoice>("RankChoice"),
    templateField<&C::KnowledgeItem>("KnowledgeItem"),
    templateField<&C::KnowledgeDesc>("KnowledgeDesc"),
    templateField<&C::WayptLocations>("WayptLocations"),
    templateField<&C::WayptConditions>("WayptConditions"),
    templateField<&C::WayptTimeFlags>("WayptTimeFlags"),
    templateField<&C::WayptRoles>("WayptRoles"),
    templateField<&C::WayptSpots>("WayptSpots"),
    templateField<&C::CrowdMin>("CrowdMin"),
    templateField<&C::CrowdMax>("CrowdMax"),
    templateField<&C::CrowdMembers>("CrowdMembers"),
};
static_assert(fieldsMatch<C>(kCharacterFields, format::kCharacterOwnProperties));

}  // namespace

PropertyRef F_character::property(int32_t index) {
  if (index < F_generic::kPropertyCount) return F_generic::property(index);
  return tableProperty<C>(kCharacterFields, format::kCharacterOwnProperties, *this,
                          index - F_generic::kPropertyCount);
}

const char* F_character::propertyNameText(int32_t index) const {
  return tablePropertyName(format::kCharacterProperties, index);
}

}  // namespace rpgc
