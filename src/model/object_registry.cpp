// ObjectRegistry: the factory of templates and the index of objects by name.
#include "model/object_registry.h"

#include <algorithm>

#include "core/atom_table.h"
#include "format/property_tables.h"
#include "model/f_character.h"
#include "model/f_generic.h"
#include "model/f_item.h"

namespace rpgc {

std::unique_ptr<GameObject> createTemplate(std::string_view className) {
  if (className == format::kGenericClass.name) return std::make_unique<F_generic>();
  if (className == format::kItemClass.name) return std::make_unique<F_item>();
  if (className == format::kCharacterClass.name) return std::make_unique<F_character>();
  return nullptr;
}

ObjectRegistry::ObjectRegistry(AtomTable& atoms) : atoms_(&atoms) {}
ObjectRegistry::~ObjectRegistry() = default;

int32_t ObjectRegistry::indexOf(Atom name) const {
  size_t slot = static_cast<size_t>(name) + 1;
  if (name < kNoAtom || slot >= indexByName_.size()) return -1;
  return indexByName_[slot] - 1;
}

GameObject* ObjectRegistry::find(Atom name) const {
  int32_t index = indexOf(name);
  return index < 0 ? nullptr : at(index);
}

bool ObjectRegistry::add(std::unique_ptr<GameObject> object) {
  Atom name = object->name();
  if (name < kNoAtom || indexOf(name) >= 0) return false;
  size_t slot = static_cast<size_t>(name) + 1;
  if (slot >= indexByName_.size()) {
    indexByName_.resize(std::max(slot + 1, indexByName_.size() * 2), 0);
  }
  objects_.push_back(std::move(object));
  indexByName_[slot] = count();
  return true;
}

std::unique_ptr<GameObject> ObjectRegistry::take(int32_t index) {
  return std::move(objects_[static_cast<size_t>(index)]);
}

void ObjectRegistry::clear() {
  objects_.clear();
  std::fill(indexByName_.begin(), indexByName_.end(), 0);
}

GameObject* ObjectRegistry::findOrCreateTemplate(std::string_view name,
                                                 std::string_view className) {
  Atom nameAtom = atoms_->intern(name);
  Atom classAtom = atoms_->intern(className);
  if (GameObject* existing = find(nameAtom)) {
    return existing->className(*atoms_) == classAtom ? existing : nullptr;
  }
  std::unique_ptr<GameObject> object = createTemplate(atoms_->atomView(classAtom));
  if (object == nullptr) return nullptr;
  object->setName(nameAtom);
  GameObject* created = object.get();
  add(std::move(object));
  return created;
}

GameObject* ObjectRegistry::findOrCreateTemplate(const RefString& name,
                                                 const RefString& className) {
  return findOrCreateTemplate(name.view(), className.view());
}

}  // namespace rpgc
