// ReplacementStep: what putting one output in place does to its target, and how that is
// undone.
//
// A step is one of three kinds. kNew: the temporary file is renamed to a name that did not
// exist. kReplace: the earlier file is kept under a second name (a hard link, or a copy
// where the folder cannot link), then the temporary file is renamed over the target.
// kInPlace, for a target with several hard links (which a rename would split): a copy of
// the earlier content is kept, the new length is reserved on the disk, and the new content
// is written over the old. A step records the identities of the earlier file and of the
// new one, so that rollBack() can tell from what the target is now whether the step
// happened, and undo it: in the run that made it, or in a later run that finds it in the
// journal of a run that was stopped (commit_journal.h). Rolling back twice does nothing
// more.
#ifndef RPGC_IO_REPLACEMENT_STEP_H_
#define RPGC_IO_REPLACEMENT_STEP_H_

#include <sys/stat.h>

#include <cstdint>
#include <string>

#include "io/file_identity.h"

namespace rpgc {

class FileSystem;

struct ReplacementStep {
  enum class Kind : char { kNew = 'N', kReplace = 'R', kInPlace = 'I' };

  Kind kind = Kind::kNew;
  std::string destination;  // the file replaced
  std::string temporary;    // the new content
  std::string kept;         // the earlier content's second name, once there is one
  FileIdentity fresh;       // the temporary file
  FileIdentity earlier;     // the destination before the replacement (not for kNew)
};

/// Something that went wrong, or was found, while putting outputs in place.
struct CommitProblem {
  std::string path;
  int errorCode = 0;
  enum class What {
    kReplace,           // path could not be replaced (or its folder locked)
    kRestore,           // the earlier path could not be put back; its content is kept in copy
    kRemove,            // a temporary file could not be removed
    kSync,              // the folder path could not be synced
    kRecovered,         // a later run put the earlier path back from copy, left by a stopped run
    kCopyLeft,          // copy, the earlier path kept by a stopped run, was left: path changed
                        // since, or (errorCode) it could not be put back
    kUnknownCopy,       // path, a copy left by an earlier version, may hold a target's content
    kInterruptedAfter,  // a stop signal came once the outputs were in place: it was taken
  } what = What::kReplace;
  std::string copy;
};

/// Keeps the earlier content of the step's destination, whose status is existing. 0 or
/// errno; step.kept names the copy as soon as it exists.
int keepEarlier(FileSystem& fs, ReplacementStep& step, const struct stat& existing);

/// Reserves the new length for a rewrite in place. 0 (also where the file system cannot
/// reserve) or errno, when the disk has no room for it.
int reserveInPlace(FileSystem& fs, const ReplacementStep& step);

/// Puts the new content in place. 0 or errno.
int applyStep(FileSystem& fs, const ReplacementStep& step);

enum class RollBack {
  kUndone,         // the target holds its earlier content (or, for kNew, is gone) again
  kUnchanged,      // the step had not changed the target
  kTargetChanged,  // the target is neither the earlier nor the new file: left alone
  kFailed,         // putting it back failed (errorCode)
};

/// Undoes the step as far as it went. The kept copy is left for the caller to remove
/// (after kUndone or kUnchanged) or to keep.
RollBack rollBack(FileSystem& fs, const ReplacementStep& step, int& errorCode);

}  // namespace rpgc

#endif  // RPGC_IO_REPLACEMENT_STEP_H_
