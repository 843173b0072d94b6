// F_character: its own property table, after the 21 rows it shares with F_generic.
#include "model/f_character.h"

namespace rpgc {

namespace {

using K = ValueKind;
using C = F_character;

constexpr TemplateProperty<C> kCharacterProperties[] = {
    templateProperty<K::kAtomList, &C::WeaponChoice>("WeaponChoice"),
    templateProperty<K::kAtomList, &C::ArmourChoice>("ArmourChoice"),
    templateProperty<K::kAtomList, &C::ShieldChoice>("ShieldChoice"),
    templateProperty<K::kAtomList, &C::HelmetChoice>("HelmetChoice"),
    templateProperty<K::kAtomList, &C::BootsChoice>("BootsChoice"),
    templateProperty<K::kAtomList, &C::GlovesChoice>("GlovesChoice"),
    templateProperty<K::kAtomList, &C::EquipmentChoice>("EquipmentChoice"),
    templateProperty<K::kAtomList, &C::InventoryChoice>("InventoryChoice"),
    templateProperty<K::kAtomList, &C::InventoryBonus>("InventoryBonus"),
    templateProperty<K::kAtomList, &C::AbilityChoice>("AbilityChoice"),
    templateProperty<K::kIntegerList, &C::AbilityLevel>("AbilityLevel"),
    templateProperty<K::kFloatList, &C::AbilityProficiency>("AbilityProficiency"),
    templateProperty<K::kAtom, &C::Puppet>("Puppet"),
    templateProperty<K::kAtom, &C::Role>("Role"),
    templateProperty<K::kAtomList, &C::ClassChoice>("ClassChoice"),
    templateProperty<K::kAtomList, &C::RankChoice>("RankChoice"),
    templateProperty<K::kAtomList, &C::KnowledgeItem>("KnowledgeItem"),
    templateProperty<K::kInteger, &C::KnowledgeDesc>("KnowledgeDesc"),
    templateProperty<K::kAtomList, &C::WayptLocations>("WayptLocations"),
    templateProperty<K::kAtomList, &C::WayptConditions>("WayptConditions"),
    templateProperty<K::kIntegerList, &C::WayptTimeFlags>("WayptTimeFlags"),
    templateProperty<K::kAtomList, &C::WayptRoles>("WayptRoles"),
    templateProperty<K::kAtomList, &C::WayptSpots>("WayptSpots"),
    templateProperty<K::kInteger, &C::CrowdMin>("CrowdMin"),
    templateProperty<K::kInteger, &C::CrowdMax>("CrowdMax"),
    templateProperty<K::kAtomList, &C::CrowdMembers>("CrowdMembers"),
};
static_assert(F_generic::kPropertyCount + std::size(kCharacterProperties) ==
              F_character::kPropertyCount);

}  // namespace

PropertyRef F_character::property(int32_t index) {
  if (index < F_generic::kPropertyCount) return F_generic::property(index);
  return tableProperty<C>(kCharacterProperties, *this, index - F_generic::kPropertyCount);
}

const char* F_character::propertyNameText(int32_t index) const {
  if (index < F_generic::kPropertyCount) return F_generic::propertyNameText(index);
  return tablePropertyName<C>(kCharacterProperties, index - F_generic::kPropertyCount);
}

}  // namespace rpgc
