// renumberAtoms: moves an object from one atom table's numbers to another's.
//
// An object compiled on its own (one source file, with the file's own atom table) holds
// that table's atoms; merged into the run, it takes the run's atoms for the same names.
#ifndef RPGC_MODEL_ATOM_RENUMBERING_H_
#define RPGC_MODEL_ATOM_RENUMBERING_H_

#include <span>

#include "core/atom.h"

namespace rpgc {

class GameObject;

/// The atom that stands for atom in the other table: newAtoms[atom], kNoAtom for kNoAtom.
inline Atom renumbered(Atom atom, std::span<const Atom> newAtoms) {
  return atom < 0 ? atom : newAtoms[static_cast<size_t>(atom)];
}

/// Replaces every atom object holds (its name, its atom properties, the elements of its
/// atom lists) by renumbered(atom, newAtoms). A list shared with another holder is
/// replaced by a renumbered copy; the other holder keeps its atoms.
void renumberAtoms(GameObject& object, std::span<const Atom> newAtoms);

}  // namespace rpgc

#endif  // RPGC_MODEL_ATOM_RENUMBERING_H_
