// CommitJournal: the record of one replacement of outputs, written beside them before any
// target changes, so that a run stopped halfway (killed, or by a power loss) is rolled back
// by the next run that writes there.
//
// One copy goes into each folder the replacement touches (".rpgc-PID-N.journal"), synced
// with its folder before the first target changes; every copy lists all the steps and all
// the copies, so whichever folder a later run looks at is enough. Once every target holds
// its new content and the folders are synced, the first byte of each copy is overwritten
// ('O', open, becomes 'C', complete) and synced, and the copies are removed; a complete
// journal that could not be removed is only cleared away later, never rolled back.
//
// The bytes are NUL-ended fields (paths cannot hold NUL; every path is absolute): the
// state, "rpgc-journal-1", the number of steps, per step its kind (N, R or I),
// destination, temporary, kept copy, and the device and inode of the new and of the
// earlier file; then the number of copies and their paths.
#ifndef RPGC_IO_COMMIT_JOURNAL_H_
#define RPGC_IO_COMMIT_JOURNAL_H_

#include <string>
#include <string_view>
#include <vector>

#include "io/replacement_step.h"

namespace rpgc {

class FileSystem;

struct CommitJournal {
  std::vector<ReplacementStep> steps;
  std::vector<std::string> copies;
  bool complete = false;

  std::string encode() const;
  /// False, leaving the journal unspecified, unless bytes hold exactly one journal.
  bool decode(std::string_view bytes);
};

/// The files of the journal of a replacement in progress.
class JournalFiles {
 public:
  explicit JournalFiles(FileSystem& fs) : fs_(fs) {}
  JournalFiles(const JournalFiles&) = delete;
  JournalFiles& operator=(const JournalFiles&) = delete;
  ~JournalFiles();

  /// Writes the journal of steps into a new file in each folder, synced with the folders.
  /// 0 or errno (and the files made are removed again).
  int write(const std::vector<std::string>& folders, const std::vector<ReplacementStep>& steps);
  /// Marks every file complete, synced. 0 or errno.
  int markComplete();
  /// Removes every file; false (each failure in problems) when one stays.
  bool remove(std::vector<CommitProblem>& problems);
  bool written() const { return !paths_.empty(); }

 private:
  void close();

  FileSystem& fs_;
  std::vector<std::string> paths_;
  std::vector<int> fds_;
};

enum class JournalRead {
  kRead,
  kPartial,     // the start of a journal: its run stopped before changing anything
  kUnreadable,  // cannot be read (another user's), or not a journal of this version
};
JournalRead readJournal(FileSystem& fs, const std::string& path, CommitJournal& journal);

/// path as an absolute path (against the current folder), without asking the disk.
std::string absolutePath(const std::string& path);

}  // namespace rpgc

#endif  // RPGC_IO_COMMIT_JOURNAL_H_
