// parseGenericBlock: "BEGIN <type word> <name>" blocks of any type word other than item
// and character, compiled into F_generic templates.
#ifndef RPGC_SOURCE_GENERIC_BLOCK_H_
#define RPGC_SOURCE_GENERIC_BLOCK_H_

#include <cstdint>

#include "core/ref_string.h"
#include "core/source_lines.h"

namespace rpgc {

class BlockContext;

/// Compiles the block whose body starts at line start. Returns the index after its
/// "END" line (the line count plus one without one), or -1 when the name belongs to an
/// object of another class.
int32_t parseGenericBlock(const SourceLines& lines, int32_t start, const RefString& typeWord,
                          const RefString& name, BlockContext& ctx);

}  // namespace rpgc

#endif  // RPGC_SOURCE_GENERIC_BLOCK_H_
