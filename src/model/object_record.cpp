// Object records: frame, class atom and content.
#include "model/object_record.h"

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

std::unique_ptr<GameObject> readObjectRecord(Archive& archive, const ReferenceResolver& resolver) {
  ArchiveChunk chunk;
  Atom classAtom = kNoAtom;
  if (!archive.beginChunk(chunk) || !archive.readAtom(classAtom)) return nullptr;
  std::unique_ptr<GameObject> object = createTemplate(archive.atoms().atomView(classAtom));
  if (object == nullptr) {
    archive.endChunk(chunk);  // a record of a class this program does not know is skipped
    return nullptr;
  }
  object->setName(chunk.tag);
  if (!object->load(archive, true, resolver) || !archive.endChunk(chunk)) return nullptr;
  return object;
}

}  // namespace rpgc
