// What the values of an object's properties name: other objects (REFERENCE and
// REFERENCES values, a character's equipment, inventory, waypoint locations and crowd
// members) and string sections (the values of STR_ properties), as rpgc checks them.
#ifndef RPGC_TOOLS_NAMED_VALUES_H_
#define RPGC_TOOLS_NAMED_VALUES_H_

#include <cstdint>
#include <string_view>

#include "rpgc/object_view.h"
#include "rpgc/property_view.h"

namespace rpgc {

enum class NamedTarget : uint8_t { kNothing, kObject, kStringSection };

/// What the values of property, one of object's shown properties, name.
NamedTarget namedTarget(const ObjectView& object, const PropertyView& property);

/// Calls visit(property, target, element, name) for every name that a value of object
/// gives (element: its position in a list, 0 for a single value), over the properties
/// the listing shows: the declared properties rather than the lists that store them.
template <class Visit>
void visitNamedValues(const ObjectView& object, Visit visit) {
  auto names = [&](const PropertyView& property) {
    NamedTarget target = namedTarget(object, property);
    if (target == NamedTarget::kNothing) return;
    switch (property.kind()) {
      case PropertyKind::kAtom:
        visit(property, target, 0, property.atom());
        break;
      case PropertyKind::kAtomList: {
        AtomValues atoms = property.atoms();
        for (int32_t i = 0; i < atoms.size(); ++i) visit(property, target, i, atoms[i]);
        break;
      }
      case PropertyKind::kReference:
        if (property.reference().present) visit(property, target, 0, property.reference().name);
        break;
      case PropertyKind::kReferenceList: {
        ReferenceValues references = property.references();
        for (int32_t i = 0; i < references.size(); ++i) {
          ObjectReference reference = references[i];
          if (reference.present) visit(property, target, i, reference.name);
        }
        break;
      }
      default:
        break;
    }
  };
  bool declaredShown = object.declaredListsMatch();
  for (PropertyView property : object.properties()) {
    if (!declaredShown || !property.storesDeclared()) names(property);
  }
  if (declaredShown) {
    for (PropertyView property : object.declaredProperties()) names(property);
  }
}

}  // namespace rpgc

#endif  // RPGC_TOOLS_NAMED_VALUES_H_
