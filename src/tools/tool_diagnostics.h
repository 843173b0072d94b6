// reportReadError: the one way rpgdump reports a failure, as one line on standard error:
// "FILE: error: REASON at offset N" (for a damaged file), "FILE: error: REASON", or, for
// a usage error, "rpgdump: error: REASON".
#ifndef RPGC_TOOLS_TOOL_DIAGNOSTICS_H_
#define RPGC_TOOLS_TOOL_DIAGNOSTICS_H_

#include <cstdint>
#include <optional>
#include <string_view>

namespace rpgc {

void reportReadError(std::string_view file, std::string_view reason,
                     std::optional<int64_t> offset = std::nullopt);

}  // namespace rpgc

#endif  // RPGC_TOOLS_TOOL_DIAGNOSTICS_H_
