// The source form of rpgdump --source: a string table and a database written back as
// source text that, compiled again, gives the same files byte for byte.
//
// One source file holds the string sections, then the objects, each section followed by
// an empty line (the line after END is never read as a header, nor is a file's last
// line). An item or character is one block setting its fixed fields and declaring its
// properties; a generic object is one block of its type word. Declared properties are
// written grouped by kind, which is all the file keeps of their order.
//
// What the source language cannot say is refused, never written differently: names that
// are not one word of source, texts that blank folding would change or that read END,
// generic objects of type item or character, characters of another type than player,
// monster, crowd or character, declared properties whose lists do not pair up, empty
// names in lists, NaN, fields no source line sets, records that are not laid out as rpgc
// lays them out. storedFormMatches() then checks the bytes themselves (stored_form.h).
#ifndef RPGC_TOOLS_SOURCE_WRITER_H_
#define RPGC_TOOLS_SOURCE_WRITER_H_

#include <cstdint>
#include <optional>
#include <string>
#include <string_view>

#include "core/finding.h"

namespace rpgc {

class TextOutput;
struct DumpInput;

/// The string table and the database written as one source (either may be absent).
struct SourceFiles {
  const DumpInput* strings = nullptr;
  const DumpInput* database = nullptr;
};

/// Why a file cannot be written as source, and where: a finding of a kSource... code
/// whose texts name the place (0 to 2) and hold the reason's data (4 and on); the offset
/// goes in text 3 when it is reported.
struct SourceProblem {
  std::string file;
  Finding finding;
  std::optional<int64_t> offset;
};

/// Checks that every section and object can be written as source; false with the first
/// problem otherwise. Writes nothing.
bool checkSourceForm(const SourceFiles& files, SourceProblem& problem);

/// Writes the source text, starting with comment lines that name the project. Call after
/// checkSourceForm succeeded.
void writeSource(const SourceFiles& files, TextOutput& out);

/// The text of a description file that compiles sourceFile as the files' project (name
/// and version) into base.gds and base.gdf; false when the project name or version
/// cannot be written in one, or the two files disagree on them.
bool writeDescription(const SourceFiles& files, std::string_view base, std::string_view sourceFile,
                      std::string& text, SourceProblem& problem);

}  // namespace rpgc

#endif  // RPGC_TOOLS_SOURCE_WRITER_H_
