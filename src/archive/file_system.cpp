// FileSystem: the POSIX calls, each retried on EINTR and reduced to an errno value.
#include "archive/file_system.h"

#include <dirent.h>
#include <fcntl.h>
#include <sys/file.h>
#include <unistd.h>

#include <cerrno>

namespace rpgc {

namespace {

int failure() {
  return errno != 0 ? errno : EIO;
}

}  // namespace

FileSystem& FileSystem::real() {
  static FileSystem instance;
  return instance;
}

int FileSystem::createExclusive(const std::string& path, int& fd) {
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CREAT | O_EXCL | O_CLOEXEC, 0666);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? failure() : 0;
}

int FileSystem::openForWriting(const std::string& path, bool truncate, int& fd) {
  do {
    fd = ::open(path.c_str(), O_WRONLY | O_CLOEXEC | (truncate ? O_TRUNC : 0));
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? failure() : 0;
}

int FileSystem::openForReading(const std::string& path, int& fd) {
  do {
    fd = ::open(path.c_str(), O_RDONLY | O_CLOEXEC);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? failure() : 0;
}

int FileSystem::write(int fd, const void* data, size_t n) {
  const char* bytes = static_cast<const char*>(data);
  while (n > 0) {
    ssize_t done = ::write(fd, bytes, n);
    if (done < 0) {
      if (errno == EINTR) continue;
      return failure();
    }
    bytes += done;
    n -= static_cast<size_t>(done);
  }
  return 0;
}

int FileSystem::read(int fd, void* data, size_t n, size_t& got) {
  ssize_t done;
  do {
    done = ::read(fd, data, n);
  } while (done < 0 && errno == EINTR);
  if (done < 0) return failure();
  got = static_cast<size_t>(done);
  return 0;
}

int FileSystem::sync(int fd) {
  return ::fsync(fd) == 0 ? 0 : failure();
}

int FileSystem::close(int fd) {
  // A close interrupted by a signal has released the descriptor on Linux: not retried.
  return ::close(fd) == 0 || errno == EINTR ? 0 : failure();
}

int FileSystem::copyOwnerAndMode(int fd, const struct stat& like) {
  // Changing the owner is allowed to fail (only the owner's own files may be given away);
  // the group may change where the process belongs to it.
  if (::fchown(fd, like.st_uid, like.st_gid) != 0)
    (void)::fchown(fd, static_cast<uid_t>(-1), like.st_gid);
  return ::fchmod(fd, like.st_mode & 07777) == 0 ? 0 : failure();
}

int FileSystem::rename(const std::string& from, const std::string& to) {
  return ::rename(from.c_str(), to.c_str()) == 0 ? 0 : failure();
}

int FileSystem::link(const std::string& from, const std::string& to) {
  return ::link(from.c_str(), to.c_str()) == 0 ? 0 : failure();
}

int FileSystem::remove(const std::string& path) {
  return ::unlink(path.c_str()) == 0 ? 0 : failure();
}

int FileSystem::linkStatus(const std::string& path, struct stat& status) {
  return ::lstat(path.c_str(), &status) == 0 ? 0 : failure();
}

int FileSystem::readLink(const std::string& path, std::string& target) {
  std::string buffer(256, '\0');
  while (true) {
    ssize_t n = ::readlink(path.c_str(), buffer.data(), buffer.size());
    if (n < 0) return failure();
    if (static_cast<size_t>(n) < buffer.size()) {
      buffer.resize(static_cast<size_t>(n));
      target = buffer;
      return 0;
    }
    buffer.resize(buffer.size() * 2);
  }
}

int FileSystem::listFolder(const std::string& folder, std::vector<std::string>& names) {
  DIR* dir = ::opendir(folder.c_str());
  if (dir == nullptr) return failure();
  errno = 0;
  while (const dirent* entry = ::readdir(dir)) names.emplace_back(entry->d_name);
  int error = errno;
  ::closedir(dir);
  return error;
}

int FileSystem::syncFolder(const std::string& folder) {
  int fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return failure();
  int error = ::fsync(fd) == 0 ? 0 : failure();
  // Folders on some file systems cannot be synced; their entries are as durable as they get.
  if (error == EINVAL || error == ENOTSUP) error = 0;
  ::close(fd);
  return error;
}

int FileSystem::lockFolder(const std::string& folder, int& fd) {
  fd = ::open(folder.c_str(), O_RDONLY | O_DIRECTORY | O_CLOEXEC);
  if (fd < 0) return failure();
  int result;
  do {
    result = ::flock(fd, LOCK_EX);
  } while (result != 0 && errno == EINTR);
  if (result == 0) return 0;
  int error = failure();
  ::close(fd);
  fd = -1;
  // A file system without locks cannot serialise runs; the commit still goes on.
  return error == ENOLCK || error == EOPNOTSUPP ? 0 : error;
}

int FileSystem::unlockFolder(int fd) {
  if (fd < 0) return 0;
  ::flock(fd, LOCK_UN);
  return ::close(fd) == 0 ? 0 : failure();
}

}  // namespace rpgc
