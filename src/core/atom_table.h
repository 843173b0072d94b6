// AtomTable: interns names once and hands out atoms 0, 1, 2, ... in order of first use.
//
// The names' bytes live in large chunks that never move (each name followed by a zero
// byte, so atomText needs no copy), one pointer per atom finds them. Lookup goes through
// an open-addressing hash index whose slots hold a name's 32-bit hash, its atom and where
// its bytes are, so a probe compares bytes only on a hash match and reaches them without
// a further lookup; the index grows at 80% load. Interning stays O(1) on average however many names
// there are and however alike they look. Nothing about the index is observable: atoms depend only
// on the order in which names are first interned.
#ifndef RPGC_CORE_ATOM_TABLE_H_
#define RPGC_CORE_ATOM_TABLE_H_

#include <cstdint>
#include <memory>
#include <string_view>
#include <vector>

#include "core/atom.h"
#include "core/ref_string.h"

namespace rpgc {

class AtomTable {
 public:
  AtomTable() = default;
  AtomTable(const AtomTable&) = delete;
  AtomTable& operator=(const AtomTable&) = delete;

  /// The atom of a zero-terminated name; null or "" give kNoAtom and add nothing.
  Atom intern(const char* name);
  /// The atom of the text up to its first zero byte; "" gives kNoAtom.
  Atom intern(std::string_view name);
  Atom intern(const RefString& name) { return intern(name.view()); }

  /// Interns every name of from, in from's order of atoms; atoms[a] becomes the atom here
  /// of from's atom a. Cheaper than interning the names one by one: no name is hashed.
  void internAll(const AtomTable& from, std::vector<Atom>& atoms);

  /// intern() for texts that live as long as the program (string literals and constant
  /// tables); remembers the text's address so that repeated calls skip the hashing.
  Atom internLiteral(const char* literal);

  /// The atom of a name if it was interned already, else kNoAtom; adds nothing.
  Atom find(std::string_view name) const;

  /// The name of an atom; "" for a negative or unknown atom. Valid as long as the table.
  const char* atomText(Atom atom) const;
  std::string_view atomView(Atom atom) const;

  /// Number of names interned so far (atoms are 0 .. count - 1).
  int32_t count() const { return static_cast<int32_t>(names_.size()); }

  /// Forgets every name, keeping the memory for the names of the next use.
  void clear();
  /// Exchanges the names (and the memory) of two tables.
  void swap(AtomTable& other) noexcept;

 private:
  // Eight bytes, so that a probe of a large index touches few cache lines; the name's
  // bytes are reached through names_ only when the hashes match.
  struct Slot {
    uint32_t hash = 0;
    Atom atom = kNoAtom;  // kNoAtom marks a free slot
  };
  struct LiteralSlot {
    const char* literal = nullptr;
    Atom atom = kNoAtom;
  };

  static uint64_t hash(std::string_view name);
  /// intern() of a name without zero bytes, whose hash is h.
  Atom internHashed(std::string_view name, uint32_t h);
  size_t slotOf(std::string_view name, uint32_t h) const;
  void growIndex();
  const char* store(std::string_view name);

  struct Chunk {
    std::unique_ptr<char[]> bytes;
    size_t size = 0;
  };

  // Each name's bytes are preceded by their length (4 bytes) and followed by a zero byte.
  // The first chunksUsed_ chunks hold names (the current one last); those after them are
  // kept from before a clear().
  std::vector<Chunk> chunks_;
  size_t chunksUsed_ = 0;
  size_t chunkLeft_ = 0;
  char* chunkNext_ = nullptr;
  std::vector<const char*> names_;     // by atom
  std::vector<Slot> index_;            // open addressing with linear probing
  std::vector<LiteralSlot> literals_;  // direct-mapped by address
};

}  // namespace rpgc

#endif  // RPGC_CORE_ATOM_TABLE_H_
