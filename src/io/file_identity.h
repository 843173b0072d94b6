// FileIdentity: a file or folder as the system knows it, by device and inode, whatever
// name it was reached by.
#ifndef RPGC_IO_FILE_IDENTITY_H_
#define RPGC_IO_FILE_IDENTITY_H_

#include <sys/stat.h>

#include <compare>
#include <cstdint>

namespace rpgc {

struct FileIdentity {
  uint64_t device = 0;
  uint64_t inode = 0;

  static FileIdentity of(const struct stat& status) {
    return {static_cast<uint64_t>(status.st_dev), static_cast<uint64_t>(status.st_ino)};
  }
  friend auto operator<=>(const FileIdentity&, const FileIdentity&) = default;
};

}  // namespace rpgc

#endif  // RPGC_IO_FILE_IDENTITY_H_
