// parseCharacterBlock: character fields by name, the character type, and leftovers
// handed to the typed declarations.
#include "source/character_block.h"

#include <string_view>
#include <vector>

#include "core/atom_table.h"
#include "model/f_character.h"
#include "source/block_context.h"
#include "source/field_assignment.h"
#include "source/typed_declarations.h"

namespace rpgc {

namespace {

// Properties of F_character that a line sets by its name, whatever its type word.
// KnowledgeItem and KnowledgeDesc are not among them: such lines are typed declarations.
constexpr std::string_view kCharacterFixedFields[] = {
    "Puppet",
    "Role",
    "ClassChoice",
    "RankChoice",
    "WeaponChoice",
    "ArmourChoice",
    "ShieldChoice",
    "HelmetChoice",
    "BootsChoice",
    "GlovesChoice",
    "EquipmentChoice",
    "InventoryChoice",
    "InventoryBonus",
    "WayptLocations",
    "WayptConditions",
    "WayptTimeFlags",
    "WayptRoles",
    "WayptSpots",
    "AbilityChoice",
    "AbilityLevel",
    "AbilityProficiency",
    "CrowdMin",
    "CrowdMax",
    "CrowdMembers",
};

constexpr std::string_view kCharacterTypes[] = {"player", "monster", "crowd"};

}  // namespace

std::span<const std::string_view> characterFixedFieldNames() {
  return kCharacterFixedFields;
}

std::span<const std::string_view> characterTypeWords() {
  return kCharacterTypes;
}

int32_t parseCharacterBlock(const StringList& lines, int32_t start, const RefString& name,
                            BlockContext& ctx) {
  int32_t next = readAssignmentBlock(lines, start, ctx.atoms, ctx.buffer);
  auto* character = static_cast<F_character*>(obtainTemplate(ctx, name, "F_character", start - 1));
  if (character == nullptr) return -1;

  static const FixedFields fixedFields(F_character(), kCharacterFixedFields);
  std::string_view characterType = kDefaultCharacterType;
  AssignmentBuffer& buffer = ctx.buffer;
  std::vector<bool> leftover(static_cast<size_t>(buffer.count()), false);
  for (int32_t i = 0; i < buffer.count(); ++i) {
    std::string_view propertyName = ctx.atoms.atomView(buffer.names[i]);
    ValueTokens values = buffer.values(i);
    if (propertyName == "Type") {
      characterType = kDefaultCharacterType;
      for (std::string_view type : kCharacterTypes) {
        if (values[0] == type) characterType = type;
      }
      continue;
    }
    int32_t field = fixedFields.indexOf(propertyName);
    if (field >= 0) {
      assignField(character->property(field), values, ctx.atoms);
    } else {
      leftover[static_cast<size_t>(i)] = true;
    }
  }

  // The buffer now holds only the leftover lines, which become typed properties.
  buffer.retain(leftover);
  applyTypedDeclarations(*character, RefString(characterType), buffer, ctx.atoms);
  return next;
}

}  // namespace rpgc
