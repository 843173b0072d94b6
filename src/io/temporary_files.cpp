// TemporaryFiles: fixed slots, and the handlers that use them.
#include "io/temporary_files.h"

#include <unistd.h>

#include <cstring>
#include <ctime>

namespace rpgc {

namespace {

constexpr int kStopSignals[] = {SIGINT, SIGTERM, SIGHUP};

void removeAndDie(int signal) {
  TemporaryFiles::process().removeAll();
  std::signal(signal, SIG_DFL);
  std::raise(signal);
}

}  // namespace

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

void installSignalHandlers() {
  std::signal(SIGPIPE, SIG_IGN);
  std::signal(SIGXFSZ, SIG_IGN);
  for (int signal : kStopSignals) {
    struct sigaction action = {};
    action.sa_handler = removeAndDie;
    sigemptyset(&action.sa_mask);
    for (int other : kStopSignals) sigaddset(&action.sa_mask, other);
    // A signal the caller chose to ignore (nohup, a shell's background job) stays ignored.
    struct sigaction current = {};
    sigaction(signal, nullptr, &current);
    if (current.sa_handler == SIG_IGN) continue;
    sigaction(signal, &action, nullptr);
  }
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
  sigset_t stops;
  sigemptyset(&stops);
  for (int signal : kStopSignals) sigaddset(&stops, signal);
  const struct timespec now = {0, 0};
  while (sigtimedwait(&stops, nullptr, &now) > 0) {
  }
  return true;
}

SignalsHeld::SignalsHeld() {
  sigset_t stops;
  sigemptyset(&stops);
  for (int signal : kStopSignals) sigaddset(&stops, signal);
  sigprocmask(SIG_BLOCK, &stops, &previous_);
}

SignalsHeld::~SignalsHeld() {
  sigprocmask(SIG_SETMASK, &previous_, nullptr);
}

}  // namespace rpgc
