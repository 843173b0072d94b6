// TemporaryFiles: the files a run has made and not yet put in place, and the signal
// handling that removes them when the run is stopped.
//
// A signal handler may only make async-signal-safe calls, so the paths live in fixed
// slots that the handler walks with unlink(). SIGINT, SIGTERM and SIGHUP remove this
// run's temporary files and then end the process by the same signal, as if it had not
// been caught. SIGPIPE and SIGXFSZ are ignored: the write that raised them fails
// instead, and the run reports it like any other failed write.
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

/// Installs the handlers described above (once per process).
void installSignalHandlers();

/// Whether a signal that stops the run came while held back (and is not ignored): it will
/// end the run when released.
bool stopSignalPending();

/// Takes a stop signal that came while held back (and is not ignored), so that it does
/// not end the run; whether there was one.
bool takeStopSignal();

/// Blocks the signals that stop a run while an object of this class lives, so that a
/// replacement of the outputs is never cut in half; a signal that came meanwhile is
/// handled when it ends.
class SignalsHeld {
 public:
  SignalsHeld();
  SignalsHeld(const SignalsHeld&) = delete;
  SignalsHeld& operator=(const SignalsHeld&) = delete;
  ~SignalsHeld();

 private:
  sigset_t previous_;
};

}  // namespace rpgc

#endif  // RPGC_IO_TEMPORARY_FILES_H_
