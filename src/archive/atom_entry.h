// One entry of a container's atom table: the text length L (0 to kMaxAtomNameLength) as a
// 4-byte integer, then, when L > 0, the L bytes of the name in one call, without
// terminator.
#ifndef RPGC_ARCHIVE_ATOM_ENTRY_H_
#define RPGC_ARCHIVE_ATOM_ENTRY_H_

#include "core/atom.h"

namespace rpgc {

class AtomTable;
class ByteStream;

/// Writes the entry of atom; false for a name over kMaxAtomNameLength (nothing written)
/// or a failed write. A negative atom is written as the length 0.
bool writeAtomEntry(ByteStream& out, const AtomTable& atoms, Atom atom);

}  // namespace rpgc

#endif  // RPGC_ARCHIVE_ATOM_ENTRY_H_
