// namedTarget: by kind, by the STR_ prefix of the game's naming scheme, and by the
// character fields that rpgc checks as names of objects.
#include "tools/named_values.h"

#include "format/property_tables.h"
#include "source/character_block.h"

namespace rpgc {

NamedTarget namedTarget(const ObjectView& object, const PropertyView& property) {
  PropertyKind kind = property.kind();
  if (kind == PropertyKind::kReference || kind == PropertyKind::kReferenceList) {
    return NamedTarget::kObject;
  }
  if (kind != PropertyKind::kAtom && kind != PropertyKind::kAtomList) return NamedTarget::kNothing;
  if (property.name().starts_with("STR_")) return NamedTarget::kStringSection;
  if (!property.isDeclared() && object.className() == format::kCharacterClass.name &&
      characterFieldNamesObjects(property.name())) {
    return NamedTarget::kObject;
  }
  return NamedTarget::kNothing;
}

}  // namespace rpgc
