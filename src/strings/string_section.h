// StringSection and parseStringSection: texts for the game, written as string sections.
//
// A section is a header "STRING <name> [RANDOM]", text lines taken whole after blank
// folding (leading blanks dropped, inner runs of bytes 0x01 to 0x20 become one space,
// trailing ones dropped), and a line that reads exactly "END" after folding. Empty
// lines are not texts.
#ifndef RPGC_STRINGS_STRING_SECTION_H_
#define RPGC_STRINGS_STRING_SECTION_H_

#include <cstdint>

#include "core/atom.h"
#include "core/finding.h"
#include "core/ref_string.h"
#include "core/source_lines.h"
#include "core/string_list.h"

namespace rpgc {

class ArchiveWriter;
class AtomTable;
class FindingRecorder;
class StringTable;

struct StringSection {
  Atom name = kNoAtom;
  bool random = false;
  StringList texts;  // folded, non-empty lines in source order

  /// Writes the section's record: name atom, random flag, text count, texts.
  bool write(ArchiveWriter& archive) const;
};

/// Folds the blanks of a line's length bytes in place; returns the folded length.
int32_t foldBlanks(char* bytes, int32_t length);
/// Folds the blanks of a line in place (the line's bytes and size change).
void foldBlanks(RefString& line);

/// Compiles the section whose text lines start at line start and appends it to table.
/// Returns the index after its "END" line, or the line count plus one without one.
/// Never fails. The text lines are folded in place in lines, or, with deferredFolds,
/// left as they are and noted there. With a sink in scope, reports a section that runs
/// into the next header or to the end of the file, and text lines that look like a
/// misplaced END.
int32_t parseStringSection(SourceLines& lines, int32_t start, const RefString& name,
                           const RefString& flag, AtomTable& atoms, StringTable& table,
                           const FindingScope& scope = {},
                           FindingRecorder* deferredFolds = nullptr);

}  // namespace rpgc

#endif  // RPGC_STRINGS_STRING_SECTION_H_
