// Object records: frame, class atom and content, with the names of each class looked up
// once.
#include "model/object_record.h"

#include <algorithm>

#include "archive/archive_writer.h"
#include "model/object_registry.h"

namespace rpgc {

const ObjectRecordWriter::ClassNames& ObjectRecordWriter::namesOf(const GameObject& object) {
  const std::type_info& type = typeid(object);
  // The same class as the record before: one pointer compared, most of the time.
  if (last_ < classes_.size() && classes_[last_].type == &type) return classes_[last_];
  for (last_ = 0; last_ < classes_.size(); ++last_) {
    if (*classes_[last_].type == type) return classes_[last_];
  }
  // A class's property table is fixed: its names are the same for every object.
  ClassNames names{&type, object.className(*atoms_), {}};
  names.propertyNames.resize(static_cast<size_t>(std::max(object.propertyCount(), 0)));
  for (size_t i = 0; i < names.propertyNames.size(); ++i) {
    names.propertyNames[i] = object.propertyName(static_cast<int32_t>(i), *atoms_);
  }
  classes_.push_back(std::move(names));
  return classes_.back();
}

void ObjectRecordWriter::learnClasses(const ObjectRegistry& registry) {
  for (int32_t j = 0; j < registry.count(); ++j) namesOf(*registry.at(j));
}

bool ObjectRecordWriter::write(ArchiveWriter& archive, GameObject& object) {
  const ClassNames& names = namesOf(object);
  ArchiveChunk chunk;
  chunk.tag = object.name();
  return archive.beginChunk(chunk) && archive.writeAtom(names.className) &&
         object.saveWithNames(archive, true, names.propertyNames, scratch_) &&
         archive.endChunk(chunk);
}

bool writeObjectRecord(ArchiveWriter& archive, GameObject& object) {
  ArchiveChunk chunk;
  chunk.tag = object.name();
  return archive.beginChunk(chunk) && archive.writeAtom(object.className(archive.atoms())) &&
         object.save(archive, true) && archive.endChunk(chunk);
}

}  // namespace rpgc
