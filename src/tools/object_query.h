// rpgdump's questions about names: which objects and string sections a name (or a
// pattern with '*') stands for, and which values name them.
//
//   rpgdump duskvale.gds duskvale.gdf Hero        the object Hero, as the listing shows it
//   rpgdump --refs IronSword duskvale.gdf         object Hero: WeaponChoice: atom list [...]
//
// Each question is a walk over the files given: linear in their size, allocating
// nothing per object or value.
#ifndef RPGC_TOOLS_OBJECT_QUERY_H_
#define RPGC_TOOLS_OBJECT_QUERY_H_

#include <cstdint>
#include <span>
#include <string_view>

namespace rpgc {

class NamePattern;
class TextOutput;
struct DumpInput;
struct ListingOptions;

/// Writes every object and string section of inputs whose name matches pattern, as the
/// listing shows them, in the order of the files and within each in file order; a blank
/// line goes before each but the very first (first: none written yet, updated). Returns
/// how many were written.
int64_t writeNamedEntries(std::span<const DumpInput* const> inputs, const NamePattern& pattern,
                          const ListingOptions& options, TextOutput& out, bool& first);

/// Writes a line for every property of every object of inputs whose value names an object
/// or string section that matches pattern: "object Watch: REFERENCE Giver = Guard" (a long
/// list shown from the first element that names it). Returns how many lines.
int64_t writeReferences(std::span<const DumpInput* const> inputs, const NamePattern& pattern,
                        TextOutput& out);

/// The name of an object or string section of inputs that text probably misspells, or
/// empty.
std::string_view closestEntryName(std::span<const DumpInput* const> inputs, std::string_view text);

}  // namespace rpgc

#endif  // RPGC_TOOLS_OBJECT_QUERY_H_
