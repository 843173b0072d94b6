// Stop signals: the handlers, and the signal mask around a replacement.
#include "io/stop_signals.h"

#include <atomic>
#include <ctime>

#include "io/temporary_files.h"

namespace rpgc {

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

// Read by the handlers: each is lock-free, so a handler never sees half a change.
std::atomic<void (*)(void*)> beforeStopping = nullptr;
std::atomic<void*> beforeStoppingContext = nullptr;
static_assert(std::atomic<void*>::is_always_lock_free);
static_assert(std::atomic<void (*)(void*)>::is_always_lock_free);

void removeAndDie(int signal) {
  TemporaryFiles::process().removeAll();
  if (auto hook = beforeStopping.load()) hook(beforeStoppingContext.load());
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

sigset_t stopSet() {
  sigset_t stops;
  sigemptyset(&stops);
  for (int signal : kStopSignals) sigaddset(&stops, signal);
  return stops;
}

}  // namespace

void installSignalHandlers() {
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  for (int signal : kStopSignals) {
    struct sigaction action = {};
    action.sa_handler = removeAndDie;
    action.sa_mask = stopSet();
    struct sigaction current = {};
    sigaction(signal, nullptr, &current);
    if (current.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
}

void setBeforeStopping(void (*hook)(void*), void* context) {
  beforeStopping = nullptr;
  beforeStoppingContext = context;
  beforeStopping = hook;
}

bool stopSignalPending() {
  sigset_t pending;
  if (sigpending(&pending) != 0) return false;
  for (int signal : kStopSignals) {
    if (sigismember(&pending, signal) != 1) continue;
    struct sigaction current = {};
    sigaction(signal, nullptr, &current);
    if (current.sa_handler != SIG_IGN) return true;
  }
  return false;
}

bool takeStopSignal() {
  if (!stopSignalPending()) return false;
  sigset_t stops = stopSet();
  const struct timespec now = {0, 0};
  while (sigtimedwait(&stops, nullptr, &now) > 0) {
  }
  return true;
}

SignalsHeld::SignalsHeld() {
  sigset_t stops = stopSet();
  sigprocmask(SIG_BLOCK, &stops, &previous_);
}

SignalsHeld::~SignalsHeld() {
  sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace rpgc
