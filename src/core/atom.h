// Atom: an interned name, handled as a signed 32-bit index into an AtomTable.
#ifndef RPGC_CORE_ATOM_H_
#define RPGC_CORE_ATOM_H_

#include <cstdint>

namespace rpgc {

using Atom = int32_t;

/// The atom of no name (and of the empty text).
inline constexpr Atom kNoAtom = -1;

}  // namespace rpgc

#endif  // RPGC_CORE_ATOM_H_
