// writeSummary: rpgdump --summary, what the files hold at a glance.
//
//   duskvale.gds: string table of project Duskvale, version 1, 31 atoms, 31 sections
//   duskvale.gdf: object database of project Duskvale, version 1, 249 atoms, 27 objects
//
//   string sections: 31 (2 RANDOM), 38 texts
//   objects: 27
//     F_character: 6 (character 3, monster 2, player 1)
//     F_generic: 11 (location 6, quest 2, festival 1, shop 1, stall 1)
//     F_item: 10 (weapon 3, armour 1, boots 1, ...)
//   declared properties: 58 (INTEGER 12, FLOAT 9, ATOM 14, ...)
//   nothing refers to:
//     object FestivalDay (F_generic)
//     string section UnusedGreeting
//
// Objects are counted by class, and within a class by their Type (the type word of a
// generic block's header, an item's or a character's type), most frequent first; the
// declared properties by type word. What nothing refers to is known only from a database:
// objects named by no value of any object, and, when a string table is given too, the
// string sections named by no STR_ value (see named_values.h).
#ifndef RPGC_TOOLS_CONTENT_SUMMARY_H_
#define RPGC_TOOLS_CONTENT_SUMMARY_H_

#include <span>

namespace rpgc {

class TextOutput;
struct DumpInput;
struct ListingOptions;

void writeSummary(std::span<const DumpInput* const> inputs, const ListingOptions& options,
                  TextOutput& out);

}  // namespace rpgc

#endif  // RPGC_TOOLS_CONTENT_SUMMARY_H_
