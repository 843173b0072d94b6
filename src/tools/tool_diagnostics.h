// How rpgdump says what went wrong: each failure a finding, one line on standard error
// through the diagnostics engine: "FILE: error: REASON" for a file (with " at offset N"
// for a damaged one), "rpgdump: error: REASON" otherwise.
#ifndef RPGC_TOOLS_TOOL_DIAGNOSTICS_H_
#define RPGC_TOOLS_TOOL_DIAGNOSTICS_H_

#include <string_view>

#include "core/finding.h"
#include "rpgc/read_status.h"

namespace rpgc {

/// Reports finding about file, or about the run when file is empty.
void reportToolFinding(Finding finding, std::string_view file = {});

/// The finding that says why a file could not be opened (a kRead... code).
Finding readFailureFinding(const ReadStatus& status);

/// Says that memory ran out, allocating nothing.
void reportToolOutOfMemory() noexcept;

}  // namespace rpgc

#endif  // RPGC_TOOLS_TOOL_DIAGNOSTICS_H_
