// Atom-table entries: an interned name written as the container stores it.
#include "archive/atom_entry.h"

#include <cstdint>
#include <string_view>

#include "archive/byte_stream.h"
#include "core/atom_table.h"
#include "format/container_layout.h"
#include "format/little_endian.h"

namespace rpgc {

bool writeAtomEntry(ByteStream& out, const AtomTable& atoms, Atom atom) {
  std::string_view text = atoms.atomView(atom);
  if (text.size() > static_cast<size_t>(format::kMaxAtomNameLength)) return false;
  int32_t length = static_cast<int32_t>(text.size());
  uint8_t word[4];
  putI32(word, length);
  if (!out.write(word, 4)) return false;
  return length == 0 || out.write(text.data(), length);
}

}  // namespace rpgc
