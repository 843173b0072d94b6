// recoverLeftovers: what runs that were stopped (killed, or cut off by a power loss) left
// in a folder, dealt with by the next run before it writes there.
//
// Under the folder's lock, so no replacement is under way in it:
// - A journal means a replacement that did not finish. Each of its steps is rolled back,
//   in every folder it names (locked too), so that the targets hold the earlier pair
//   again, and the journal goes. A target changed since, or one that cannot be put back,
//   keeps the journal and its copy, and a note names both (every run says it again until
//   someone looks). A journal marked complete is only cleared away.
// - A kept copy no journal names is left from a replacement that finished or never began
//   (the journal is written before any target changes and removed after): removed.
// - A temporary file is removed when no run holds its lock: its run has ended, whatever
//   its process id says (a run in another PID namespace may share the folder).
// Where the file system has no locks, nothing shows that a run has ended: only files of
// the last kind whose lock can be tested are removed.
#ifndef RPGC_IO_LEFTOVER_FILES_H_
#define RPGC_IO_LEFTOVER_FILES_H_

#include <string>
#include <vector>

#include "io/folder_locks.h"
#include "io/replacement_step.h"

namespace rpgc {

class FileSystem;

/// Deals with the leftovers in folder; what it put back or left goes to notes. True when
/// a target may have changed.
bool recoverLeftovers(const std::string& folder, FileSystem& fs, const LockWaitNotice& notice,
                      std::vector<CommitProblem>& notes);

}  // namespace rpgc

#endif  // RPGC_IO_LEFTOVER_FILES_H_
