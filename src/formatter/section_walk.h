// walkSections: what each line of a source file is to the compiler's walk over it.
//
// The walk is compileSource's: a line whose first token is BEGIN, STRING or SCRIPT starts
// a section unless it directly follows an END line or is the file's last line; a block or
// a script ends at the first line whose first token is END, a string section at the first
// line that reads END after blank folding. The formatter lays each line out by its role;
// that it agrees with the compiler is checked by compiling both forms of every file.
#ifndef RPGC_FORMATTER_SECTION_WALK_H_
#define RPGC_FORMATTER_SECTION_WALK_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "core/source_lines.h"

namespace rpgc {

enum class LineRole : uint8_t {
  kOutside,  // between sections: empty, a comment, a stray line, or never examined
  kHeader,
  kBody,    // a line of an item, character or generic block
  kText,    // a line of a string section
  kScript,  // a line of a script, which the compiler reads over
  kEnd,     // the END line of a section
};

/// The role of every line of lines.
std::vector<LineRole> walkSections(const SourceLines& lines);

/// Whether a string section's line ends it: it reads exactly END after blank folding.
bool endsStringSection(std::string_view line);

}  // namespace rpgc

#endif  // RPGC_FORMATTER_SECTION_WALK_H_
