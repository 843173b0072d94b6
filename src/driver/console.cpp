// Console: flushed writes of the fixed texts.
#include "driver/console.h"

#include <cstdint>

namespace rpgc {

void Console::put(std::string_view text) {
  std::fwrite(text.data(), 1, text.size(), out_);
}

void Console::rule() {
  put(std::string_view(
      "==============================================================================\n"));
  std::fflush(out_);
}

void Console::banner(std::string_view title) {
  rule();
  line(title);
  rule();
}

void Console::line(std::string_view text) {
  put(text);
  put("\n");
  std::fflush(out_);
}

void Console::text(std::string_view text) {
  put(text);
  std::fflush(out_);
}

void Console::progress(int32_t index) {
  if (index % 10 != 0) return;
  put(".");
  std::fflush(out_);
}

}  // namespace rpgc
