// parseGenericBlock: read the body, find or create the object, apply the declarations.
#include "source/generic_block.h"

#include "core/atom_table.h"
#include "model/f_generic.h"
#include "source/block_context.h"
#include "source/source_map.h"
#include "source/typed_declarations.h"

namespace rpgc {

int32_t parseGenericBlock(const SourceLines& lines, int32_t start, const RefString& typeWord,
                          const RefString& name, BlockContext& ctx) {
  BodyScope scope{.findings = ctx.scope(),
                  .headerLine = start - 1,
                  .kind = SectionKind::kObject,
                  .typeWord = typeWord.view(),
                  .name = name.view(),
                  .script = false};
  int32_t next = readAssignmentBlock(lines, start, ctx.atoms, ctx.buffer,
                                     ctx.findings != nullptr ? &scope : nullptr);
  auto* object = static_cast<F_generic*>(
      obtainTemplate(ctx, name, SectionKind::kObject, start - 1, typeWord.view()));
  if (object == nullptr) {
    ctx.resumeAt = next;
    return -1;
  }
  ctx.noteBlockBody(start - 1);
  applyTypedDeclarations(*object, typeWord, ctx);
  // The object's Type is the header's type word (token 1).
  if (ctx.sourceMap != nullptr) {
    ctx.sourceMap->noteProperty(ctx.blockObject, ctx.atoms.intern("Type"), start - 1);
  }
  ctx.noteLength(object->Type, typeWord.view(), SourcePlace::atToken(ctx.file, start - 1, 1));
  return next;
}

}  // namespace rpgc
