// obtainTemplate: the registry's factory plus the bookkeeping of declaration places.
#include "source/block_context.h"

#include "core/atom_table.h"
#include "model/game_object.h"
#include "model/object_registry.h"

namespace rpgc {

GameObject* obtainTemplate(BlockContext& ctx, const RefString& name, std::string_view className,
                           int32_t headerLine) {
  int32_t before = ctx.registry.count();
  GameObject* object = ctx.registry.findOrCreateTemplate(name.view(), className);
  SourcePosition here{ctx.file, headerLine + 1};
  if (object != nullptr) {
    if (ctx.registry.count() > before) {
      ctx.origins.resize(static_cast<size_t>(ctx.registry.count()), here);
    }
    return object;
  }
  BlockError error;
  error.where = here;
  error.name = ctx.atoms.intern(name.view());
  error.requestedClass = ctx.atoms.intern(className);
  int32_t index = ctx.registry.indexOf(error.name);
  if (index >= 0) {
    error.existingClass = ctx.registry.at(index)->className(ctx.atoms);
    if (static_cast<size_t>(index) < ctx.origins.size()) {
      error.existingOrigin = ctx.origins[static_cast<size_t>(index)];
    }
  }
  ctx.error = error;
  return nullptr;
}

}  // namespace rpgc
