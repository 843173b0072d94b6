// GameObject: atoms of the reflected names, and the record content encoding.
//
// Content: a flags word (bit 0 saveAll, bit 1 storedFlag), then per property a chunk
// tagged with the property's name whose second word is the value kind, holding the value.
#include "model/game_object.h"

#include "archive/archive_writer.h"
#include "core/atom_table.h"
#include "format/container_layout.h"

namespace rpgc {

namespace {

template <typename List, typename WriteElement>
bool writeList(ArchiveWriter& archive, const List& list, WriteElement writeElement) {
  if (!archive.writeInt32(list.length())) return false;
  for (const auto& element : list) {
    if (!writeElement(element)) return false;
  }
  return true;
}

bool writeReference(ArchiveWriter& archive, const GameObject* target) {
  if (target == nullptr) return archive.writeInt32(format::kNoTarget);
  return archive.writeInt32(target->instance()) && archive.writeAtom(target->name());
}

bool writeValue(ArchiveWriter& archive, const PropertyRef& value) {
  switch (value.kind) {
    case ValueKind::kInteger:
      return archive.writeInt32(value.integer());
    case ValueKind::kFloat:
      return archive.writeFloat(value.real());
    case ValueKind::kAtom:
      return archive.writeAtom(value.atom());
    case ValueKind::kReference:
      return writeReference(archive, value.reference());
    case ValueKind::kIntegerList:
      return writeList(archive, value.integers(), [&](int32_t v) { return archive.writeInt32(v); });
    case ValueKind::kFloatList:
      return writeList(archive, value.reals(), [&](float v) { return archive.writeFloat(v); });
    case ValueKind::kAtomList:
      return writeList(archive, value.atoms(), [&](Atom v) { return archive.writeAtom(v); });
    case ValueKind::kReferenceList:
      return writeList(archive, value.references(),
                       [&](const GameObject* v) { return writeReference(archive, v); });
    case ValueKind::kNone:
      break;
  }
  return true;  // unknown kinds have no value
}

}  // namespace

Atom GameObject::className(AtomTable& atoms) const {
  return atoms.internLiteral(classNameText());
}
Atom GameObject::kindName(AtomTable& atoms) const {
  return atoms.internLiteral(kindNameText());
}
Atom GameObject::propertyName(int32_t index, AtomTable& atoms) const {
  return atoms.internLiteral(propertyNameText(index));
}

bool GameObject::save(ArchiveWriter& archive, bool all) {
  int32_t count = propertyCount();
  int32_t flags = (saveAll_ ? format::kSaveAllFlag : 0) | (storedFlag_ ? format::kStoredFlag : 0);
  if (!archive.writeInt32(flags)) return false;
  all = all || savesAll();
  for (int32_t i = 0; i < count; ++i) {
    if (!all && isSharedProperty(i)) continue;
    PropertyRef value = property(i);
    ArchiveChunk chunk;
    chunk.tag = propertyName(i, archive.atoms());
    chunk.word2 = static_cast<int32_t>(value.kind);
    if (!archive.beginChunk(chunk) || !writeValue(archive, value) || !archive.endChunk(chunk)) {
      return false;
    }
  }
  return true;
}

}  // namespace rpgc
