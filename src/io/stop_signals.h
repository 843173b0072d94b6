// Stop signals: how a run handles the signals that end it, and holds them back while its
// outputs are replaced.
//
// SIGINT, SIGTERM and SIGHUP remove the run's temporary files (temporary_files.h), call
// the hook set with setBeforeStopping, and then end the process by the same signal, as if it had
// not been caught. SIGPIPE and SIGXFSZ are ignored: the write that raised them fails instead, and
// the run reports it like any other failed write.
#ifndef RPGC_IO_STOP_SIGNALS_H_
#define RPGC_IO_STOP_SIGNALS_H_

#include <csignal>

namespace rpgc {

/// Installs the handlers described above (once per process). A signal the caller chose
/// to ignore (nohup, a shell's background job) stays ignored.
void installSignalHandlers();

/// Sets what the stop handlers call, with context, before the process ends by a signal
/// (after the temporary files are removed): it must be async-signal-safe, such as
/// writing out console text that is still pending. Null removes it.
void setBeforeStopping(void (*hook)(void*), void* context);

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

#endif  // RPGC_IO_STOP_SIGNALS_H_
