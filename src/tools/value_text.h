// How rpgdump's listing and diff show a property: "Type: atom weapon" for a property of
// the record, "FLOAT Damage = 4 to 9" for a declared one.
#ifndef RPGC_TOOLS_VALUE_TEXT_H_
#define RPGC_TOOLS_VALUE_TEXT_H_

#include <cstddef>
#include <cstdint>
#include <string>

#include "rpgc/property_kind.h"
#include "rpgc/property_view.h"

namespace rpgc {

class TextOutput;

/// About how long a value of a diff line may grow before it is shortened.
inline constexpr size_t kShortValueBytes = 1024;

/// Whether the property holds what a new object holds: 0, 0.0, the empty name, no
/// reference, an empty list (a kind without value counts as set, to be seen).
bool holdsDefaultValue(const PropertyView& property);

/// The kind's name, "none" for 0 and "kind N" for any other code outside 1 to 8.
std::string shownKind(PropertyKind kind);

/// value in decimal with its thousands grouped: "1,000,000".
std::string groupedNumber(int64_t value);

/// Writes the value, element by element: numbers, names (see appendShownText), lists in
/// brackets (a declared list without them, as in source), "(none)" for a reference
/// without a target, "-" for a kind without a value, "4 to 9" for an item's range.
void putShownValue(TextOutput& out, const PropertyView& property);

/// The value as putShownValue writes it, when that is about kShortValueBytes or less;
/// else the elements of a list from first on that fit, with its length:
/// "[… 7 8 … (1,000,000 values)]" (the element at first is shown whole, however long).
void appendShortValue(std::string& out, const PropertyView& property, int32_t first);

/// What comes before the value: "Name: kind " for a property of the record, the start of
/// a line of source ("INTEGERS Stats = ") for a declared one.
void appendShownLabel(std::string& out, const PropertyView& property);

/// The label, then the value: "Type: atom weapon", "INTEGERS Stats = 12 11 10".
void putShownProperty(TextOutput& out, const PropertyView& property);

}  // namespace rpgc

#endif  // RPGC_TOOLS_VALUE_TEXT_H_
