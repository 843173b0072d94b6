// GameObject: atoms of the reflected names, and the generic record content encoding.
//
// Content: a flags word (bit 0 saveAll, bit 1 storedFlag), then per property a chunk
// tagged with the property's name whose second word is the value kind, holding the value.
#include "model/game_object.h"

#include "archive/archive.h"
#include "core/atom_table.h"

namespace rpgc {

namespace {

template <typename List, typename WriteElement>
bool writeList(Archive& archive, const List& list, WriteElement writeElement) {
  if (!archive.writeInt32(list.length())) return false;
  for (const auto& element : list) {
    if (!writeElement(element)) return false;
  }
  return true;
}

bool writeReference(Archive& archive, const GameObject* target) {
  if (target == nullptr) return archive.writeInt32(-1);
  return archive.writeInt32(target->instance()) && archive.writeAtom(target->name());
}

bool writeValue(Archive& archive, const PropertyRef& value) {
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

// Reads an element count that the rest of the chunk can hold (4 bytes per element).
bool readCount(Archive& archive, int32_t& count) {
  return archive.readInt32(count) && archive.expectItems(count, 4);
}

template <typename List, typename ReadElement>
bool readList(Archive& archive, List& list, ReadElement readElement) {
  int32_t count = 0;
  if (!readCount(archive, count)) return false;
  list.release();
  if (count > 0) list.resize(count);
  for (int32_t i = 0; i < count; ++i) {
    if (!readElement(list[i])) return false;
  }
  return true;
}

bool readReference(Archive& archive, GameObject*& target, const ReferenceResolver& resolver) {
  int32_t instance = 0;
  if (!archive.readInt32(instance)) return false;
  target = nullptr;
  if (instance < 0) return true;
  Atom name = kNoAtom;
  if (!archive.readAtom(name)) return false;
  if (resolver) target = resolver(name, instance);
  return true;
}

bool readValue(Archive& archive, const PropertyRef& value, const ReferenceResolver& resolver) {
  switch (value.kind) {
    case ValueKind::kInteger:
      return archive.readInt32(value.integer());
    case ValueKind::kFloat:
      return archive.readFloat(value.real());
    case ValueKind::kAtom:
      return archive.readAtom(value.atom());
    case ValueKind::kReference:
      return readReference(archive, value.reference(), resolver);
    case ValueKind::kIntegerList:
      return readList(archive, value.integers(), [&](int32_t& v) { return archive.readInt32(v); });
    case ValueKind::kFloatList:
      return readList(archive, value.reals(), [&](float& v) { return archive.readFloat(v); });
    case ValueKind::kAtomList:
      return readList(archive, value.atoms(), [&](Atom& v) { return archive.readAtom(v); });
    case ValueKind::kReferenceList:
      return readList(archive, value.references(),
                      [&](GameObject*& v) { return readReference(archive, v, resolver); });
    case ValueKind::kNone:
      break;
  }
  return true;
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

bool GameObject::save(Archive& archive, bool all) {
  int32_t count = propertyCount();
  int32_t flags = (saveAll_ ? 1 : 0) | (storedFlag_ ? 2 : 0);
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

bool GameObject::load(Archive& archive, bool all, const ReferenceResolver& resolver) {
  int32_t flags = 0;
  if (!archive.readInt32(flags)) return false;
  saveAll_ = (flags & 1) != 0;
  storedFlag_ = (flags & 2) != 0;
  all = all || savesAll();
  int32_t count = propertyCount();
  if (count == 0) return true;
  while (archive.hasChunk()) {
    ArchiveChunk chunk;
    if (!archive.beginChunk(chunk)) return false;
    for (int32_t i = 0; i < count; ++i) {
      if (!all && isSharedProperty(i)) continue;
      PropertyRef value = property(i);
      if (propertyName(i, archive.atoms()) != chunk.tag ||
          static_cast<int32_t>(value.kind) != chunk.word2) {
        continue;
      }
      if (!readValue(archive, value, resolver)) return false;
      break;  // a class names each property once
    }
    if (!archive.endChunk(chunk)) return false;
  }
  return true;
}

}  // namespace rpgc
