// Object records: frame, class atom and content.
#include "model/object_record.h"

#include <utility>

#include "archive/archive.h"
#include "core/atom_table.h"
#include "model/object_registry.h"

namespace rpgc {

bool writeObjectRecord(Archive& archive, GameObject& object) {
  ArchiveChunk chunk;
  chunk.tag = object.name();
  return archive.beginChunk(chunk) && archive.writeAtom(object.className(archive.atoms())) &&
         object.save(archive, true) && archive.endChunk(chunk);
}

bool readObjectRecord(Archive& archive, std::unique_ptr<GameObject>& object,
                      const ReferenceResolver& resolver) {
  object.reset();
  ArchiveChunk chunk;
  Atom classAtom = kNoAtom;
  if (!archive.beginChunk(chunk) || !archive.readAtom(classAtom)) return false;
  std::unique_ptr<GameObject> created = createTemplate(archive.atoms().atomView(classAtom));
  // A record of a class this program does not know is skipped.
  if (created == nullptr) return archive.endChunk(chunk);
  created->setName(chunk.tag);
  if (!created->load(archive, true, resolver) || !archive.endChunk(chunk)) return false;
  object = std::move(created);
  return true;
}

}  // namespace rpgc
