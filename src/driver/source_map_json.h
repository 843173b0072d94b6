// sourceMapJson: the source map of a run (rpgc --source-map) as one JSON document.
//
//   {"folder":"/home/me/game",
//   "objects":[
//   {"name":"IronSword","class":"F_item","declared":[{"file":"items.txt","line":3,"column":12}],
//    "properties":{"Weight":[{"file":"items.txt","line":5,"column":7}],...}},
//   ...],
//   "strings":[
//   {"name":"SwordDesc","index":0,"declared":{"file":"strings.txt","line":1,"column":8}},
//   ...]}
//
// Objects come in the order of the database's records, string sections in the order of
// the string table's; "declared" lists every block header of an object, and each
// property every line that set it, in compile order. File names are as the run opened
// them, from "folder".
#ifndef RPGC_DRIVER_SOURCE_MAP_JSON_H_
#define RPGC_DRIVER_SOURCE_MAP_JSON_H_

#include <string>

namespace rpgc {

class DiagnosticEngine;
class SourceMap;
struct Compilation;

/// The map of compilation's objects and string sections; file indices are engine's.
std::string sourceMapJson(const SourceMap& map, Compilation& compilation,
                          const DiagnosticEngine& engine, const std::string& folder);

}  // namespace rpgc

#endif  // RPGC_DRIVER_SOURCE_MAP_JSON_H_
