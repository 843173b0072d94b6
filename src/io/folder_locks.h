// FolderLocks: exclusive locks on the folders whose files a run replaces, so that two runs
// never mix their files.
//
// A folder is known by its device and inode, not by its name: one folder reached by two
// paths ("out" and a link's "/home/me/game/out", or "sub/..") is opened and locked once,
// since a second lock on it would wait for the first forever. Folders are locked in the
// order of their device and inode, so runs that need the same folders never wait for each
// other in a circle. Signals stay deliverable while a lock is awaited (the caller must not
// hold them back); when the wait passes about a second, the notice is called once with the
// folder waited for.
//
// On a file system without locks the run goes on unserialised, as it always has; reliable()
// then says so, and nothing may be concluded from "holding" such a lock.
#ifndef RPGC_IO_FOLDER_LOCKS_H_
#define RPGC_IO_FOLDER_LOCKS_H_

#include <functional>
#include <string>
#include <vector>

#include "io/file_identity.h"

namespace rpgc {

class FileSystem;

/// Told the folder a run waits for, once the wait is noticeable.
using LockWaitNotice = std::function<void(const std::string& folder)>;

class FolderLocks {
 public:
  FolderLocks(FileSystem& fs, LockWaitNotice notice) : fs_(fs), notice_(std::move(notice)) {}
  FolderLocks(const FolderLocks&) = delete;
  FolderLocks& operator=(const FolderLocks&) = delete;
  ~FolderLocks() { release(); }

  /// Releases what is held, then locks every folder of the list once. 0, or the errno of
  /// the first folder that cannot be opened or locked (failedFolder()), holding none.
  int lock(const std::vector<std::string>& folders);
  void release();

  /// Whether the folder at path is one of those held.
  bool holds(const std::string& path) const;
  /// One path per folder held, in the order they were locked.
  std::vector<std::string> folders() const;
  /// False when a file system had no locks to give.
  bool reliable() const { return reliable_; }
  const std::string& failedFolder() const { return failed_; }

 private:
  struct Held {
    FileIdentity identity;
    std::string path;
    int fd = -1;
  };

  int take(const Held& held);

  FileSystem& fs_;
  LockWaitNotice notice_;
  std::vector<Held> held_;
  std::string failed_;
  bool reliable_ = true;
  bool noticed_ = false;
};

/// The identity of the folder at path (following links); 0 or errno.
int folderIdentity(FileSystem& fs, const std::string& path, FileIdentity& identity);

}  // namespace rpgc

#endif  // RPGC_IO_FOLDER_LOCKS_H_
