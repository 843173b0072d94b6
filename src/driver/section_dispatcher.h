// compileSource: walks the lines of one source file and hands each section to its
// parser.
//
// A section starts at a line whose first token is "SCRIPT", "BEGIN" or "STRING". The
// walk resumes two lines after a section's end (the line right after an "END" line is
// never examined as a header), and the last line of a file is never examined. These
// rules are the language's own and files rely on them.
#ifndef RPGC_DRIVER_SECTION_DISPATCHER_H_
#define RPGC_DRIVER_SECTION_DISPATCHER_H_

#include <cstdint>

#include "core/source_lines.h"

namespace rpgc {

struct Compilation;

/// Compiles the lines of the file compilation.blocks.file into compilation; false when a
/// section failed (its failure reported to compilation.blocks.findings).
bool compileSource(SourceLines& lines, Compilation& compilation);

/// Compiles the object block whose header is at line headerLine of lines (a BEGIN line)
/// into compilation, as compileSource's walk would; the index of its END line, or -1 when
/// it failed.
int32_t compileObjectBlock(const SourceLines& lines, int32_t headerLine, Compilation& compilation);

}  // namespace rpgc

#endif  // RPGC_DRIVER_SECTION_DISPATCHER_H_
