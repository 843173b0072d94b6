// Object records: the top-level chunk of one object in the database body.
//
// A record is a chunk tagged with the object's name (words 0 and 0) holding the class
// name's atom and then the object's content (see GameObject::save).
#ifndef RPGC_MODEL_OBJECT_RECORD_H_
#define RPGC_MODEL_OBJECT_RECORD_H_

#include <memory>

#include "model/game_object.h"

namespace rpgc {

class Archive;

/// Writes the record of object.
bool writeObjectRecord(Archive& archive, GameObject& object);

/// Reads the next record of a database body: creates an object of the record's class
/// (see createTemplate) with the record's name and loads its content into object. A
/// record of a class this program does not know is skipped: true with object null, and
/// the walk goes on. False when the record cannot be read (archive.error() says why);
/// the walk cannot go on.
bool readObjectRecord(Archive& archive, std::unique_ptr<GameObject>& object,
                      const ReferenceResolver& resolver = {});

}  // namespace rpgc

#endif  // RPGC_MODEL_OBJECT_RECORD_H_
