// PendingOutput: resolving the target, the temporary file, and the all-or-none commit.
#include "io/pending_output.h"

#include <cerrno>
#include <cstring>

#include "io/commit_journal.h"
#include "io/file_system.h"
#include "io/leftover_files.h"
#include "io/stop_signals.h"
#include "io/temporary_files.h"
#include "io/temporary_names.h"

namespace rpgc {

namespace {

constexpr int kMostLinks = 40;
// Names tried when each new file is taken at once by another run's clean-up.
constexpr int kMostNames = 100;

}  // namespace

PendingOutput::PendingOutput(std::string target, FileSystem& fs, TemporaryFiles* temporaries,
                             const LockWaitNotice& notice)
    : fs_(&fs), temporaries_(temporaries), target_(std::move(target)) {
  if (!resolve()) return;
  // Putting back what a stopped run left may change the target: it is looked at again.
  if (kind_ != Kind::kDirect && recoverLeftovers(folder_, *fs_, notice, recovered_) && !resolve()) {
    return;
  }
  if (kind_ == Kind::kDirect) {
    error_ = fs_->openForWriting(destination_, true, fd_);
  } else {
    error_ = makeTemporary();
  }
  if (fd_ >= 0 && error_ == 0) stream_ = std::make_unique<DescriptorStream>(*fs_, fd_);
}

// Creates the temporary file and locks it, so that no other run takes it for a leftover.
int PendingOutput::makeTemporary() {
  std::string name = fileNameOf(destination_);
  for (int tries = 0; tries < kMostNames; ++tries) {
    // Made and remembered with the stop signals held back: a signal between the two would
    // leave the file behind.
    SignalsHeld held;
    if (int error = createTemporary(*fs_, folder_, name, ".tmp", temporary_, fd_)) return error;
    if (temporaries_ != nullptr) temporaries_->add(temporary_);
    int locked = fs_->lock(fd_, false);
    struct stat opened = {};
    struct stat named = {};
    bool ours = locked == 0 && fs_->fileStatus(fd_, opened) == 0 &&
                fs_->linkStatus(temporary_, named) == 0 &&
                FileIdentity::of(opened) == FileIdentity::of(named);
    // Without locks (or when locking fails) the file is used as it is.
    if (ours || (locked != 0 && locked != EWOULDBLOCK)) return 0;
    // Another run's clean-up took the new file for a leftover and removes it.
    if (temporaries_ != nullptr) temporaries_->drop(temporary_);
    closeFile();
    temporary_.clear();
  }
  return EWOULDBLOCK;
}

// Follows symbolic links to the file they name, missing or not, and says what it is.
bool PendingOutput::resolve() {
  std::string path = target_;
  for (int links = 0; links <= kMostLinks; ++links) {
    struct stat status = {};
    int error = fs_->linkStatus(path, status);
    if (error == ENOENT) {
      destination_ = path;
      folder_ = folderOf(path);
      kind_ = Kind::kNew;
      return true;
    }
    if (error != 0) {
      error_ = error;
      return false;
    }
    if (S_ISLNK(status.st_mode)) {
      std::string link;
      if ((error_ = fs_->readLink(path, link)) != 0) return false;
      path = link.starts_with('/') || folderOf(path) == "." ? link : folderOf(path) + "/" + link;
      continue;
    }
    if (S_ISDIR(status.st_mode)) {
      // A folder in the target's place could not be replaced at the end; fail now, before
      // anything is written, so that neither output changes.
      error_ = EISDIR;
      return false;
    }
    destination_ = path;
    folder_ = folderOf(path);
    existing_ = status;
    kind_ = !S_ISREG(status.st_mode) ? Kind::kDirect
            : status.st_nlink > 1    ? Kind::kInPlace
                                     : Kind::kReplace;
    return true;
  }
  error_ = ELOOP;
  return false;
}

PendingOutput::~PendingOutput() {
  std::vector<CommitProblem> ignored;
  abandon(ignored);
  closeFile();
}

void PendingOutput::closeFile() {
  if (fd_ >= 0) fs_->close(fd_);
  fd_ = -1;
}

bool PendingOutput::abandon(std::vector<CommitProblem>& problems) {
  if (committed_ || temporary_.empty()) return true;
  // Removed while still locked: no other run can mistake it for a leftover meanwhile.
  int error = fs_->remove(temporary_);
  closeFile();
  if (temporaries_ != nullptr) temporaries_->drop(temporary_);
  std::string path = std::move(temporary_);
  temporary_.clear();
  if (error == 0 || error == ENOENT) return true;
  problems.push_back({path, error, CommitProblem::What::kRemove, {}});
  return false;
}

ByteStream& PendingOutput::stream() {
  if (stream_ != nullptr) return *stream_;
  return failedStream_;
}

int PendingOutput::errorCode() const {
  if (error_ != 0) return error_;
  if (stream_ != nullptr && stream_->errorCode() != 0) return stream_->errorCode();
  return stream_ == nullptr ? EIO : 0;
}

bool PendingOutput::finish() {
  if (error_ != 0 || stream_ == nullptr) return false;
  if (!stream_->flush()) return false;
  if (kind_ == Kind::kDirect) {
    error_ = fs_->close(fd_);
    fd_ = -1;
    return error_ == 0;
  }
  // Complete, the file takes the permission bits it will have as the target (a rewrite in
  // place copies only its bytes); the data must be on disk before a rename makes it the
  // target. The descriptor stays open: it holds the file's lock.
  if (kind_ == Kind::kNew) error_ = fs_->setMode(fd_, FileSystem::creationMode());
  if (kind_ == Kind::kReplace) error_ = fs_->copyOwnerAndMode(fd_, existing_);
  if (error_ == 0) error_ = fs_->sync(fd_);
  return error_ == 0;
}

// One commit: the steps of the outputs that replace a file, so that they can be undone.
class OutputCommit {
 public:
  OutputCommit(FileSystem& fs, std::vector<CommitProblem>& problems)
      : fs_(fs), problems_(problems), journal_(fs) {}

