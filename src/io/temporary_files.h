// TemporaryFiles: the files a run has made and not yet put in place, for the stop-signal
// handler (stop_signals.h) to remove.
//
// A signal handler may only make async-signal-safe calls, so the paths live in fixed
// slots that the handler walks with unlink(). A file is created and added with the stop
// signals held back (PendingOutput does), so that no signal falls between the two.
#ifndef RPGC_IO_TEMPORARY_FILES_H_
#define RPGC_IO_TEMPORARY_FILES_H_

#include <csignal>
#include <cstddef>
#include <string>

namespace rpgc {

class TemporaryFiles {
 public:
  static constexpr int kSlots = 16;
  static constexpr size_t kLongestPath = 4096;

  TemporaryFiles() = default;
  TemporaryFiles(const TemporaryFiles&) = delete;
  TemporaryFiles& operator=(const TemporaryFiles&) = delete;

  /// The instance the signal handlers clean up.
  static TemporaryFiles& process();

  /// Remembers a temporary file; false when no slot is free or the path is too long
  /// (the file is then left to a later run's clean-up).
  bool add(const std::string& path);
  void drop(const std::string& path);
  /// Removes every remembered file; async-signal-safe.
  void removeAll() noexcept;
  int count() const;

 private:
  char paths_[kSlots][kLongestPath] = {};
  volatile sig_atomic_t used_[kSlots] = {};
};

}  // namespace rpgc

#endif  // RPGC_IO_TEMPORARY_FILES_H_
