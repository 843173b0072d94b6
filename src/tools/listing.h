// writeListing: rpgdump's readable listing of one file.
//
//   duskvale.gdf: object database of project Duskvale, version 1, 249 atoms, 27 objects
//
//   object IronSword: F_item
//     STR_Desc: atom list [SwordDesc]
//     Type: atom weapon
//     ...
//     FLOAT Damage = 4 to 9
//
// Properties of the record come as "Name: kind value", in file order; the lists that
// store declared properties are left out and the declared properties shown instead, as
// lines of source, unless the lists do not pair up.
#ifndef RPGC_TOOLS_LISTING_H_
#define RPGC_TOOLS_LISTING_H_

namespace rpgc {

class TextOutput;
struct DumpInput;
struct SourcePlaces;

/// With places (rpgdump --source-map), each object, property and section line ends with
/// the places that set it: "  (items.txt:12:7)".
void writeListing(const DumpInput& input, TextOutput& out, const SourcePlaces* places = nullptr);

}  // namespace rpgc

#endif  // RPGC_TOOLS_LISTING_H_
