// SourcePlaces: a source map written by rpgc --source-map, read back for rpgdump's
// listing (rpgdump --source-map FILE).
//
// The map is JSON; this reads it with a small parser of the whole JSON grammar (nesting
// bounded, so that a hostile file cannot exhaust the stack) and keeps, per object name,
// the places of its headers and of each property, as "file:line:column" texts, and per
// string section index, the place of its header.
#ifndef RPGC_TOOLS_SOURCE_PLACES_H_
#define RPGC_TOOLS_SOURCE_PLACES_H_

#include <string>
#include <string_view>
#include <unordered_map>
#include <vector>

namespace rpgc {

struct SourcePlaces {
  struct Object {
    std::vector<std::string> declared;
    /// Each property's places, in the order they were set.
    std::unordered_map<std::string, std::vector<std::string>> properties;

    const std::vector<std::string>* placesOf(std::string_view property) const;
  };
  std::unordered_map<std::string, Object> objects;
  std::unordered_map<int32_t, std::string> sections;  // by index in the string table

  const Object* object(std::string_view name) const;
};

/// Parses a source map's text; false, with the byte offset where it went wrong, when it
/// is not JSON of the map's shape.
bool parseSourcePlaces(std::string_view json, SourcePlaces& places, size_t& errorOffset);

}  // namespace rpgc

#endif  // RPGC_TOOLS_SOURCE_PLACES_H_
