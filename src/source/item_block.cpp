// parseItemBlock: fixed fields by name, then FLOAT ranges, ATOM and REFERENCE pairs.
#include "source/item_block.h"

#include <string_view>

#include "core/atom_table.h"
#include "format/property_tables.h"
#include "model/game_object.h"
#include "source/block_context.h"
#include "source/field_assignment.h"
#include "source/line_values.h"
#include "source/typed_declarations.h"

namespace rpgc {

namespace {

// Properties of F_item that a line sets by its name, whatever its type word.
constexpr FixedField kItemFixedFields[] = {
    {"Type"},          {"Class"},         {"STR_Desc", FieldTarget::kStringSection},
    {"Materials"},     {"ModNames"},      {"ModFactors"},
    {"EffectMacro_0"}, {"EffectMacro_1"}, {"EffectMacro_2"},
};
static_assert(fixedFieldsExist(kItemFixedFields, format::kItemProperties));

// Where an item stores its FLOAT ranges, ATOM and REFERENCE properties.
constexpr format::DeclaredStorage kRanges =
    format::declaredStorage(format::kItemProperties, ValueKind::kFloat);
constexpr format::DeclaredStorage kAtoms =
    format::declaredStorage(format::kItemProperties, ValueKind::kAtom);
constexpr format::DeclaredStorage kReferences =
    format::declaredStorage(format::kItemProperties, ValueKind::kReference);
static_assert(kRanges.maxima >= 0 && kAtoms.kind == ValueKind::kAtom &&
              kReferences.kind == ValueKind::kReference);

// Words written between the two ends of a range: "FLOAT Damage = 2 to 5".
bool isRangeWord(std::string_view word) {
  return word == "to" || word == "," || word == "-" || word == "..";
}

// A second value that is not the word between a range's ends is not read.
void reportRange(BlockContext& ctx, LineValues& values) {
  if (values.count() == 2 || (values.count() >= 3 && !isRangeWord(values.text(1)))) {
    if (ctx.wants(FindingCode::kRangeValueIgnored)) {
      Finding finding(FindingCode::kRangeValueIgnored,
                      SourcePlace::atColumn(ctx.file, values.line(), values.column(1)));
      ctx.report(std::move(finding.with(std::string(values.text(1)))));
    }
  }
  values.ignoreFrom(3);
}

}  // namespace

std::span<const std::string_view> itemFixedFieldNames() {
  static constexpr auto kNames = fixedFieldNames(kItemFixedFields);
  return kNames;
}

int32_t parseItemBlock(const SourceLines& lines, int32_t start, const RefString& name,
                       BlockContext& ctx) {
  BodyScope scope{.findings = ctx.scope(),
                  .headerLine = start - 1,
                  .kind = SectionKind::kItem,
                  .typeWord = {},
                  .name = name.view()};
  int32_t next = readAssignmentBlock(lines, start, ctx.atoms, ctx.buffer,
                                     ctx.findings != nullptr ? &scope : nullptr);
  GameObject* item = obtainTemplate(ctx, name, SectionKind::kItem, start - 1);
  if (item == nullptr) {
    ctx.resumeAt = next;
    return -1;
  }
  ctx.noteBlockBody(start - 1);
  static const FixedFields fixedFields(format::kItemProperties, kItemFixedFields);
  const AssignmentBuffer& buffer = ctx.buffer;
  for (int32_t i = 0; i < buffer.count(); ++i) {
    Atom propertyName = buffer.name(i);
    std::string_view nameText = ctx.atoms.atomView(propertyName);
    int32_t field = fixedFields.find(propertyName, nameText, ctx.itemFields);
    if (field >= 0) {
      ctx.noteProperty(i, 0);
      LineValues values(ctx, i, LineValues::Shape::kList);
      assignField(item->property(fixedFields.propertyIndex(field)), values,
                  fixedFields.target(field));
      ctx.noteReplaced(fixedFields.propertyIndex(field));
      ctx.noteSet(i);
      continue;
    }
    int32_t typeWord = typeWordIndex(ctx, buffer.typeWord(i));
    bool declares =
        typeWord == kFloatTypeWord || typeWord == kAtomTypeWord || typeWord == kReferenceTypeWord;
    // The most specific finding first: a misspelled field whose type word is wrong too
    // is skipped for its name, not for its type word.
    bool misspelled = false;
    if (ctx.wants(FindingCode::kMisspelledField) ||
        ctx.wants(FindingCode::kMisspelledFieldSkipped)) {
      int32_t guess = fixedFields.misspelled(propertyName, nameText, ctx.itemFieldGuesses);
      FindingCode code =
          declares ? FindingCode::kMisspelledField : FindingCode::kMisspelledFieldSkipped;
      misspelled = guess >= 0;
      if (misspelled && ctx.wants(code)) {
        Finding finding(code, SourcePlace::atToken(ctx.file, buffer.line(i), 1));
        ValueTokens words = buffer.words(i);
        finding.with(std::string(nameText))
            .withKind(SectionKind::kItem)
            .with(std::string(fixedFields.name(guess)))
            .withFix(buffer.line(i), words.column(1), words.endColumn(1),
                     std::string(fixedFields.name(guess)));
        ctx.report(std::move(finding));
      }
    }
    if (declares) {
      ValueKind kind = typeWord == kFloatTypeWord  ? ValueKind::kFloat
                       : typeWord == kAtomTypeWord ? ValueKind::kAtom
                                                   : ValueKind::kReference;
      ctx.noteProperty(i, static_cast<uint8_t>(1 + static_cast<int>(kind)));
      ctx.noteLength(propertyName, nameText, SourcePlace::atToken(ctx.file, buffer.line(i), 1));
      ctx.noteSet(i);
    }
    if (typeWord == kFloatTypeWord) {
      LineValues values(ctx, i, LineValues::Shape::kRange);
      // "FLOAT Damage = 2 to 5": the third value token is the maximum.
      float min = values.real(0);
      float max = values.count() >= 3 ? values.real(2) : min;
      if (ctx.findings != nullptr) reportRange(ctx, values);
      item->property(kRanges.names).atoms().push(propertyName);
      item->property(kRanges.values).reals().push(min);
      item->property(kRanges.maxima).reals().push(max);
      ctx.noteAppended(kRanges);
    } else if (typeWord == kAtomTypeWord) {
      LineValues values(ctx, i);
      appendDeclared(*item, kAtoms, propertyName, values, nameText.starts_with("STR_"));
      ctx.noteAppended(kAtoms);
    } else if (typeWord == kReferenceTypeWord) {
      LineValues values(ctx, i);
      appendDeclared(*item, kReferences, propertyName, values, false);
      ctx.noteAppended(kReferences);
    } else if (!misspelled) {
      reportUnknownTypeWord(
          ctx, i, typeWord >= 0 ? FindingCode::kIgnoredTypeWord : FindingCode::kUnknownTypeWord);
    }
  }
  return next;
}

}  // namespace rpgc
