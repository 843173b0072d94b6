// renumberAtoms: one pass over the object's properties by their kinds.
#include "model/atom_renumbering.h"

#include <utility>

#include "model/game_object.h"
#include "model/property_ref.h"

namespace rpgc {

void renumberAtoms(GameObject& object, std::span<const Atom> newAtoms) {
  object.setName(renumbered(object.name(), newAtoms));
  for (int32_t i = 0; i < object.propertyCount(); ++i) {
    PropertyRef property = object.property(i);
    if (property.kind == ValueKind::kAtom) {
      Atom& atom = property.atom();
      atom = renumbered(atom, newAtoms);
    } else if (property.kind == ValueKind::kAtomList) {
      AtomList& list = property.atoms();
      if (list.empty()) continue;
      if (list.refCount() > 1) {
        AtomList copy;
        Atom* into = copy.append(list.length());
        for (Atom atom : std::as_const(list)) *into++ = renumbered(atom, newAtoms);
        list = std::move(copy);
      } else {
        for (Atom& atom : list) atom = renumbered(atom, newAtoms);
      }
    }
  }
}

}  // namespace rpgc
