// GameObject: atoms of the reflected names, and the record content encoding.
//
// Content: a flags word (bit 0 saveAll, bit 1 storedFlag), then per property a chunk
// tagged with the property's name whose second word is the value kind, holding the value.
#include "model/game_object.h"

#include <algorithm>

#include "archive/archive_writer.h"
#include "core/atom_table.h"
#include "format/container_layout.h"
#include "format/little_endian.h"

namespace rpgc {

namespace {

// The bytes of a value of its kind; 0 for kinds without a value. Lists count in 64 bits:
// the writer refuses a record past the format's limit.
uint64_t valueBytes(const PropertyRef& value) {
  auto listBytes = [](int32_t length) { return 4 + 4 * static_cast<uint64_t>(length); };
  switch (value.kind) {
    case ValueKind::kInteger:
    case ValueKind::kFloat:
    case ValueKind::kAtom:
      return 4;
    case ValueKind::kReference:
      return value.reference() == nullptr ? 4 : 8;
    case ValueKind::kIntegerList:
      return listBytes(value.integers().length());
    case ValueKind::kFloatList:
      return listBytes(value.reals().length());
    case ValueKind::kAtomList:
      return listBytes(value.atoms().length());
    case ValueKind::kReferenceList: {
      uint64_t bytes = 4;
      for (const GameObject* target : value.references()) bytes += target == nullptr ? 4 : 8;
      return bytes;
    }
    case ValueKind::kNone:
      break;
  }
  return 0;  // unknown kinds have no value
}

// Fills a piece of the writer's buffer whose size was measured before, word by word.
// Atoms become file indices in the order they are met, as single writes would give them.
class ContentEncoder {
 public:
  ContentEncoder(ArchiveWriter& archive, uint8_t* at) : archive_(&archive), at_(at) {}

  void word(int32_t value) {
    putI32(at_, value);
    at_ += 4;
  }
  void atom(Atom atom) {
    int32_t index = archive_->atomIndex(atom);
    if (index < 0) ok_ = false;
    word(index);
  }
  void reference(const GameObject* target) {
    if (target == nullptr) return word(format::kNoTarget);
    word(target->instance());
    atom(target->name());
  }
  void value(const PropertyRef& value) {
    switch (value.kind) {
      case ValueKind::kInteger:
        return word(value.integer());
      case ValueKind::kFloat:
        putF32(at_, value.real());
        at_ += 4;
        return;
      case ValueKind::kAtom:
        return atom(value.atom());
      case ValueKind::kReference:
        return reference(value.reference());
      case ValueKind::kIntegerList:
        word(value.integers().length());
        for (int32_t element : value.integers()) word(element);
        return;
      case ValueKind::kFloatList:
        word(value.reals().length());
        for (float element : value.reals()) {
          putF32(at_, element);
          at_ += 4;
        }
        return;
      case ValueKind::kAtomList:
        word(value.atoms().length());
        for (Atom element : value.atoms()) atom(element);
        return;
      case ValueKind::kReferenceList:
        word(value.references().length());
        for (const GameObject* element : value.references()) reference(element);
        return;
      case ValueKind::kNone:
        break;
    }
  }
  bool ok() const { return ok_; }

 private:
  ArchiveWriter* archive_;
  uint8_t* at_;
  bool ok_ = true;
};

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
  // Only the names of the properties written are interned.
  std::vector<Atom> names(static_cast<size_t>(std::max(propertyCount(), 0)), kNoAtom);
  bool everything = all || savesAll();
  for (size_t i = 0; i < names.size(); ++i) {
    auto index = static_cast<int32_t>(i);
    if (everything || !isSharedProperty(index)) names[i] = propertyName(index, archive.atoms());
  }
  std::vector<RecordProperty> scratch;
  return saveWithNames(archive, all, names, scratch);
}

bool GameObject::saveWithNames(ArchiveWriter& archive, bool all, std::span<const Atom> names,
                               std::vector<RecordProperty>& scratch) {
  int32_t count = std::min(propertyCount(), static_cast<int32_t>(names.size()));
  all = all || savesAll();
  scratch.clear();
  uint64_t bytes = 4;  // the flags word
  for (int32_t i = 0; i < count; ++i) {
    if (!all && isSharedProperty(i)) continue;
    PropertyRef value = property(i);
    uint64_t length = valueBytes(value);
    if (length > static_cast<uint64_t>(format::kLargestSize)) length = format::kLargestSize;
    scratch.push_back({value, i, static_cast<uint32_t>(length)});
    bytes += format::kChunkHeaderBytes + length;
  }
  int64_t position = archive.bodyPosition();
  uint8_t* at = archive.claim(static_cast<size_t>(
      std::min<uint64_t>(bytes, static_cast<uint64_t>(format::kLargestSize) + 1)));
  if (at == nullptr) return false;
  ContentEncoder out(archive, at);
  out.word((saveAll_ ? format::kSaveAllFlag : 0) | (storedFlag_ ? format::kStoredFlag : 0));
  position += 4;
  for (const RecordProperty& property : scratch) {
    position += format::kChunkHeaderBytes + property.valueBytes;
    out.word(static_cast<int32_t>(position));  // the chunk's end offset
    out.atom(names[static_cast<size_t>(property.index)]);
    out.word(0);
    out.word(static_cast<int32_t>(property.value.kind));
    out.value(property.value);
  }
  return out.ok();
}

}  // namespace rpgc
