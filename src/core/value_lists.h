// The 32-bit list instances of the array family: atom lists, integer lists and
// float lists. Atom lists fill new slots with -1 ("no atom"); number lists leave them.
#ifndef RPGC_CORE_VALUE_LISTS_H_
#define RPGC_CORE_VALUE_LISTS_H_

#include <cstdint>

#include "core/atom.h"
#include "core/ref_array.h"

namespace rpgc {

using AtomList = RefArray<Atom, 16, SlotInit::kFillFF>;
using IntList = RefArray<int32_t, 16, SlotInit::kNone>;
using FloatList = RefArray<float, 16, SlotInit::kNone>;

}  // namespace rpgc

#endif  // RPGC_CORE_VALUE_LISTS_H_
