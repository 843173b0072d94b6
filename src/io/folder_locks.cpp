// FolderLocks: one open descriptor and one flock per folder, in identity order.
#include "io/folder_locks.h"

#include <algorithm>
#include <cerrno>
#include <chrono>
#include <thread>

#include "io/file_system.h"

namespace rpgc {

namespace {

// How long a lock is tried for before the wait is said: 20 tries, 50 ms apart.
constexpr int kQuietTries = 20;
constexpr auto kTryInterval = std::chrono::milliseconds(50);

}  // namespace

int folderIdentity(FileSystem& fs, const std::string& path, FileIdentity& identity) {
  int fd = -1;
  if (int error = fs.openFolder(path, fd)) return error;
  struct stat status = {};
  int error = fs.fileStatus(fd, status);
  fs.close(fd);
  if (error == 0) identity = FileIdentity::of(status);
  return error;
}

int FolderLocks::lock(const std::vector<std::string>& folders) {
  release();
  failed_.clear();
  reliable_ = true;
  for (const std::string& path : folders) {
    Held held;
    held.path = path;
    struct stat status = {};
    int error = fs_.openFolder(path, held.fd);
    if (error == 0) error = fs_.fileStatus(held.fd, status);
    if (error != 0) {
      if (held.fd >= 0) fs_.close(held.fd);
      failed_ = path;
      release();
      return error;
    }
    held.identity = FileIdentity::of(status);
    bool known = std::any_of(held_.begin(), held_.end(),
                             [&](const Held& other) { return other.identity == held.identity; });
    if (known) {
      fs_.close(held.fd);
      continue;
    }
    held_.push_back(std::move(held));
  }
  std::sort(held_.begin(), held_.end(),
            [](const Held& a, const Held& b) { return a.identity < b.identity; });
  for (const Held& held : held_) {
    if (int error = take(held)) {
      failed_ = held.path;
      release();
      return error;
    }
  }
  return 0;
}

int FolderLocks::take(const Held& held) {
  int error = fs_.lock(held.fd, false);
  for (int tries = 0; error == EWOULDBLOCK && tries < kQuietTries; ++tries) {
    std::this_thread::sleep_for(kTryInterval);
    error = fs_.lock(held.fd, false);
  }
  if (error == EWOULDBLOCK) {
    if (!noticed_ && notice_) notice_(held.path);
    noticed_ = true;
    error = fs_.lock(held.fd, true);
  }
  if (notSupported(error)) {
    reliable_ = false;
    return 0;
  }
  return error;
}

void FolderLocks::release() {
  for (const Held& held : held_) fs_.close(held.fd);
  held_.clear();
}

bool FolderLocks::holds(const std::string& path) const {
  FileIdentity identity;
  if (folderIdentity(fs_, path, identity) != 0) return false;
  return std::any_of(held_.begin(), held_.end(),
                     [&](const Held& held) { return held.identity == identity; });
}

std::vector<std::string> FolderLocks::folders() const {
  std::vector<std::string> paths;
  for (const Held& held : held_) paths.push_back(held.path);
  return paths;
}

}  // namespace rpgc
