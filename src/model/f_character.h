// F_character: everything of F_generic (same properties at the same indices) followed by
// the character's equipment, inventory, ability, knowledge, waypoint and crowd fields.
#ifndef RPGC_MODEL_F_CHARACTER_H_
#define RPGC_MODEL_F_CHARACTER_H_

#include <iterator>

#include "core/value_lists.h"
#include "format/property_tables.h"
#include "model/f_generic.h"

namespace rpgc {

class F_character : public F_generic {
 public:
  static constexpr auto kPropertyCount =
      static_cast<int32_t>(std::size(format::kCharacterProperties));

  const char* classNameText() const override { return format::kCharacterClass.name.data(); }
  int32_t propertyCount() const override { return kPropertyCount; }
  PropertyRef property(int32_t index) override;
  const char* propertyNameText(int32_t index) const override;

  AtomList WeaponChoice;
  AtomList ArmourChoice;
  AtomList ShieldChoice;
  AtomList HelmetChoice;
  AtomList BootsChoice;
  AtomList GlovesChoice;
  AtomList EquipmentChoice;
  AtomList InventoryChoice;
  AtomList InventoryBonus;
  AtomList AbilityChoice;
  IntList AbilityLevel;
  FloatList AbilityProficiency;
  Atom Puppet = kNoAtom;
  Atom Role = kNoAtom;
  AtomList ClassChoice;
  AtomList RankChoice;
  AtomList KnowledgeItem;
  int32_t KnowledgeDesc = 0;
  AtomList WayptLocations;
  AtomList WayptConditions;
  IntList WayptTimeFlags;
  AtomList WayptRoles;
  AtomList WayptSpots;
  int32_t CrowdMin = 0;
  int32_t CrowdMax = 0;
  AtomList CrowdMembers;
};

}  // namespace rpgc

#endif  // RPGC_MODEL_F_CHARACTER_H_
