// reportReadError: formatting of the line.
#include "tools/tool_diagnostics.h"

#include <cstdio>
#include <string>

namespace rpgc {

void reportReadError(std::string_view file, std::string_view reason,
                     std::optional<int64_t> offset) {
  std::string line(file);
  line.append(": error: ").append(reason);
  if (offset) line.append(" at offset ").append(std::to_string(*offset));
  line.push_back('\n');
  std::fwrite(line.data(), 1, line.size(), stderr);
  std::fflush(stderr);
}

}  // namespace rpgc
