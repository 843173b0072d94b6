// AtomTable: interns names once and hands out atoms 0, 1, 2, ... in order of first use.
//
// The names live in a list whose index is the atom. Lookup goes through an
// open-addressing hash index over that list (a well-mixed hash of the bytes, a table
// that doubles at half load), so interning stays O(1) on average however many names
// there are and however alike they look. Nothing about the index is observable: atoms
// depend only on the order in which names are first interned.
#ifndef RPGC_CORE_ATOM_TABLE_H_
#define RPGC_CORE_ATOM_TABLE_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/atom.h"
#include "core/ref_array.h"
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

  /// intern() for texts that live as long as the program (string literals and constant
  /// tables); remembers the text's address so that repeated calls skip the hashing.
  Atom internLiteral(const char* literal);

  /// The atom of a name if it was interned already, else kNoAtom; adds nothing.
  Atom find(std::string_view name) const;

  /// The name of an atom; "" for a negative or unknown atom.
  const char* atomText(Atom atom) const;
  std::string_view atomView(Atom atom) const;

  /// Number of names interned so far (atoms are 0 .. count - 1).
  int32_t count() const { return names_.length(); }

 private:
  using NameList = RefArray<RefString, 4096, SlotInit::kConstruct>;

  static uint64_t hash(std::string_view name);
  size_t slotOf(std::string_view name, uint64_t h) const;
  void growIndex();

  // A slot points straight at its name's bytes (which never move) and keeps its length,
  // so that a lookup touches the slot and, on a length match, the bytes, nothing else.
  struct Slot {
    const char* text = nullptr;
    uint32_t length = 0;
    Atom atom = kNoAtom;  // kNoAtom marks a free slot
  };

  Slot slotFor(Atom atom) const;

  struct LiteralSlot {
    const char* literal = nullptr;
    Atom atom = kNoAtom;
  };

  NameList names_;
  std::vector<Slot> index_;
  std::vector<LiteralSlot>
      literals_;  // direct-mapped by address  // open addressing with linear probing
};

}  // namespace rpgc

#endif  // RPGC_CORE_ATOM_TABLE_H_
