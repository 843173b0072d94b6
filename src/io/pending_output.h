// PendingOutput and commitOutputs: output files written beside their targets and put in
// place together, only when the whole run succeeded.
//
// Each output is written to a new temporary file in its target's folder
// (".rpgc-PID-N.TARGET.tmp", temporary_names.h), readable by its owner only while it is
// written and locked by this run for as long as it exists (which is how a later run tells
// that it is in use); once complete it is synced and given the permission bits it will
// have as the target. Before making it, the run deals with what stopped runs left in the
// folder (leftover_files.h).
//
// commitOutputs then replaces every target at once, under the lock of every folder
// involved (folder_locks.h), with the signals that stop a run held back: the earlier
// content of each target is kept (replacement_step.h), a journal of the replacement is
// written and synced (commit_journal.h), room for rewrites in place is reserved, and the
// targets are replaced. A failure at any step, or a stop signal that came meanwhile, rolls
// every step back so that the targets hold the earlier pair again (a signal then ends the
// run); a run killed outright is rolled back by the next one, from the journal. When all
// are replaced, the folders are synced, the journal is marked complete and removed, and so
// are the kept copies.
//
// What a target is: a symbolic link is followed to the file it names (which is created
// when missing); a target that is a device or a pipe is written to directly; a file with
// several hard links is rewritten in place, keeping its links, as editors do; a new file
// replacing another takes its permission bits and owner.
#ifndef RPGC_IO_PENDING_OUTPUT_H_
#define RPGC_IO_PENDING_OUTPUT_H_

#include <sys/stat.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "core/finding.h"
#include "io/descriptor_stream.h"
#include "io/folder_locks.h"
#include "io/replacement_step.h"

namespace rpgc {

class FileSystem;
class TemporaryFiles;

class PendingOutput {
 public:
  /// Prepares the output for target. Check ready(), else errorCode(); recovered() says
  /// what was found of stopped runs. notice is told a folder whose lock is long awaited.
  explicit PendingOutput(std::string target, FileSystem& fs, TemporaryFiles* temporaries,
                         const LockWaitNotice& notice = {});
  PendingOutput(const PendingOutput&) = delete;
  PendingOutput& operator=(const PendingOutput&) = delete;
  ~PendingOutput();

  bool ready() const { return stream_ != nullptr && error_ == 0; }
  ByteStream& stream();
  const std::string& target() const { return target_; }
  /// errno of the first failure.
  int errorCode() const;
  /// Targets put back, or copies left, from runs that were stopped (kRecovered, kCopyLeft,
  /// kUnknownCopy).
  const std::vector<CommitProblem>& recovered() const { return recovered_; }

  /// Writes out, syncs and closes the file; false (errorCode set) when that fails.
  bool finish();
  /// Removes the temporary file of an output that will not be committed; false, with the
  /// file named in problems, when it cannot be removed.
  bool abandon(std::vector<CommitProblem>& problems);

 private:
  friend class OutputCommit;
  enum class Kind { kNew, kReplace, kInPlace, kDirect };

  // What stream() gives when the file could not be made: every write fails, so that a
  // phase stops at its first write rather than serialising a whole body into nothing.
  class RefusingStream : public ByteStream {
   public:
    bool write(const void*, int32_t) override { return false; }
    bool writeItems(const void*, int32_t, int32_t) override { return false; }
  };

  bool resolve();
  int makeTemporary();
  void closeFile();

  FileSystem* fs_;
  TemporaryFiles* temporaries_;
  std::string target_;       // as named, for messages
  std::string destination_;  // the file replaced: the target, or where its links lead
  std::string folder_;
  std::string temporary_;
  struct stat existing_ = {};
  Kind kind_ = Kind::kNew;
  int fd_ = -1;  // kept open until the commit: it holds the temporary file's lock
  std::unique_ptr<DescriptorStream> stream_;
  RefusingStream failedStream_;
  std::vector<CommitProblem> recovered_;
  bool committed_ = false;
  int error_ = 0;
};

/// The finding that says a problem of putting outputs in place (kCannotWrite,
/// kCannotRestore, kCannotRemoveTemporary, or a note of what a stopped run left).
Finding findingOf(const CommitProblem& problem);

/// Whether problems leave a committed run successful: at most an interrupt taken once the
/// outputs were in place (kInterruptedAfter), which is a note.
bool onlyNotes(const std::vector<CommitProblem>& problems);

/// Puts every finished output in place, all or none; problems lists the failure that
/// stopped it (first) and any clean-up that failed. True when every target now holds its
/// new content, even if clean-up failed. Temporary files of a failed commit are removed.
bool commitOutputs(std::span<PendingOutput* const> outputs, FileSystem& fs,
                   std::vector<CommitProblem>& problems, const LockWaitNotice& notice = {});

}  // namespace rpgc

#endif  // RPGC_IO_PENDING_OUTPUT_H_