  bool run(std::span<PendingOutput* const> outputs, const LockWaitNotice& notice);

 private:
  bool prepare(const std::vector<std::string>& folders);
  bool replace();
  bool interrupted(size_t step);
  void rollBackAll();
  bool syncFolders(const std::vector<std::string>& folders);
  void finishUp(const std::vector<std::string>& folders);
  void removeKept(const ReplacementStep& step);
  void abandonAll();
  void note(CommitProblem::What what, const std::string& path, int error,
            const std::string& copy = {}) {
    problems_.push_back({path, error, what, copy});
  }

  FileSystem& fs_;
  std::vector<CommitProblem>& problems_;
  std::vector<PendingOutput*> outputs_;  // those with a step, in order
  std::vector<ReplacementStep> steps_;
  JournalFiles journal_;
};

bool OutputCommit::run(std::span<PendingOutput* const> outputs, const LockWaitNotice& notice) {
  std::vector<std::string> folders;
  for (PendingOutput* output : outputs) {
    if (output->kind_ == PendingOutput::Kind::kDirect) continue;
    ReplacementStep step;
    step.kind = output->kind_ == PendingOutput::Kind::kNew       ? ReplacementStep::Kind::kNew
                : output->kind_ == PendingOutput::Kind::kReplace ? ReplacementStep::Kind::kReplace
                                                                 : ReplacementStep::Kind::kInPlace;
    step.destination = output->destination_;
    step.temporary = output->temporary_;
    steps_.push_back(std::move(step));
    outputs_.push_back(output);
    folders.push_back(output->folder_);
  }
  if (steps_.empty()) return true;

  // Signals stay deliverable while the locks are awaited: Ctrl-C ends a run that waits.
  FolderLocks locks(fs_, notice);
  if (int error = locks.lock(folders)) {
    note(CommitProblem::What::kReplace, locks.failedFolder(), error);
    abandonAll();
    return false;
  }
  SignalsHeld held;
  std::vector<std::string> lockedFolders = locks.folders();
  if (!prepare(lockedFolders) || !replace() || !syncFolders(lockedFolders)) {
    rollBackAll();
    abandonAll();
    return false;
  }
  finishUp(lockedFolders);
  // A stop signal after the journal was marked complete can no longer undo anything: it
  // is taken, and said, rather than ending a run whose outputs are in place as failed.
  if (takeStopSignal()) note(CommitProblem::What::kInterruptedAfter, {}, EINTR);
  return true;
}

bool OutputCommit::prepare(const std::vector<std::string>& folders) {
  for (size_t i = 0; i < steps_.size(); ++i) {
    ReplacementStep& step = steps_[i];
    PendingOutput& output = *outputs_[i];
    struct stat fresh = {};
    int error = fs_.fileStatus(output.fd_, fresh);
    if (error == 0) step.fresh = FileIdentity::of(fresh);
    // The target as it is now, under the lock: another run may have replaced it, made it
    // or removed it since this one looked.
    struct stat now = {};
    int looked = error == 0 ? fs_.linkStatus(step.destination, now) : 0;
    if (looked == ENOENT) {
      step.kind = ReplacementStep::Kind::kNew;
    } else if (looked != 0) {
      error = looked;
    } else if (error == 0) {
      if (step.kind == ReplacementStep::Kind::kNew) step.kind = ReplacementStep::Kind::kReplace;
      step.earlier = FileIdentity::of(now);
      error = keepEarlier(fs_, step, now);
    }
    if (error != 0) {
      note(CommitProblem::What::kReplace, output.target(), error);
      return false;
    }
  }
  if (int error = journal_.write(folders, steps_)) {
    note(CommitProblem::What::kReplace, outputs_.front()->target(), error);
    return false;
  }
  // A full disk shows here, before any target has changed.
  for (size_t i = 0; i < steps_.size(); ++i) {
    if (steps_[i].kind != ReplacementStep::Kind::kInPlace) continue;
    if (int error = reserveInPlace(fs_, steps_[i])) {
      note(CommitProblem::What::kReplace, outputs_[i]->target(), error);
      return false;
    }
  }
  return true;
}

bool OutputCommit::replace() {
  for (size_t i = 0; i < steps_.size(); ++i) {
    if (interrupted(i)) return false;
    if (int error = applyStep(fs_, steps_[i])) {
      note(CommitProblem::What::kReplace, outputs_[i]->target(), error);
      return false;
    }
  }
  return true;
}

// A stop signal that came meanwhile undoes the replacement: a run ended by a signal leaves
// the earlier outputs.
bool OutputCommit::interrupted(size_t step) {
  if (!stopSignalPending()) return false;
  note(CommitProblem::What::kReplace, outputs_[step]->target(), EINTR);
  return true;
}

void OutputCommit::rollBackAll() {
  bool settled = true;
  for (size_t i = steps_.size(); i-- > 0;) {
    const ReplacementStep& step = steps_[i];
    int error = 0;
    switch (rollBack(fs_, step, error)) {
      case RollBack::kUndone:
      case RollBack::kUnchanged:
        removeKept(step);
        break;
      case RollBack::kTargetChanged:
        error = EEXIST;  // another file took the target's name meanwhile
        [[fallthrough]];
      case RollBack::kFailed:
        note(CommitProblem::What::kRestore, outputs_[i]->target(), error, step.kept);
        settled = false;
        break;
    }
  }
  // While a target lacks its earlier content the journal stays, for the next run to try.
  if (journal_.written() && settled) journal_.remove(problems_);
}

// The renames made durable; then the last moment a stop signal undoes the replacement.
bool OutputCommit::syncFolders(const std::vector<std::string>& folders) {
  for (const std::string& folder : folders) {
    if (int error = fs_.syncFolder(folder)) note(CommitProblem::What::kSync, folder, error);
  }
  return !interrupted(steps_.size() - 1);
}

void OutputCommit::finishUp(const std::vector<std::string>& folders) {
  // Once marked complete the journal can no longer undo the replacement, and removing it
  // is tidying. Neither marked nor removed, it will: the kept copies must then stay.
  int marked = journal_.markComplete();
  bool removed = journal_.remove(problems_);
  if (marked != 0 && removed) {
    for (const std::string& folder : folders) fs_.syncFolder(folder);
  }
  for (size_t i = 0; i < steps_.size(); ++i) {
    if (marked == 0 || removed) removeKept(steps_[i]);
    PendingOutput& output = *outputs_[i];
    output.committed_ = true;
    // A rewrite in place leaves its temporary file; a rename has used it.
    if (steps_[i].kind == ReplacementStep::Kind::kInPlace) {
      int error = fs_.remove(output.temporary_);
      if (error != 0) note(CommitProblem::What::kRemove, output.temporary_, error);
    }
    if (output.temporaries_ != nullptr) output.temporaries_->drop(output.temporary_);
    output.closeFile();
  }
}

void OutputCommit::removeKept(const ReplacementStep& step) {
  if (step.kept.empty()) return;
  int error = fs_.remove(step.kept);
  if (error != 0 && error != ENOENT) note(CommitProblem::What::kRemove, step.kept, error);
}

void OutputCommit::abandonAll() {
  for (PendingOutput* output : outputs_) output->abandon(problems_);
}

bool onlyNotes(const std::vector<CommitProblem>& problems) {
  for (const CommitProblem& problem : problems) {
    if (problem.what != CommitProblem::What::kInterruptedAfter) return false;
  }
  return true;
}

Finding findingOf(const CommitProblem& problem) {
  auto finding = [&](FindingCode code) {
    return Finding(code, SourcePlace()).withPath(problem.path);
  };
  std::string reason = std::strerror(problem.errorCode);
  switch (problem.what) {
    case CommitProblem::What::kReplace:
    case CommitProblem::What::kSync:
      return finding(FindingCode::kCannotWrite).with(reason);
    case CommitProblem::What::kRestore:
      return finding(FindingCode::kCannotRestore).with(reason).withPath(problem.copy);
    case CommitProblem::What::kRemove:
      return finding(FindingCode::kCannotRemoveTemporary).with(reason);
    case CommitProblem::What::kRecovered:
      return finding(FindingCode::kNoteRestoredFromCopy).withPath(problem.copy);
    case CommitProblem::What::kCopyLeft:
      return problem.errorCode == 0
                 ? finding(FindingCode::kNoteCopyLeft).withPath(problem.copy)
                 : finding(FindingCode::kNoteCopyNotRestored).withPath(problem.copy).with(reason);
    case CommitProblem::What::kUnknownCopy:
      return finding(FindingCode::kNoteUnknownCopy);
    case CommitProblem::What::kInterruptedAfter:
      break;
  }
  return Finding(FindingCode::kNoteInterruptedAfterReplacement, SourcePlace());
}

bool commitOutputs(std::span<PendingOutput* const> outputs, FileSystem& fs,
                   std::vector<CommitProblem>& problems, const LockWaitNotice& notice) {
  OutputCommit commit(fs, problems);
  return commit.run(outputs, notice);
}

}  // namespace rpgc
