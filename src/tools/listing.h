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
// Properties of the record come as "Name: kind value", in file order, those that hold
// their default value (0, the empty name, an empty list) only when asked for; the lists
// that store declared properties are left out and the declared properties shown instead,
// as lines of source, unless the lists do not pair up.
#ifndef RPGC_TOOLS_LISTING_H_
#define RPGC_TOOLS_LISTING_H_

#include <string>

#include "rpgc/object_view.h"
#include "rpgc/string_table_file.h"

namespace rpgc {

class TextOutput;
struct DumpInput;
struct SourcePlaces;

struct ListingOptions {
  /// Every property of a record, those at their default value too (--all).
  bool allProperties = false;
  /// The file's path at the start of the header line; left out, the listing of a file
  /// depends on its content only (--no-header-path, for git's textconv).
  bool headerPath = true;
  /// Where each object, property and section was set (--source-map), or null: each of
  /// their lines then ends with its places, "  (items.txt:12:7)".
  const SourcePlaces* places = nullptr;
};

void writeListing(const DumpInput& input, TextOutput& out, const ListingOptions& options = {});

/// The header line alone: "duskvale.gdf: object database of project Duskvale, ...".
void writeListingHeader(const DumpInput& input, TextOutput& out, const ListingOptions& options);

/// One object as the listing shows it, from its "object NAME: CLASS" line on.
void writeListedObject(ObjectView object, TextOutput& out, const ListingOptions& options);

/// One string section as the listing shows it, from its "section NAME" line on; place,
/// when given, is where it was set.
void writeListedSection(StringSectionView section, TextOutput& out,
                        const std::string* place = nullptr);

}  // namespace rpgc

#endif  // RPGC_TOOLS_LISTING_H_
