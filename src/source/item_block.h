// parseItemBlock: "BEGIN item <name>" blocks, compiled into F_item templates.
//
// A line is mapped by its property name to a fixed field first (Type, Class, STR_Desc,
// Materials, ModNames, ModFactors, EffectMacro_0..2: the last line wins), else by its
// type word to a float range, atom or reference property (appended).
#ifndef RPGC_SOURCE_ITEM_BLOCK_H_
#define RPGC_SOURCE_ITEM_BLOCK_H_

#include <cstdint>
#include <span>
#include <string_view>

#include "core/ref_string.h"
#include "core/source_lines.h"

namespace rpgc {

class BlockContext;

/// The names of the item fields that a line sets by its name, whatever its type word.
std::span<const std::string_view> itemFixedFieldNames();

/// Returns the index after the block's "END" line, or -1 when the name belongs to an
/// object of another class.
int32_t parseItemBlock(const SourceLines& lines, int32_t start, const RefString& name,
                       BlockContext& ctx);

}  // namespace rpgc

#endif  // RPGC_SOURCE_ITEM_BLOCK_H_
