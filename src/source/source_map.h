// SourceMap: where in the sources each object, property and string section was set, for
// rpgc --source-map.
//
// The parsers note each setting as they make it (only when a map was asked for: the
// context's map is null otherwise); the places are kept in the order they were met, so
// that a property set twice, or an object extended by a second block, lists every place
// in compile order. Columns are worked out when noted, from the line the parser has just
// read, since the lines are gone once the file is compiled.
#ifndef RPGC_SOURCE_SOURCE_MAP_H_
#define RPGC_SOURCE_SOURCE_MAP_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/atom.h"
#include "core/source_lines.h"

namespace rpgc {

class SourceMap {
 public:
  /// A place in a source file: file index of the run, line and byte column from 1.
  struct Place {
    int32_t file = -1;
    int32_t line = 0;
    int32_t column = 0;
  };
  /// One setting: the object (registry index) and the property it set, or kNoAtom for
  /// the header of a block that declared or extended the object.
  struct Setting {
    int32_t object = -1;
    Atom property = kNoAtom;
    Place place;
  };
  /// A string section (index in the table) and its header.
  struct Section {
    int32_t index = -1;
    Place place;
  };

  /// The lines of the file being compiled (null: none), to find columns in.
  void setLines(int32_t file, const SourceLines* lines) {
    file_ = file;
    lines_ = lines;
  }

  /// A block's header (line index from 0) declared or extended object.
  void noteObject(int32_t object, int32_t line);
  /// The assignment at line index line set property of object.
  void noteProperty(int32_t object, Atom property, int32_t line);
  /// The header at line index line started the string section of this table index.
  void noteSection(int32_t index, int32_t line);

  const std::vector<Setting>& settings() const { return settings_; }
  const std::vector<Section>& sections() const { return sections_; }

 private:
  // The place of token (0, 1, 2, ...) of line index line of the current file.
  Place placeOf(int32_t line, int32_t token) const;

  int32_t file_ = -1;
  const SourceLines* lines_ = nullptr;
  std::vector<Setting> settings_;
  std::vector<Section> sections_;
  mutable std::vector<std::string_view> tokens_;  // reused from line to line
};

}  // namespace rpgc

#endif  // RPGC_SOURCE_SOURCE_MAP_H_
