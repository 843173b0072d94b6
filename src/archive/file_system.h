// FileSystem: the operating system's file calls that replacing the output files makes,
// behind one interface so that tests can watch them and make any of them fail.
//
// Every call returns 0 or the errno value of its failure. The process-wide instance,
// real(), makes the POSIX calls; a test derives from it to record or refuse calls.
#ifndef RPGC_ARCHIVE_FILE_SYSTEM_H_
#define RPGC_ARCHIVE_FILE_SYSTEM_H_

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

  /// Creates a new file for writing (failing when one exists: EEXIST).
  virtual int createExclusive(const std::string& path, int& fd);
  /// Opens an existing file for writing, emptying it when truncate.
  virtual int openForWriting(const std::string& path, bool truncate, int& fd);
  virtual int openForReading(const std::string& path, int& fd);
  /// Writes all n bytes (going on after partial writes and interruptions).
  virtual int write(int fd, const void* data, size_t n);
  /// Reads up to n bytes; got 0 at the end of the file.
  virtual int read(int fd, void* data, size_t n, size_t& got);
  /// Makes what was written to fd durable.
  virtual int sync(int fd);
  virtual int close(int fd);
  /// Gives fd the permission bits of like, and its owner where the process may.
  virtual int copyOwnerAndMode(int fd, const struct stat& like);

  virtual int rename(const std::string& from, const std::string& to);
  virtual int link(const std::string& from, const std::string& to);
  virtual int remove(const std::string& path);
  /// stat() without following a final symbolic link.
  virtual int linkStatus(const std::string& path, struct stat& status);
  virtual int readLink(const std::string& path, std::string& target);
  virtual int listFolder(const std::string& folder, std::vector<std::string>& names);

  /// Makes the folder's entries (new names, renames) durable.
  virtual int syncFolder(const std::string& folder);
  /// Waits for an exclusive lock on the folder, held until unlockFolder(fd).
  virtual int lockFolder(const std::string& folder, int& fd);
  virtual int unlockFolder(int fd);
};

}  // namespace rpgc

#endif  // RPGC_ARCHIVE_FILE_SYSTEM_H_
