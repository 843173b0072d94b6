// Atom-table entries: writing an interned name and reading it back into a table.
#include "archive/atom_entry.h"

#include <string_view>

#include "archive/byte_stream.h"
#include "archive/little_endian.h"
#include "core/atom_table.h"

namespace rpgc {

bool writeAtomEntry(ByteStream& out, const AtomTable& atoms, Atom atom) {
  std::string_view text = atoms.atomView(atom);
  if (text.size() > static_cast<size_t>(kMaxAtomNameLength)) return false;
  int32_t length = static_cast<int32_t>(text.size());
  uint8_t word[4];
  putI32(word, length);
  if (!out.write(word, 4)) return false;
  return length == 0 || out.write(text.data(), length);
}

bool readAtomEntry(ByteStream& in, AtomTable& atoms, Atom& atom) {
  uint8_t word[4];
  if (!in.read(word, 4)) return false;
  int32_t length = getI32(word);
  if (length > kMaxAtomNameLength) return false;
  if (length <= 0) {
    atom = kNoAtom;
    return true;
  }
  char text[kMaxAtomNameLength];
  if (!in.read(text, length)) return false;
  atom = atoms.intern(std::string_view(text, static_cast<size_t>(length)));
  return true;
}

}  // namespace rpgc
