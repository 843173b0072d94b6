// FileWatch: waits until one of a set of files changes, for rpgc --watch (Linux inotify).
//
// The folders of the files are watched rather than the files themselves: an editor that
// saves by writing a new file and renaming it over the old one replaces the file's inode,
// and a watch on the old inode would never see another change. Events for other names
// in those folders (the outputs, their temporary files) are ignored. A file whose folder
// does not exist yet is watched through the nearest folder above it that does, for the
// name of the missing folder. A burst of events, as one save makes, counts as one change:
// the wait ends once the folders have been quiet for a moment.
//
// Events queue in the kernel from the moment a folder is watched, waiting or not: a
// caller that watches its files before reading them misses no change made while it reads
// (the next wait ends at once).
#ifndef RPGC_IO_FILE_WATCH_H_
#define RPGC_IO_FILE_WATCH_H_

#include <filesystem>
#include <map>
#include <set>
#include <string>
#include <utility>
#include <vector>

namespace rpgc {

class FileWatch {
 public:
  FileWatch();
  FileWatch(const FileWatch&) = delete;
  FileWatch& operator=(const FileWatch&) = delete;
  ~FileWatch();

  /// errno of the failure to set up the watch, or 0.
  int errorCode() const { return error_; }

  /// Watches these files (paths as the process opens them) from now on, instead of the
  /// ones given before; each folder is looked up again (it may have been replaced). A
  /// file need not exist, nor its folder; false (errorCode) when nothing can be watched.
  bool watch(const std::vector<std::string>& files);

  /// Blocks until a watched file has been written, created, removed or renamed, and the
  /// folders have then been quiet for settleMilliseconds. False (errorCode) when the
  /// events cannot be read.
  bool waitForChange(int settleMilliseconds = 100);

 private:
  // poll() on the descriptor: > 0 when events wait, 0 after timeout ms (-1: none), < 0
  // on failure (errorCode).
  int waitForEvents(int timeout);
  // Reads every event waiting, setting relevant when one is about a watched file; false
  // (errorCode) when reading fails.
  bool drainEvents(bool& relevant);

  // Watches the folder (absolute) of a file named name in it, or the nearest folder above
  // that exists for the name of the first missing one; false (errno in error) when none.
  bool watchName(std::filesystem::path folder, std::string name,
                 std::map<std::string, int>& folders, int& error);

  int fd_ = -1;
  int error_ = 0;
  std::set<int> watched_;                        // the watch descriptors in use
  std::set<std::pair<int, std::string>> names_;  // (watch descriptor, name in the folder)
};

}  // namespace rpgc

#endif  // RPGC_IO_FILE_WATCH_H_
