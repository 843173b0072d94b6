// parseCharacterBlock: "BEGIN character <name>" blocks, compiled into F_character
// templates.
//
// Lines named after a character field set that field (the last line wins); a "Type"
// line chooses the character type (player, monster, crowd, else character); every other
// line is a typed declaration, as in a generic block.
#ifndef RPGC_SOURCE_CHARACTER_BLOCK_H_
#define RPGC_SOURCE_CHARACTER_BLOCK_H_

#include <cstdint>
#include <span>
#include <string_view>

#include "core/ref_string.h"
#include "core/source_lines.h"

namespace rpgc {

class BlockContext;

/// The names of the character fields that a line sets by its name, whatever its type word.
std::span<const std::string_view> characterFixedFieldNames();

/// Whether the values of the character field called name name objects of the project
/// (equipment, inventory, waypoint locations, crowd members).
bool characterFieldNamesObjects(std::string_view name);

/// The character types a Type line chooses by its first value; any other value, and a
/// block without a Type line, gives kDefaultCharacterType.
std::span<const std::string_view> characterTypeWords();
inline constexpr std::string_view kDefaultCharacterType = "character";

/// Returns the index after the block's "END" line, or -1 when the name belongs to an
/// object of another class.
int32_t parseCharacterBlock(const SourceLines& lines, int32_t start, const RefString& name,
                            BlockContext& ctx);

}  // namespace rpgc

#endif  // RPGC_SOURCE_CHARACTER_BLOCK_H_
