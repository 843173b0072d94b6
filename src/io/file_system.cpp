// FileSystem: the POSIX calls, each retried on EINTR and reduced to an errno value.
#include "io/file_system.h"

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

int openRetried(const std::string& path, int flags, mode_t mode, int& fd) {
  do {
    fd = ::open(path.c_str(), flags | O_CLOEXEC, mode);
  } while (fd < 0 && errno == EINTR);
  return fd < 0 ? failure() : 0;
}

}  // namespace

bool notSupported(int errorCode) {
  return errorCode == ENOLCK || errorCode == EOPNOTSUPP || errorCode == ENOTSUP ||
         errorCode == ENOSYS || errorCode == EINVAL;
}

FileSystem& FileSystem::real() {
  static FileSystem instance;
  return instance;
}

mode_t FileSystem::creationMode() {
  // The umask can only be read by setting it; done once, before any file is created.
  static const mode_t mode = [] {
    mode_t mask = ::umask(0);
    ::umask(mask);
    return static_cast<mode_t>(0666 & ~mask);
  }();
  return mode;
}

int FileSystem::createExclusive(const std::string& path, int& fd) {
  // Read and write: a lock on a file of a network file system needs both.
  return openRetried(path, O_RDWR | O_CREAT | O_EXCL, 0600, fd);
}

int FileSystem::openForWriting(const std::string& path, bool truncate, int& fd) {
  return openRetried(path, O_WRONLY | (truncate ? O_TRUNC : 0), 0, fd);
}

int FileSystem::openForReading(const std::string& path, int& fd) {
  return openRetried(path, O_RDONLY, 0, fd);
}

int FileSystem::openEntry(const std::string& path, int& fd) {
  return openRetried(path, O_RDONLY | O_NOFOLLOW | O_NONBLOCK, 0, fd);
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

int FileSystem::writeAt(int fd, const void* data, size_t n, int64_t offset) {
  const char* bytes = static_cast<const char*>(data);
  while (n > 0) {
    ssize_t done = ::pwrite(fd, bytes, n, static_cast<off_t>(offset));
    if (done < 0) {
      if (errno == EINTR) continue;
      return failure();
    }
    bytes += done;
    n -= static_cast<size_t>(done);
    offset += done;
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

int FileSystem::fileStatus(int fd, struct stat& status) {
  return ::fstat(fd, &status) == 0 ? 0 : failure();
}

int FileSystem::truncate(int fd, int64_t length) {
  int result;
  do {
    result = ::ftruncate(fd, static_cast<off_t>(length));
  } while (result != 0 && errno == EINTR);
  return result == 0 ? 0 : failure();
}

int FileSystem::reserve(int fd, int64_t length) {
  if (length <= 0) return 0;
  // posix_fallocate returns its error instead of setting errno.
  int error;
  do {
    error = ::posix_fallocate(fd, 0, static_cast<off_t>(length));
  } while (error == EINTR);
  return error;
}

int FileSystem::copyOwnerAndMode(int fd, const struct stat& like) {
  // Changing the owner is allowed to fail (only the owner's own files may be given away);
  // the group may change where the process belongs to it.
  if (::fchown(fd, like.st_uid, like.st_gid) != 0)
    (void)::fchown(fd, static_cast<uid_t>(-1), like.st_gid);
  return ::fchmod(fd, like.st_mode & 07777) == 0 ? 0 : failure();
}

int FileSystem::setMode(int fd, mode_t mode) {
  return ::fchmod(fd, mode) == 0 ? 0 : failure();
}

int FileSystem::copyTimes(int fd, const struct stat& like) {
  const struct timespec times[2] = {like.st_atim, like.st_mtim};
  return ::futimens(fd, times) == 0 ? 0 : failure();
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
  int fd = -1;
  if (int error = openRetried(folder, O_RDONLY | O_DIRECTORY, 0, fd)) return error;
  int error = ::fsync(fd) == 0 ? 0 : failure();
  // Folders on some file systems cannot be synced; their entries are as durable as they get.
  if (error == EINVAL || error == ENOTSUP) error = 0;
  ::close(fd);
  return error;
}

int FileSystem::openFolder(const std::string& folder, int& fd) {
  return openRetried(folder, O_RDONLY | O_DIRECTORY, 0, fd);
}

int FileSystem::lock(int fd, bool wait) {
  int result;
  do {
    result = ::flock(fd, LOCK_EX | (wait ? 0 : LOCK_NB));
  } while (result != 0 && errno == EINTR);
  return result == 0 ? 0 : failure();
}

}  // namespace rpgc
