// Object records: frame, class atom and content.
#include "model/object_record.h"

#include "archive/archive_writer.h"

namespace rpgc {

bool writeObjectRecord(ArchiveWriter& archive, GameObject& object) {
  ArchiveChunk chunk;
  chunk.tag = object.name();
  return archive.beginChunk(chunk) && archive.writeAtom(object.className(archive.atoms())) &&
         object.save(archive, true) && archive.endChunk(chunk);
}

}  // namespace rpgc
