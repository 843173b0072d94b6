// Console: the fixed texts, flushed as they come, and the progress dots, gathered.
#include "driver/console.h"

#include <unistd.h>

#include <algorithm>
#include <cerrno>

namespace rpgc {

namespace {

// Pending dots are shown when this long has passed since they were last shown.
constexpr auto kDotInterval = std::chrono::milliseconds(100);

constexpr std::string_view kDots =
    "................................................................";

}  // namespace

void Console::put(std::string_view text) {
  errno = 0;
  if (std::fwrite(text.data(), 1, text.size(), out_) != text.size()) noteFailure();
}

void Console::noteFailure() {
  if (error_ == 0) error_ = errno != 0 ? errno : EIO;
}

void Console::flush() {
  int32_t count = pendingDots_.exchange(0);
  while (count > 0) {
    auto piece = std::min(count, static_cast<int32_t>(kDots.size()));
    put(kDots.substr(0, static_cast<size_t>(piece)));
    count -= piece;
  }
  errno = 0;
  if (std::fflush(out_) != 0) noteFailure();
}

void Console::writePendingDots(void* console) {
  auto* self = static_cast<Console*>(console);
  int32_t count = self->pendingDots_.exchange(0);
  int fd = fileno(self->out_);
  while (count > 0) {
    auto piece = std::min(count, static_cast<int32_t>(kDots.size()));
    ssize_t written = ::write(fd, kDots.data(), static_cast<size_t>(piece));
    if (written <= 0) return;
    count -= static_cast<int32_t>(written);
  }
}

void Console::rule() {
  text("==============================================================================\n");
}

void Console::banner(std::string_view title) {
  if (quiet_) return;
  rule();
  line(title);
  rule();
}

void Console::line(std::string_view text) {
  flush();
  put(text);
  put("\n");
  flush();
}

void Console::text(std::string_view text) {
  flush();
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
  if (index % 10 == 0) dots(1);
}

void Console::dots(int32_t count) {
  if (quiet_ || count <= 0) return;
  pendingDots_ += count;
  auto now = std::chrono::steady_clock::now();
  if (now - shown_ < kDotInterval) return;
  shown_ = now;
  flush();
}

}  // namespace rpgc
