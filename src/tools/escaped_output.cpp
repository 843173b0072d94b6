// Escaped output: JSON strings cut between characters into pieces of 16 KiB.
#include "tools/escaped_output.h"

#include "core/utf8.h"
#include "diagnostics/text_escape.h"
#include "tools/text_output.h"

namespace rpgc {

void putJsonString(TextOutput& out, std::string_view bytes) {
  constexpr size_t kPieceBytes = 1 << 14;
  out.buffer().push_back('"');
  while (!bytes.empty() && !out.failed()) {
    size_t cut = bytes.size() <= kPieceBytes ? bytes.size() : characterStart(bytes, kPieceBytes);
    appendJsonCharacters(out.buffer(), bytes.substr(0, cut));
    out.spill();
    bytes.remove_prefix(cut);
  }
  out.buffer().push_back('"');
  out.spill();
}

void putShownText(TextOutput& out, std::string_view bytes) {
  if (isPlainName(bytes)) {
    out.put(bytes);
  } else {
    putJsonString(out, bytes);
  }
}

}  // namespace rpgc
