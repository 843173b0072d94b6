// recoverLeftovers: journals rolled back, then kept copies and temporary files cleared.
#include "io/leftover_files.h"

#include <algorithm>
#include <cerrno>
#include <set>

#include "io/commit_journal.h"
#include "io/file_system.h"
#include "io/stop_signals.h"
#include "io/temporary_names.h"

namespace rpgc {

namespace {

class LeftoverRecovery {
 public:
  LeftoverRecovery(const std::string& folder, FileSystem& fs, const LockWaitNotice& notice,
                   std::vector<CommitProblem>& notes)
      : folder_(folder), fs_(fs), locks_(fs, notice), notes_(notes) {}

  bool run();

 private:
  void list();
  std::vector<std::string> namesOf(TemporaryKind kind);
  bool settleJournal(const std::string& path);
  void rollBackJournal(const CommitJournal& journal);
  void removeIfEnded(const std::string& path);

  const std::string& folder_;
  FileSystem& fs_;
  FolderLocks locks_;
  std::vector<CommitProblem>& notes_;
  std::vector<std::string> names_;   // the folder's entries
  std::set<std::string> keptNames_;  // kept copies a remaining journal needs
  bool journalUnread_ = false;
  bool changed_ = false;
};

// The paths of the folder's entries of each kind, in name order.
std::vector<std::string> LeftoverRecovery::namesOf(TemporaryKind kind) {
  std::vector<std::string> paths;
  for (const std::string& name : names_) {
    if (temporaryKindOf(name) == kind) paths.push_back(pathIn(folder_, name));
  }
  return paths;
}

void LeftoverRecovery::list() {
  names_.clear();
  if (fs_.listFolder(folder_, names_) != 0) names_.clear();
  std::sort(names_.begin(), names_.end());
}

bool LeftoverRecovery::run() {
  if (locks_.lock({folder_}) != 0) return false;
  list();
  if (locks_.reliable()) {
    std::vector<std::string> journals = namesOf(TemporaryKind::kJournal);
    for (const std::string& journal : journals) {
      if (!settleJournal(journal)) return changed_;
    }
    if (!journals.empty()) list();
    for (const std::string& kept : namesOf(TemporaryKind::kKept)) {
      if (journalUnread_ || keptNames_.contains(fileNameOf(kept))) continue;
      fs_.remove(kept);
    }
    for (const std::string& copy : namesOf(TemporaryKind::kUnknownKept)) {
      notes_.push_back({copy, 0, CommitProblem::What::kUnknownCopy, {}});
    }
  }
  for (const std::string& temporary : namesOf(TemporaryKind::kContent)) removeIfEnded(temporary);
  return changed_;
}

// False when the folder's own lock was lost on the way.
bool LeftoverRecovery::settleJournal(const std::string& path) {
  CommitJournal journal;
  switch (readJournal(fs_, path, journal)) {
    case JournalRead::kRead:
      break;
    case JournalRead::kPartial:
      fs_.remove(path);
      return true;
    case JournalRead::kUnreadable:
      journalUnread_ = true;
      return true;
  }
  // Every folder the journal touches is locked before anything in it changes: another run
  // may be settling the same journal from another of its folders.
  std::vector<std::string> folders{folder_};
  for (const ReplacementStep& step : journal.steps) {
    folders.push_back(folderOf(step.destination));
    if (!step.kept.empty()) folders.push_back(folderOf(step.kept));
  }
  for (const std::string& copy : journal.copies) folders.push_back(folderOf(copy));
  bool held = std::all_of(folders.begin(), folders.end(),
                          [&](const std::string& folder) { return locks_.holds(folder); });
  if (!held) {
    if (locks_.lock(folders) != 0 || !locks_.reliable()) {
      // A folder it names is gone or cannot be locked: the journal stays for a later run.
      for (const ReplacementStep& step : journal.steps) keptNames_.insert(fileNameOf(step.kept));
      return locks_.lock({folder_}) == 0;
    }
    // Settled meanwhile by another run, or not.
    if (readJournal(fs_, path, journal) != JournalRead::kRead) return true;
  }
  if (journal.complete) {
    for (const ReplacementStep& step : journal.steps) {
      if (!step.kept.empty()) fs_.remove(step.kept);
    }
    for (const std::string& copy : journal.copies) fs_.remove(copy);
    return true;
  }
  rollBackJournal(journal);
  return true;
}

void LeftoverRecovery::rollBackJournal(const CommitJournal& journal) {
  SignalsHeld held;
  bool settled = true;
  for (auto step = journal.steps.rbegin(); step != journal.steps.rend(); ++step) {
    int error = 0;
    switch (rollBack(fs_, *step, error)) {
      case RollBack::kUndone:
        changed_ = true;
        if (step->kind != ReplacementStep::Kind::kNew) {
          notes_.push_back({step->destination, 0, CommitProblem::What::kRecovered, step->kept});
        }
        [[fallthrough]];
      case RollBack::kUnchanged:
        if (!step->kept.empty()) fs_.remove(step->kept);
        break;
      case RollBack::kTargetChanged:
      case RollBack::kFailed:
        notes_.push_back({step->destination, error, CommitProblem::What::kCopyLeft, step->kept});
        keptNames_.insert(fileNameOf(step->kept));
        settled = false;
        break;
    }
  }
  if (!settled) return;
  for (const std::string& copy : journal.copies) fs_.remove(copy);
  for (const std::string& folder : locks_.folders()) fs_.syncFolder(folder);
}

void LeftoverRecovery::removeIfEnded(const std::string& path) {
  int fd = -1;
  if (fs_.openEntry(path, fd) != 0) return;
  // Holding the lock, this run is the only one that may still use the file; the name must
  // still be the file locked (its run may have just made it, or another run removed it).
  struct stat opened = {};
  struct stat named = {};
  if (fs_.lock(fd, false) == 0 && fs_.fileStatus(fd, opened) == 0 &&
      fs_.linkStatus(path, named) == 0 && FileIdentity::of(opened) == FileIdentity::of(named)) {
    fs_.remove(path);
  }
  fs_.close(fd);
}

}  // namespace

bool recoverLeftovers(const std::string& folder, FileSystem& fs, const LockWaitNotice& notice,
                      std::vector<CommitProblem>& notes) {
  LeftoverRecovery recovery(folder, fs, notice, notes);
  return recovery.run();
}

}  // namespace rpgc
