// parseScriptSection: the body goes through the block reader like any other block.
#include "source/script_section.h"

#include "source/block_context.h"

namespace rpgc {

int32_t parseScriptSection(const SourceLines& lines, int32_t start, const RefString& name,
                           BlockContext& ctx) {
  BodyScope scope{.findings = ctx.scope(),
                  .headerLine = start - 1,
                  .kind = SectionKind::kScript,
                  .typeWord = {},
                  .name = name.view(),
                  .script = true};
  return readAssignmentBlock(lines, start, ctx.atoms, ctx.buffer,
                             ctx.findings != nullptr ? &scope : nullptr);
}

}  // namespace rpgc
