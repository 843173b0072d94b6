// parseCharacterBlock: character fields by name, the character type, and leftovers
// handed to the typed declarations.
#include "source/character_block.h"

#include <string_view>
#include <vector>

#include "core/atom_table.h"
#include "core/spelling.h"
#include "format/property_tables.h"
#include "model/f_character.h"
#include "source/block_context.h"
#include "source/field_assignment.h"
#include "source/line_values.h"
#include "source/typed_declarations.h"

namespace rpgc {

namespace {

// Properties of F_character that a line sets by its name, whatever its type word.
// KnowledgeItem and KnowledgeDesc are not among them: such lines are typed declarations.
// Equipment, inventory, crowd members and waypoint locations name objects of the project.
constexpr FixedField kCharacterFixedFields[] = {
    {"Puppet"},
    {"Role"},
    {"ClassChoice"},
    {"RankChoice"},
    {"WeaponChoice", FieldTarget::kObject},
    {"ArmourChoice", FieldTarget::kObject},
    {"ShieldChoice", FieldTarget::kObject},
    {"HelmetChoice", FieldTarget::kObject},
    {"BootsChoice", FieldTarget::kObject},
    {"GlovesChoice", FieldTarget::kObject},
    {"EquipmentChoice", FieldTarget::kObject},
    {"InventoryChoice", FieldTarget::kObject},
    {"InventoryBonus", FieldTarget::kObject},
    {"WayptLocations", FieldTarget::kObject},
    {"WayptConditions"},
    {"WayptTimeFlags"},
    {"WayptRoles"},
    {"WayptSpots"},
    {"AbilityChoice"},
    {"AbilityLevel"},
    {"AbilityProficiency"},
    {"CrowdMin"},
    {"CrowdMax"},
    {"CrowdMembers", FieldTarget::kObject},
};
static_assert(fixedFieldsExist(kCharacterFixedFields, format::kCharacterProperties));

constexpr std::string_view kCharacterTypes[] = {"player", "monster", "crowd"};

// The character type a "Type" line chooses; "character" for any other value.
std::string_view characterTypeOf(BlockContext& ctx, int32_t entry) {
  LineValues values(ctx, entry);
  values.ignoreFrom(1);
  std::string_view value = values.text(0);
  for (std::string_view type : kCharacterTypes) {
    if (value == type) return type;
  }
  if (value != kDefaultCharacterType && ctx.wants(FindingCode::kUnknownCharacterType)) {
    Finding finding(FindingCode::kUnknownCharacterType,
                    SourcePlace::atColumn(ctx.file, values.line(), values.column(0)));
    ctx.report(std::move(finding.with(std::string(value))));
  }
  return kDefaultCharacterType;
}

}  // namespace

std::span<const std::string_view> characterFixedFieldNames() {
  static constexpr auto kNames = fixedFieldNames(kCharacterFixedFields);
  return kNames;
}

bool characterFieldNamesObjects(std::string_view name) {
  for (const FixedField& field : kCharacterFixedFields) {
    if (field.name == name) return field.target == FieldTarget::kObject;
  }
  return false;
}

std::span<const std::string_view> characterTypeWords() {
  return kCharacterTypes;
}

int32_t parseCharacterBlock(const SourceLines& lines, int32_t start, const RefString& name,
                            BlockContext& ctx) {
  BodyScope scope{.findings = ctx.scope(),
                  .headerLine = start - 1,
                  .kind = SectionKind::kCharacter,
                  .typeWord = {},
                  .name = name.view()};
  int32_t next = readAssignmentBlock(lines, start, ctx.atoms, ctx.buffer,
                                     ctx.findings != nullptr ? &scope : nullptr);
  auto* character =
      static_cast<F_character*>(obtainTemplate(ctx, name, SectionKind::kCharacter, start - 1));
  if (character == nullptr) {
    ctx.resumeAt = next;
    return -1;
  }

  ctx.noteBlockBody(start - 1);
  static const FixedFields fixedFields(format::kCharacterProperties, kCharacterFixedFields);
  std::string_view characterType = kDefaultCharacterType;
  AssignmentBuffer& buffer = ctx.buffer;
  std::vector<bool>& leftover = ctx.leftover;
  leftover.assign(static_cast<size_t>(buffer.count()), false);
  for (int32_t i = 0; i < buffer.count(); ++i) {
    std::string_view propertyName = ctx.atoms.atomView(buffer.name(i));
    if (propertyName == "Type") {
      // Each block decides the type: a later block must say it again to keep it.
      ctx.noteProperty(i, 0, true);
      characterType = characterTypeOf(ctx, i);
      ctx.noteSet(i);
      continue;
    }
    int32_t field = fixedFields.find(buffer.name(i), propertyName, ctx.characterFields);
    if (field >= 0) {
      ctx.noteProperty(i, 0);
      LineValues values(ctx, i, LineValues::Shape::kList);
      assignField(character->property(fixedFields.propertyIndex(field)), values,
                  fixedFields.target(field));
      ctx.noteReplaced(fixedFields.propertyIndex(field));
      ctx.noteSet(i);
      continue;
    }
    leftover[static_cast<size_t>(i)] = true;
    if (ctx.wants(FindingCode::kMisspelledField) ||
        ctx.wants(FindingCode::kMisspelledFieldSkipped)) {
      int32_t guess =
          fixedFields.misspelled(buffer.name(i), propertyName, ctx.characterFieldGuesses);
      std::string_view guessName = guess >= 0 ? fixedFields.name(guess) : std::string_view();
      if (guess < 0 && propertyName != "Type" && equalsIgnoringCase(propertyName, "Type")) {
        guessName = "Type";
      }
      // A misspelled field whose type word is no type word is skipped for its name.
      FindingCode code = typeWordIndex(ctx, buffer.typeWord(i)) >= 0
                             ? FindingCode::kMisspelledField
                             : FindingCode::kMisspelledFieldSkipped;
      if (!guessName.empty() && code == FindingCode::kMisspelledFieldSkipped) {
        leftover[static_cast<size_t>(i)] = false;
      }
      if (!guessName.empty() && ctx.wants(code)) {
        Finding finding(code, SourcePlace::atToken(ctx.file, buffer.line(i), 1));
        ValueTokens words = buffer.words(i);
        finding.with(std::string(propertyName))
            .withKind(SectionKind::kCharacter)
            .with(std::string(guessName))
            .withFix(buffer.line(i), words.column(1), words.endColumn(1), std::string(guessName));
        ctx.report(std::move(finding));
      }
    }
  }

  // The buffer now holds only the leftover lines, which become typed properties.
  buffer.retain(leftover);
  applyTypedDeclarations(*character, RefString(characterType), ctx);
  return next;
}

}  // namespace rpgc
