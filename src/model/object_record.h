// Object records: the top-level chunk of one object in the database body.
//
// A record is a chunk tagged with the object's name (words 0 and 0) holding the class
// name's atom and then the object's content (see GameObject::save).
//
// ObjectRecordWriter writes a database's records with the names of each class (its class
// name and property names) interned once, when the class is first met, instead of once
// per property of every record; after learnClasses() it interns nothing at all, so that
// it may write while another thread reads the same atom table.
#ifndef RPGC_MODEL_OBJECT_RECORD_H_
#define RPGC_MODEL_OBJECT_RECORD_H_

#include <typeinfo>
#include <vector>

#include "core/atom.h"
#include "model/game_object.h"

namespace rpgc {

class ArchiveWriter;
class AtomTable;
class ObjectRegistry;

class ObjectRecordWriter {
 public:
  explicit ObjectRecordWriter(AtomTable& atoms) : atoms_(&atoms) {}

  /// Interns the names of every class among registry's objects now.
  void learnClasses(const ObjectRegistry& registry);
  /// Writes the record of object.
  bool write(ArchiveWriter& archive, GameObject& object);

 private:
  struct ClassNames {
    const std::type_info* type;
    Atom className;
    std::vector<Atom> propertyNames;  // by property index
  };

  const ClassNames& namesOf(const GameObject& object);

  AtomTable* atoms_;
  std::vector<ClassNames> classes_;
  size_t last_ = 0;                      // the class met last: records come in runs
  std::vector<RecordProperty> scratch_;  // reused from record to record
};

/// Writes the record of object (its names interned as it goes).
bool writeObjectRecord(ArchiveWriter& archive, GameObject& object);

}  // namespace rpgc

#endif  // RPGC_MODEL_OBJECT_RECORD_H_
