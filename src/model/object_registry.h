// ObjectRegistry: every object the compiler creates, in creation order, with the
// template factory that finds an object by name or creates it.
//
// A name belongs to the class of the first object created with it. Lookup by name goes
// through an index by name atom; the order of the objects is their creation order and
// is the order of the database's records.
#ifndef RPGC_MODEL_OBJECT_REGISTRY_H_
#define RPGC_MODEL_OBJECT_REGISTRY_H_

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "core/atom.h"
#include "core/ref_string.h"

namespace rpgc {

class AtomTable;
class GameObject;

/// A new template of the class named "F_generic", "F_item" or "F_character" (exact,
/// case-sensitive), with every property at its default; null for any other name.
std::unique_ptr<GameObject> createTemplate(std::string_view className);

class ObjectRegistry {
 public:
  explicit ObjectRegistry(AtomTable& atoms);
  ObjectRegistry(const ObjectRegistry&) = delete;
  ObjectRegistry& operator=(const ObjectRegistry&) = delete;
  ~ObjectRegistry();

  /// The object of this name when its class is className; null when the name belongs
  /// to another class. Without an object of this name, creates one of className (null,
  /// and nothing created, for an unknown class), names it and appends it.
  GameObject* findOrCreateTemplate(const RefString& name, const RefString& className);
  GameObject* findOrCreateTemplate(std::string_view name, std::string_view className);
  GameObject* findOrCreateTemplate(const char* name, const char* className) {
    return findOrCreateTemplate(std::string_view(name), std::string_view(className));
  }

  /// The object of a name atom, or null.
  GameObject* find(Atom name) const;
  /// Its position in creation order, or -1.
  int32_t indexOf(Atom name) const;

  int32_t count() const { return static_cast<int32_t>(objects_.size()); }
  GameObject* at(int32_t index) const { return objects_[static_cast<size_t>(index)].get(); }

  /// Appends an object made elsewhere; false, and the object is dropped, when its name
  /// is taken.
  bool add(std::unique_ptr<GameObject> object);

  /// Hands over the object at index, leaving its place empty until clear().
  std::unique_ptr<GameObject> take(int32_t index);
  /// Forgets every object (destroying those not taken), keeping the index's memory.
  void clear();

 private:
  AtomTable* atoms_;
  std::vector<std::unique_ptr<GameObject>> objects_;
  std::vector<int32_t> indexByName_;  // by name atom + 1: position + 1, or 0
};

}  // namespace rpgc

#endif  // RPGC_MODEL_OBJECT_REGISTRY_H_
