// parseItemBlock: fixed fields by name, then FLOAT ranges, ATOM and REFERENCE pairs.
#include "source/item_block.h"

#include <string_view>

#include "core/atom_table.h"
#include "model/f_item.h"
#include "source/block_context.h"
#include "source/field_assignment.h"
#include "source/number_text.h"

namespace rpgc {

namespace {

// Properties of F_item that a line sets by its name, whatever its type word.
constexpr std::string_view kItemFixedFields[] = {
    "Type",       "Class",         "STR_Desc",      "Materials",     "ModNames",
    "ModFactors", "EffectMacro_0", "EffectMacro_1", "EffectMacro_2",
};

}  // namespace

std::span<const std::string_view> itemFixedFieldNames() {
  return kItemFixedFields;
}

int32_t parseItemBlock(const StringList& lines, int32_t start, const RefString& name,
                       BlockContext& ctx) {
  int32_t next = readAssignmentBlock(lines, start, ctx.atoms, ctx.buffer);
  auto* item = static_cast<F_item*>(obtainTemplate(ctx, name, "F_item", start - 1));
  if (item == nullptr) return -1;
  static const FixedFields fixedFields(F_item(), kItemFixedFields);
  const AssignmentBuffer& buffer = ctx.buffer;
  for (int32_t i = 0; i < buffer.count(); ++i) {
    Atom propertyName = buffer.names[i];
    ValueTokens values = buffer.values(i);
    int32_t field = fixedFields.indexOf(ctx.atoms.atomView(propertyName));
    if (field >= 0) {
      assignField(item->property(field), values, ctx.atoms);
      continue;
    }
    std::string_view typeWord = ctx.atoms.atomView(buffer.typeWords[i]);
    if (typeWord == "FLOAT") {
      item->FloatPropertyName.push(propertyName);
      item->FloatPropertyMin.push(floatOfText(values[0]));
      // "FLOAT Damage = 2 to 5": the third value token is the maximum.
      item->FloatPropertyMax.push(floatOfText(values[values.size() >= 3 ? 2 : 0]));
    } else if (typeWord == "ATOM") {
      item->AtomPropertyName.push(propertyName);
      item->AtomPropertyValue.push(ctx.atoms.intern(values[0]));
    } else if (typeWord == "REFERENCE") {
      item->ReferencePropertyName.push(propertyName);
      item->ReferencePropertyValue.push(ctx.atoms.intern(values[0]));
    }
  }
  return next;
}

}  // namespace rpgc
