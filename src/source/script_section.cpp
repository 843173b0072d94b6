// parseScriptSection: the body goes through the block reader like any other block.
#include "source/script_section.h"

#include "source/block_context.h"

namespace rpgc {

int32_t parseScriptSection(const StringList& lines, int32_t start, const RefString&,
                           BlockContext& ctx) {
  return readAssignmentBlock(lines, start, ctx.atoms, ctx.buffer);
}

}  // namespace rpgc
