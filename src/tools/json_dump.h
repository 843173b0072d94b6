// writeJson: rpgdump --json, one JSON document for all the files, keys in a fixed order.
//
//   {"files": [
//     {"file": "duskvale.gds", "kind": "string table", "project": "Duskvale",
//      "version": 1.0, "atoms": [...],
//      "sections": [{"name": "SwordDesc", "random": false, "texts": ["..."]}, ...]},
//     {"file": "duskvale.gdf", "kind": "object database", "project": ..., "version": ...,
//      "atoms": [...],
//      "objects": [{"name": "IronSword", "class": "F_item", "flags": 0,
//                   "properties": [{"name": "Type", "kind": "atom", "value": "weapon"}, ...],
//                   "declared": [{"name": "Damage", "kind": "float", "value": 4.0,
//                                 "max": 9.0}, ...]}, ...]}
//   ]}
//
// Texts and names are JSON strings (see text_escape.h for bytes that are not UTF-8);
// floats are numbers with the fewest digits that give the same bits back, or strings for
// the infinities and NaN (see float_text.h); a reference is {"instance": N, "name": ...}
// or null. docs/reading-files.md describes the whole shape.
#ifndef RPGC_TOOLS_JSON_DUMP_H_
#define RPGC_TOOLS_JSON_DUMP_H_

#include <span>

namespace rpgc {

class TextOutput;
struct DumpInput;

void writeJson(std::span<const DumpInput* const> inputs, TextOutput& out);

}  // namespace rpgc

#endif  // RPGC_TOOLS_JSON_DUMP_H_
