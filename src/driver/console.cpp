// Console: flushed writes of the fixed texts.
#include "driver/console.h"

#include <cerrno>
#include <cstdint>

namespace rpgc {

void Console::put(std::string_view text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), out_) != text.size()) noteFailure();
}

void Console::flush() {
  errno = 0;
  if (std::fflush(out_) != 0) noteFailure();
}

void Console::noteFailure() {
  if (error_ == 0) error_ = errno != 0 ? errno : EIO;
}

void Console::rule() {
  put(std::string_view(
      "==============================================================================\n"));
  flush();
}

void Console::banner(std::string_view title) {
  if (quiet_) return;
  rule();
  line(title);
  rule();
}

void Console::line(std::string_view text) {
  put(text);
  put("\n");
  flush();
}

void Console::text(std::string_view text) {
  put(text);
  flush();
}

void Console::fileName(std::string_view name) {
  if (!quiet_) line(name);
}

void Console::endProgress() {
  if (!quiet_) text("\n");
}

void Console::progress(int32_t index) {
  if (quiet_ || index % 10 != 0) return;
  put(".");
  flush();
}

}  // namespace rpgc
