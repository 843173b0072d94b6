// applyTypedDeclarations: designer-defined properties of generic objects and characters.
//
// Each buffered line whose type word is one of the eight keywords appends its property
// to the matching typed-property lists of the object; other lines are skipped. Single
// forms take the first value; list forms take every value token and record the count.
#ifndef RPGC_SOURCE_TYPED_DECLARATIONS_H_
#define RPGC_SOURCE_TYPED_DECLARATIONS_H_

#include <string_view>

#include "core/ref_string.h"
#include "model/value_kind.h"

namespace rpgc {

class AssignmentBuffer;
class AtomTable;
class F_generic;

/// The type word that declares a typed property of kind ("INTEGER", "ATOMS", ...); a
/// REFERENCE stores its target's name but is of kind kReference. "" for kNone.
std::string_view declarationWordOf(ValueKind kind);

/// Sets object.Type to the atom of typeWord, then appends every typed declaration of
/// buffer, in order.
void applyTypedDeclarations(F_generic& object, const RefString& typeWord,
                            const AssignmentBuffer& buffer, AtomTable& atoms);

}  // namespace rpgc

#endif  // RPGC_SOURCE_TYPED_DECLARATIONS_H_
