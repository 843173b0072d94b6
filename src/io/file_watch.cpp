// FileWatch: inotify watches on folders, and the wait for a change that has settled.
#include "io/file_watch.h"

#include <poll.h>
#include <sys/inotify.h>
#include <unistd.h>

#include <cerrno>
#include <climits>
#include <cstring>
#include <filesystem>
#include <system_error>

namespace rpgc {

namespace {

// Whatever can make a file read differently: its content written, the file created,
// removed, or renamed to or from its name.
constexpr uint32_t kChanges =
    IN_MODIFY | IN_CLOSE_WRITE | IN_CREATE | IN_DELETE | IN_MOVED_FROM | IN_MOVED_TO;

}  // namespace

FileWatch::FileWatch() : fd_(inotify_init1(IN_CLOEXEC | IN_NONBLOCK)) {
  if (fd_ < 0) error_ = errno;
}

FileWatch::~FileWatch() {
  if (fd_ >= 0) close(fd_);
}

bool FileWatch::watchName(std::filesystem::path folder, std::string name,
                          std::map<std::string, int>& folders, int& error) {
  for (;;) {
    auto found = folders.find(folder.string());
    if (found == folders.end()) {
      int descriptor = inotify_add_watch(fd_, folder.c_str(), kChanges | IN_ONLYDIR);
      if (descriptor < 0 && (errno == ENOENT || errno == ENOTDIR) && folder.has_relative_path()) {
        // The folder is missing (or is no folder): its creation is the change to wait for.
        name = folder.filename().string();
        folder = folder.parent_path();
        continue;
      }
      if (descriptor < 0) {
        error = errno;
        return false;
      }
      found = folders.emplace(folder.string(), descriptor).first;
    }
    names_.emplace(found->second, std::move(name));
    return true;
  }
}

bool FileWatch::watch(const std::vector<std::string>& files) {
  if (fd_ < 0) return false;
  names_.clear();
  std::error_code error;
  std::filesystem::path here = std::filesystem::current_path(error);
  if (error) {
    error_ = error.value();
    return false;
  }
  int lastError = 0;
  // Each folder is watched again: the same folder keeps its descriptor and its queued
  // events, one made anew since (removed and created again) gets a new one.
  std::map<std::string, int> folders;  // absolute folder -> watch descriptor
  for (const std::string& file : files) {
    std::filesystem::path full = (here / file).lexically_normal();
    watchName(full.parent_path(), full.filename().string(), folders, lastError);
  }
  std::set<int> used;
  for (const auto& [folder, descriptor] : folders) used.insert(descriptor);
  for (int descriptor : watched_) {
    if (!used.contains(descriptor)) inotify_rm_watch(fd_, descriptor);
  }
  watched_ = std::move(used);
  if (names_.empty()) {
    error_ = lastError != 0 ? lastError : ENOENT;
    return false;
  }
  return true;
}

int FileWatch::waitForEvents(int timeout) {
  struct pollfd ready = {fd_, POLLIN, 0};
  int polled;
  do {
    polled = poll(&ready, 1, timeout);
  } while (polled < 0 && errno == EINTR);
  if (polled < 0) error_ = errno;
  return polled;
}

bool FileWatch::drainEvents(bool& relevant) {
  alignas(struct inotify_event) char buffer[64 * 1024];
  for (;;) {
    ssize_t length = read(fd_, buffer, sizeof buffer);
    if (length < 0) {
      if (errno == EAGAIN) return true;
      if (errno == EINTR) continue;
      error_ = errno;
      return false;
    }
    for (ssize_t at = 0; at + static_cast<ssize_t>(sizeof(struct inotify_event)) <= length;) {
      struct inotify_event event;
      std::memcpy(&event, buffer + at, sizeof event);
      // The queue overflowed: anything may have changed.
      if ((event.mask & IN_Q_OVERFLOW) != 0) relevant = true;
      if (event.len > 0) {
        // The name is padded with zero bytes up to event.len.
        const char* name = buffer + at + sizeof event;
        if (names_.contains({event.wd, std::string(name, strnlen(name, event.len))})) {
          relevant = true;
        }
      }
      at += static_cast<ssize_t>(sizeof event + event.len);
    }
  }
}

bool FileWatch::waitForChange(int settleMilliseconds) {
  if (fd_ < 0) return false;
  bool relevant = false;
  while (!relevant) {
    if (waitForEvents(-1) < 0 || !drainEvents(relevant)) return false;
  }
  // Saving is often several steps (write, rename, change of mode): wait until they end.
  for (;;) {
    int polled = waitForEvents(settleMilliseconds);
    if (polled < 0) return false;
    if (polled == 0) return true;
    if (!drainEvents(relevant)) return false;
  }
}

}  // namespace rpgc
