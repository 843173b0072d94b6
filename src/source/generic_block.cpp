// parseGenericBlock: read the body, find or create the object, apply the declarations.
#include "source/generic_block.h"

#include "model/f_generic.h"
#include "source/block_context.h"
#include "source/typed_declarations.h"

namespace rpgc {

int32_t parseGenericBlock(const StringList& lines, int32_t start, const RefString& typeWord,
                          const RefString& name, BlockContext& ctx) {
  int32_t next = readAssignmentBlock(lines, start, ctx.atoms, ctx.buffer);
  auto* object = static_cast<F_generic*>(obtainTemplate(ctx, name, "F_generic", start - 1));
  if (object == nullptr) return -1;
  applyTypedDeclarations(*object, typeWord, ctx.buffer, ctx.atoms);
  return next;
}

}  // namespace rpgc
