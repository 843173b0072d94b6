// FileSystem: the operating system's file calls that reading the inputs and replacing the
// output files make, behind one interface so that tests can watch them and make any of
// them fail.
//
// Every call returns 0 or the errno value of its failure. The process-wide instance,
// real(), makes the POSIX calls; a test derives from it to record or refuse calls.
#ifndef RPGC_IO_FILE_SYSTEM_H_
#define RPGC_IO_FILE_SYSTEM_H_

#include <sys/stat.h>

#include <cstddef>
#include <cstdint>
#include <string>
#include <vector>

namespace rpgc {

class FileSystem {
 public:
  FileSystem() = default;
  FileSystem(const FileSystem&) = delete;
  FileSystem& operator=(const FileSystem&) = delete;
  virtual ~FileSystem() = default;

  /// The instance that makes the real calls.
  static FileSystem& real();
  /// The permission bits a file created by this process gets: 0666 without the umask.
  static mode_t creationMode();

  /// Creates a new file readable and writable by its owner only (failing when one exists:
  /// EEXIST).
  virtual int createExclusive(const std::string& path, int& fd);
  /// Opens an existing file for writing, emptying it when truncate.
  virtual int openForWriting(const std::string& path, bool truncate, int& fd);
  virtual int openForReading(const std::string& path, int& fd);
  /// Opens a folder entry to look at it: never follows a symbolic link and never waits
  /// (for a pipe's other end).
  virtual int openEntry(const std::string& path, int& fd);
  /// Writes all n bytes (going on after partial writes and interruptions).
  virtual int write(int fd, const void* data, size_t n);
  /// Writes all n bytes at offset, leaving the file position alone.
  virtual int writeAt(int fd, const void* data, size_t n, int64_t offset);
  /// Reads up to n bytes; got 0 at the end of the file.
  virtual int read(int fd, void* data, size_t n, size_t& got);
  /// Makes what was written to fd durable.
  virtual int sync(int fd);
  virtual int close(int fd);
  /// fstat() of an open descriptor.
  virtual int fileStatus(int fd, struct stat& status);
  /// Sets the file's length.
  virtual int truncate(int fd, int64_t length);
  /// Allocates the disk space of the file's first length bytes, growing it to length when
  /// shorter, so that writing them later cannot fail for space. ENOTSUP where the file
  /// system cannot do that.
  virtual int reserve(int fd, int64_t length);
  /// Gives fd the permission bits of like, and its owner where the process may.
  virtual int copyOwnerAndMode(int fd, const struct stat& like);
  virtual int setMode(int fd, mode_t mode);
  /// Gives fd the access and modification times of like.
  virtual int copyTimes(int fd, const struct stat& like);

  virtual int rename(const std::string& from, const std::string& to);
  virtual int link(const std::string& from, const std::string& to);
  virtual int remove(const std::string& path);
  /// stat() without following a final symbolic link.
  virtual int linkStatus(const std::string& path, struct stat& status);
  virtual int readLink(const std::string& path, std::string& target);
  virtual int listFolder(const std::string& folder, std::vector<std::string>& names);

  /// Makes the folder's entries (new names, renames) durable.
  virtual int syncFolder(const std::string& folder);
  virtual int openFolder(const std::string& folder, int& fd);
  /// Takes an exclusive lock on an open file or folder, held until the descriptor is closed;
  /// when !wait, EWOULDBLOCK if another open description holds it. ENOLCK where the file
  /// system has no locks.
  virtual int lock(int fd, bool wait);
};

/// Whether a failed lock or reserve() means the file system cannot do it at all.
bool notSupported(int errorCode);

}  // namespace rpgc

#endif  // RPGC_IO_FILE_SYSTEM_H_
