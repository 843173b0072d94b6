// AtomTable: name list plus an open-addressing hash index.
#include "core/atom_table.h"

#include <cstring>

namespace rpgc {

namespace {

constexpr size_t kInitialIndexSize = 1024;
constexpr size_t kLiteralSlots = 512;

}  // namespace

uint64_t AtomTable::hash(std::string_view name) {
  // 64-bit multiply-xorshift over 8-byte words; the index only needs good spreading.
  uint64_t h = 0x9E3779B97F4A7C15ull ^ name.size();
  const char* p = name.data();
  size_t n = name.size();
  while (n >= 8) {
    uint64_t word;
    std::memcpy(&word, p, 8);
    h = (h ^ word) * 0xFF51AFD7ED558CCDull;
    h ^= h >> 29;
    p += 8;
    n -= 8;
  }
  uint64_t tail = 0;
  std::memcpy(&tail, p, n);
  h = (h ^ tail) * 0xC4CEB9FE1A85EC53ull;
  h ^= h >> 32;
  return h;
}

size_t AtomTable::slotOf(std::string_view name, uint64_t h) const {
  size_t mask = index_.size() - 1;
  size_t slot = static_cast<size_t>(h) & mask;
  while (true) {
    const Slot& entry = index_[slot];
    if (entry.atom == kNoAtom) return slot;
    if (entry.length == name.size() && std::memcmp(entry.text, name.data(), name.size()) == 0) {
      return slot;
    }
    slot = (slot + 1) & mask;
  }
}

void AtomTable::growIndex() {
  size_t size = index_.empty() ? kInitialIndexSize : index_.size() * 2;
  index_.assign(size, Slot());
  for (Atom atom = 0; atom < names_.length(); ++atom) {
    std::string_view name = names_[atom].view();
    index_[slotOf(name, hash(name))] = slotFor(atom);
  }
}

Atom AtomTable::intern(const char* name) {
  if (name == nullptr) return kNoAtom;
  return intern(std::string_view(name));
}

Atom AtomTable::intern(std::string_view name) {
  name = name.substr(0, name.find('\0'));
  if (name.empty()) return kNoAtom;
  if (static_cast<size_t>(names_.length() + 1) * 2 > index_.size()) growIndex();
  size_t slot = slotOf(name, hash(name));
  if (index_[slot].atom != kNoAtom) return index_[slot].atom;
  Atom atom = names_.length();
  names_.push(RefString(name));
  index_[slot] = slotFor(atom);
  return atom;
}

AtomTable::Slot AtomTable::slotFor(Atom atom) const {
  std::string_view name = names_[atom].view();
  return Slot{name.data(), static_cast<uint32_t>(name.size()), atom};
}

Atom AtomTable::internLiteral(const char* literal) {
  if (literal == nullptr) return kNoAtom;
  if (literals_.empty()) literals_.resize(kLiteralSlots);
  auto address = reinterpret_cast<uintptr_t>(literal);
  LiteralSlot& slot = literals_[(address ^ (address >> 9)) % kLiteralSlots];
  if (slot.literal != literal) slot = LiteralSlot{literal, intern(literal)};
  return slot.atom;
}

Atom AtomTable::find(std::string_view name) const {
  name = name.substr(0, name.find('\0'));
  if (name.empty() || index_.empty()) return kNoAtom;
  return index_[slotOf(name, hash(name))].atom;
}

const char* AtomTable::atomText(Atom atom) const {
  if (atom < 0 || atom >= names_.length()) return "";
  return names_[atom].text();
}

std::string_view AtomTable::atomView(Atom atom) const {
  if (atom < 0 || atom >= names_.length()) return {};
  return names_[atom].view();
}

}  // namespace rpgc
