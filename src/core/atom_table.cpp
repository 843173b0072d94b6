// AtomTable: chunked name storage plus an open-addressing hash index.
#include "core/atom_table.h"

#include <algorithm>
#include <bit>
#include <cstring>
#include <stdexcept>

namespace rpgc {

namespace {

constexpr size_t kInitialIndexSize = 1024;
constexpr size_t kLiteralSlots = 512;
constexpr size_t kFirstChunkSize = 4 << 10;
constexpr size_t kChunkSize = 1 << 20;
constexpr size_t kLengthBytes = sizeof(uint32_t);

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

size_t AtomTable::slotOf(std::string_view name, uint32_t h) const {
  size_t mask = index_.size() - 1;
  size_t slot = h & mask;
  while (true) {
    const Slot& entry = index_[slot];
    if (entry.atom == kNoAtom) return slot;
    if (entry.hash == h) {
      const char* text = names_[static_cast<size_t>(entry.atom)];
      uint32_t length;
      std::memcpy(&length, text - kLengthBytes, kLengthBytes);
      if (length == name.size() && std::memcmp(text, name.data(), name.size()) == 0) {
        return slot;
      }
    }
    slot = (slot + 1) & mask;
  }
}

void AtomTable::growIndex() {
  std::vector<Slot> old;
  old.swap(index_);
  index_.assign(old.empty() ? kInitialIndexSize : old.size() * 2, Slot());
  size_t mask = index_.size() - 1;
  // Names are distinct: each goes to the first free slot from its home.
  for (const Slot& entry : old) {
    if (entry.atom == kNoAtom) continue;
    size_t slot = entry.hash & mask;
    while (index_[slot].atom != kNoAtom) slot = (slot + 1) & mask;
    index_[slot] = entry;
  }
}

const char* AtomTable::store(std::string_view name) {
  if (name.size() > UINT32_MAX - kLengthBytes - 1) throw std::length_error("name too long");
  size_t needed = kLengthBytes + name.size() + 1;
  char* text;
  if (needed > chunkLeft_ && chunksUsed_ < chunks_.size() && chunks_[chunksUsed_].size >= needed) {
    // A chunk kept from before clear().
    chunkNext_ = chunks_[chunksUsed_].bytes.get();
    chunkLeft_ = chunks_[chunksUsed_].size;
    ++chunksUsed_;
  } else if (needed > chunkLeft_) {
    // A long name gets a chunk of its own; the current chunk goes on for short ones.
    // Chunks start small and double, so a table of a few names stays small.
    size_t regular = std::min(kChunkSize, kFirstChunkSize << std::min<size_t>(chunks_.size(), 8));
    size_t size = needed > regular / 4 ? needed : regular;
    Chunk chunk{std::make_unique_for_overwrite<char[]>(size), size};
    char* bytes = chunk.bytes.get();
    if (size == needed) {
      // Full at once: it goes before the current chunk, among those in use.
      chunks_.insert(
          chunks_.begin() + static_cast<std::ptrdiff_t>(chunksUsed_ > 0 ? chunksUsed_ - 1 : 0),
          std::move(chunk));
      ++chunksUsed_;
      text = bytes + kLengthBytes;
      uint32_t length = static_cast<uint32_t>(name.size());
      std::memcpy(bytes, &length, kLengthBytes);
      std::memcpy(text, name.data(), name.size());
      text[name.size()] = 0;
      return text;
    }
    chunks_.insert(chunks_.begin() + static_cast<std::ptrdiff_t>(chunksUsed_), std::move(chunk));
    ++chunksUsed_;
    chunkNext_ = bytes;
    chunkLeft_ = size;
  }
  uint32_t length = static_cast<uint32_t>(name.size());
  std::memcpy(chunkNext_, &length, kLengthBytes);
  text = chunkNext_ + kLengthBytes;
  std::memcpy(text, name.data(), name.size());
  text[name.size()] = 0;
  chunkNext_ += needed;
  chunkLeft_ -= needed;
  return text;
}

void AtomTable::swap(AtomTable& other) noexcept {
  chunks_.swap(other.chunks_);
  std::swap(chunksUsed_, other.chunksUsed_);
  std::swap(chunkLeft_, other.chunkLeft_);
  std::swap(chunkNext_, other.chunkNext_);
  names_.swap(other.names_);
  index_.swap(other.index_);
  literals_.swap(other.literals_);
}

void AtomTable::clear() {
  names_.clear();
  std::fill(index_.begin(), index_.end(), Slot());
  literals_.clear();
  chunksUsed_ = 0;
  chunkNext_ = nullptr;
  chunkLeft_ = 0;
}

// Inlined into both callers: intern() is the compiler's hottest call.
inline Atom AtomTable::internHashed(std::string_view name, uint32_t h) {
  if ((names_.size() + 1) * 5 > index_.size() * 4) growIndex();
  size_t slot = slotOf(name, h);
  if (index_[slot].atom != kNoAtom) return index_[slot].atom;
  if (names_.size() >= static_cast<size_t>(INT32_MAX)) throw std::length_error("too many names");
  Atom atom = static_cast<Atom>(names_.size());
  const char* text = store(name);
  names_.push_back(text);
  index_[slot] = Slot{h, atom};
  return atom;
}

Atom AtomTable::intern(const char* name) {
  if (name == nullptr) return kNoAtom;
  return intern(std::string_view(name));
}

Atom AtomTable::intern(std::string_view name) {
  name = name.substr(0, name.find('\0'));
  if (name.empty()) return kNoAtom;
  return internHashed(name, static_cast<uint32_t>(hash(name)));
}

void AtomTable::internAll(const AtomTable& from, std::vector<Atom>& atoms) {
  // Each name's hash is taken from from's index rather than computed again: it is kept in
  // atoms[its atom] until the name is interned.
  atoms.resize(static_cast<size_t>(from.count()));
  for (const Slot& entry : from.index_) {
    if (entry.atom != kNoAtom)
      atoms[static_cast<size_t>(entry.atom)] = std::bit_cast<Atom>(entry.hash);
  }
  for (size_t atom = 0; atom < atoms.size(); ++atom) {
    atoms[atom] =
        internHashed(from.atomView(static_cast<Atom>(atom)), std::bit_cast<uint32_t>(atoms[atom]));
  }
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
  return index_[slotOf(name, static_cast<uint32_t>(hash(name)))].atom;
}

const char* AtomTable::atomText(Atom atom) const {
  if (atom < 0 || atom >= count()) return "";
  return names_[static_cast<size_t>(atom)];
}

std::string_view AtomTable::atomView(Atom atom) const {
  if (atom < 0 || atom >= count()) return {};
  const char* text = names_[static_cast<size_t>(atom)];
  uint32_t length;
  std::memcpy(&length, text - kLengthBytes, kLengthBytes);
  return std::string_view(text, length);
}

}  // namespace rpgc
