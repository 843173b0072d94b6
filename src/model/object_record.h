// Object records: the top-level chunk of one object in the database body.
//
// A record is a chunk tagged with the object's name (words 0 and 0) holding the class
// name's atom and then the object's content (see GameObject::save).
#ifndef RPGC_MODEL_OBJECT_RECORD_H_
#define RPGC_MODEL_OBJECT_RECORD_H_

#include "model/game_object.h"

namespace rpgc {

class ArchiveWriter;

/// Writes the record of object.
bool writeObjectRecord(ArchiveWriter& archive, GameObject& object);

}  // namespace rpgc

#endif  // RPGC_MODEL_OBJECT_RECORD_H_
