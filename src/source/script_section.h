// parseScriptSection: "SCRIPT <name>" sections are read over, not translated.
#ifndef RPGC_SOURCE_SCRIPT_SECTION_H_
#define RPGC_SOURCE_SCRIPT_SECTION_H_

#include <cstdint>

#include "core/ref_string.h"
#include "core/source_lines.h"

namespace rpgc {

class BlockContext;

/// Skips the body up to its "END" line and returns the index after it (the line count
/// plus one without one). Never fails; produces nothing.
int32_t parseScriptSection(const SourceLines& lines, int32_t start, const RefString& name,
                           BlockContext& ctx);

}  // namespace rpgc

#endif  // RPGC_SOURCE_SCRIPT_SECTION_H_
