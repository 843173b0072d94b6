// StringList: a shared list of shared strings (lines of a file, tokens of a line,
// the texts of a string section).
#ifndef RPGC_CORE_STRING_LIST_H_
#define RPGC_CORE_STRING_LIST_H_

#include "core/ref_array.h"
#include "core/ref_string.h"

namespace rpgc {

using StringList = RefArray<RefString, 16, SlotInit::kConstruct>;

/// Per-property lists of value tokens kept by the block parsers.
using StringListList = RefArray<StringList, 4, SlotInit::kConstruct>;

}  // namespace rpgc

#endif  // RPGC_CORE_STRING_LIST_H_
