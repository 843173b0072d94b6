// GameObject: the base of every compiled object, with reflectable, typed properties.
//
// The database writer knows no concrete class: it asks an object for its class name,
// its number of properties and, per index, the property's name, kind and location, and
// encodes the value by its kind. Files are read back by the reader library (src/reader),
// not into these classes.
#ifndef RPGC_MODEL_GAME_OBJECT_H_
#define RPGC_MODEL_GAME_OBJECT_H_

#include <cstdint>
#include <span>
#include <vector>

#include "core/atom.h"
#include "model/property_ref.h"

namespace rpgc {

class ArchiveWriter;
class AtomTable;

/// The properties one record writes, each with the bytes of its value.
struct RecordProperty {
  PropertyRef value;
  int32_t index = 0;
  uint32_t valueBytes = 0;
};

class GameObject {
 public:
  GameObject() = default;
  GameObject(const GameObject&) = delete;
  GameObject& operator=(const GameObject&) = delete;
  virtual ~GameObject() = default;

  Atom name() const { return name_; }
  void setName(Atom name) { name_ = name; }
  int32_t instance() const { return instance_; }
  void setInstance(int32_t instance) { instance_ = instance; }
  void setSavesAll(bool saveAll) { saveAll_ = saveAll; }
  void setStoredFlag(bool storedFlag) { storedFlag_ = storedFlag; }

  // The texts below live as long as the program (literals or constant tables).

  /// The class name written into the object's record; null for the base class.
  virtual const char* classNameText() const { return nullptr; }
  /// The category of the class; null for the base class.
  virtual const char* kindNameText() const { return nullptr; }
  virtual bool savesAll() const { return saveAll_; }
  virtual bool storedFlag() const { return storedFlag_; }

  /// Writes the record content: the flags word, then one chunk per property.
  virtual bool save(ArchiveWriter& archive, bool all);

  /// The content that save() writes, with the atom of property i's name given as
  /// names[i] (interning nothing) and scratch reused from record to record: what the
  /// database writer calls. Measures the content, then encodes it into one piece of the
  /// writer's buffer.
  bool saveWithNames(ArchiveWriter& archive, bool all, std::span<const Atom> names,
                     std::vector<RecordProperty>& scratch);

  // Reflection: properties are numbered 0 .. propertyCount() - 1 in writing order.
  // Out of range, property() has kind kNone, the name is null and nothing is shared.
  virtual int32_t propertyCount() const { return 0; }
  virtual PropertyRef property(int32_t) { return {}; }
  virtual const char* propertyNameText(int32_t) const { return nullptr; }
  virtual bool isSharedProperty(int32_t) const { return false; }

  /// The atoms of the texts above, interned in atoms ("" and null give kNoAtom).
  Atom className(AtomTable& atoms) const;
  Atom kindName(AtomTable& atoms) const;
  Atom propertyName(int32_t index, AtomTable& atoms) const;

 private:
  Atom name_ = kNoAtom;
  int32_t instance_ = 0;
  bool saveAll_ = false;
  bool storedFlag_ = false;
};

}  // namespace rpgc

#endif  // RPGC_MODEL_GAME_OBJECT_H_
