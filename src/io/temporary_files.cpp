// TemporaryFiles: fixed slots, changed with the stop signals held back.
#include "io/temporary_files.h"

#include <unistd.h>

#include <cstring>

#include "io/stop_signals.h"

namespace rpgc {

TemporaryFiles& TemporaryFiles::process() {
  static TemporaryFiles instance;
  return instance;
}

bool TemporaryFiles::add(const std::string& path) {
  if (path.size() >= kLongestPath) return false;
  SignalsHeld held;
  for (int i = 0; i < kSlots; ++i) {
    if (used_[i] != 0) continue;
    std::memcpy(paths_[i], path.c_str(), path.size() + 1);
    used_[i] = 1;
    return true;
  }
  return false;
}

void TemporaryFiles::drop(const std::string& path) {
  SignalsHeld held;
  for (int i = 0; i < kSlots; ++i) {
    if (used_[i] != 0 && path == paths_[i]) used_[i] = 0;
  }
}

void TemporaryFiles::removeAll() noexcept {
  for (int i = 0; i < kSlots; ++i) {
    if (used_[i] == 0) continue;
    ::unlink(paths_[i]);
    used_[i] = 0;
  }
}

int TemporaryFiles::count() const {
  int n = 0;
  for (int i = 0; i < kSlots; ++i) n += used_[i] != 0 ? 1 : 0;
  return n;
}

}  // namespace rpgc
