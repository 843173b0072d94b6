// PendingOutput: resolving the target, the temporary file, and the all-or-none commit.
#include "driver/pending_output.h"

#include <signal.h>
#include <unistd.h>

#include <algorithm>
#include <cerrno>
#include <cstdlib>

#include "archive/file_system.h"
#include "driver/temporary_files.h"

namespace rpgc {

namespace {

constexpr int kMostLinks = 40;
constexpr const char* kPrefix = ".rpgc-";

std::string folderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

// The temporary files of this process get numbers 0, 1, 2, ... in turn.
int nextNumber() {
  static int next = 0;
  return next++;
}

// Copies a whole file's bytes into an open descriptor and syncs it.
int copyInto(FileSystem& fs, const std::string& from, int toFd) {
  int fromFd = -1;
  if (int error = fs.openForReading(from, fromFd)) return error;
  std::vector<char> block(1 << 16);
  int error = 0;
  while (error == 0) {
    size_t got = 0;
    error = fs.read(fromFd, block.data(), block.size(), got);
    if (error != 0 || got == 0) break;
    error = fs.write(toFd, block.data(), got);
  }
  fs.close(fromFd);
  if (error == 0) error = fs.sync(toFd);
  return error;
}

// Writes the content of file `from` over the existing file `to`, in place.
int rewriteInPlace(FileSystem& fs, const std::string& from, const std::string& to) {
  int fd = -1;
  if (int error = fs.openForWriting(to, true, fd)) return error;
  int error = copyInto(fs, from, fd);
  int closed = fs.close(fd);
  return error != 0 ? error : closed;
}

// A copy of `from` in a new temporary file of its folder; its name in `copy`.
int keepCopy(FileSystem& fs, const std::string& from, const std::string& folder, std::string& copy,
             TemporaryFiles* temporaries) {
  int fd = -1;
  int error = 0;
  do {
    copy = temporaryName(folder, nextNumber(), ".old");
    error = fs.createExclusive(copy, fd);
  } while (error == EEXIST);
  if (error != 0) return error;
  if (temporaries != nullptr) temporaries->add(copy);
  error = copyInto(fs, from, fd);
  int closed = fs.close(fd);
  return error != 0 ? error : closed;
}

}  // namespace

std::string temporaryName(const std::string& folder, int n, const char* suffix) {
  return (folder == "." ? std::string() : folder + "/") + kPrefix +
         std::to_string(static_cast<long>(::getpid())) + "-" + std::to_string(n) + suffix;
}

void removeStaleTemporaries(const std::string& folder, FileSystem& fs) {
  std::vector<std::string> names;
  if (fs.listFolder(folder, names) != 0) return;
  for (const std::string& name : names) {
    if (!name.starts_with(kPrefix)) continue;
    if (!name.ends_with(".tmp") && !name.ends_with(".old")) continue;
    const char* digits = name.c_str() + std::char_traits<char>::length(kPrefix);
    char* end = nullptr;
    long pid = std::strtol(digits, &end, 10);
    if (end == digits || *end != '-' || pid <= 0) continue;
    // Only files of runs that are gone: a live run's files are its own business.
    if (::kill(static_cast<pid_t>(pid), 0) == 0 || errno != ESRCH) continue;
    fs.remove(folder == "." ? name : folder + "/" + name);
  }
}

PendingOutput::PendingOutput(std::string target, FileSystem& fs, TemporaryFiles* temporaries)
    : fs_(&fs), temporaries_(temporaries), target_(std::move(target)) {
  if (!resolve()) return;
  if (kind_ == Kind::kDirect) {
    error_ = fs_->openForWriting(destination_, true, fd_);
  } else {
    removeStaleTemporaries(folder_, *fs_);
    do {
      temporary_ = temporaryName(folder_, nextNumber(), ".tmp");
      error_ = fs_->createExclusive(temporary_, fd_);
    } while (error_ == EEXIST);
    if (error_ == 0 && temporaries_ != nullptr) temporaries_->add(temporary_);
    if (error_ == 0 && kind_ != Kind::kNew) error_ = fs_->copyOwnerAndMode(fd_, existing_);
  }
  if (fd_ >= 0) stream_ = std::make_unique<DescriptorStream>(*fs_, fd_);
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
  if (fd_ >= 0) fs_->close(fd_);
  if (!committed_) removeTemporary();
}

void PendingOutput::removeTemporary() {
  if (temporary_.empty()) return;
  fs_->remove(temporary_);
  if (temporaries_ != nullptr) temporaries_->drop(temporary_);
  temporary_.clear();
}

ByteStream& PendingOutput::stream() {
  if (stream_ != nullptr) return *stream_;
  return failedStream_;
}

int PendingOutput::errorCode() const {
  if (error_ != 0) return error_;
  if (stream_ != nullptr && stream_->errorCode() != 0) return stream_->errorCode();
  return fd_ < 0 && stream_ == nullptr ? EIO : 0;
}

bool PendingOutput::finish() {
  if (error_ != 0 || stream_ == nullptr) return false;
  bool ok = stream_->flush();
  if (ok && kind_ != Kind::kDirect) {
    // The data must be on disk before the rename makes it the target.
    error_ = fs_->sync(fd_);
    ok = error_ == 0;
  }
  int closed = fs_->close(fd_);
  fd_ = -1;
  if (ok && closed != 0) {
    error_ = closed;
    ok = false;
  }
  return ok;
}

// One commit: what each replacement did, so that it can be undone.
class OutputCommit {
 public:
  OutputCommit(FileSystem& fs, std::vector<CommitProblem>& problems)
      : fs_(fs), problems_(problems) {}

  bool run(std::span<PendingOutput* const> outputs);

 private:
  struct Step {
    PendingOutput* output;
    std::string kept;  // the old content's second name, when there was one
  };

  int replace(PendingOutput& output, Step& step);
  void undo(const Step& step);
  void removeKept(Step& step);
  void note(CommitProblem::What what, const std::string& path, int error) {
    problems_.push_back({path, error, what});
  }

  FileSystem& fs_;
  std::vector<CommitProblem>& problems_;
  std::vector<Step> done_;
};

int OutputCommit::replace(PendingOutput& output, Step& step) {
  TemporaryFiles* temporaries = output.temporaries_;
  switch (output.kind_) {
    case PendingOutput::Kind::kDirect:
      return 0;
    case PendingOutput::Kind::kNew:
      return fs_.rename(output.temporary_, output.destination_);
    case PendingOutput::Kind::kReplace: {
      // The old file stays reachable under a second name until the commit is over.
      int n = nextNumber();
      step.kept = temporaryName(output.folder_, n, ".old");
      if (temporaries != nullptr) temporaries->add(step.kept);
      int error = fs_.link(output.destination_, step.kept);
      if (error != 0) {
        if (temporaries != nullptr) temporaries->drop(step.kept);
        step.kept.clear();
        if ((error = keepCopy(fs_, output.destination_, output.folder_, step.kept, temporaries)) !=
            0) {
          return error;
        }
      }
      return fs_.rename(output.temporary_, output.destination_);
    }
    case PendingOutput::Kind::kInPlace: {
      if (int error = keepCopy(fs_, output.destination_, output.folder_, step.kept, temporaries)) {
        return error;
      }
      return rewriteInPlace(fs_, output.temporary_, output.destination_);
    }
  }
  return 0;
}

void OutputCommit::undo(const Step& step) {
  PendingOutput& output = *step.output;
  int error = 0;
  switch (output.kind_) {
    case PendingOutput::Kind::kDirect:
      return;
    case PendingOutput::Kind::kNew:
      error = fs_.remove(output.destination_);
      break;
    case PendingOutput::Kind::kReplace:
      error = fs_.rename(step.kept, output.destination_);
      break;
    case PendingOutput::Kind::kInPlace:
      error = rewriteInPlace(fs_, step.kept, output.destination_);
      break;
  }
  if (error != 0) note(CommitProblem::What::kRestore, output.target(), error);
}

void OutputCommit::removeKept(Step& step) {
  if (step.kept.empty()) return;
  int error = fs_.remove(step.kept);
  if (error != 0 && error != ENOENT) note(CommitProblem::What::kRemove, step.kept, error);
  if (step.output->temporaries_ != nullptr) step.output->temporaries_->drop(step.kept);
  step.kept.clear();
}

bool OutputCommit::run(std::span<PendingOutput* const> outputs) {
  std::vector<std::string> folders;
  for (PendingOutput* output : outputs) {
    if (output->kind_ != PendingOutput::Kind::kDirect) folders.push_back(output->folder_);
  }
  std::sort(folders.begin(), folders.end());
  folders.erase(std::unique(folders.begin(), folders.end()), folders.end());
  std::vector<int> locks;
  for (const std::string& folder : folders) {
    int fd = -1;
    if (int error = fs_.lockFolder(folder, fd)) {
      note(CommitProblem::What::kReplace, folder, error);
      for (int lock : locks) fs_.unlockFolder(lock);
      return false;
    }
    locks.push_back(fd);
  }

  bool ok = true;
  for (PendingOutput* output : outputs) {
    Step step{output, {}};
    int error = replace(*output, step);
    if (error != 0) {
      note(CommitProblem::What::kReplace, output->target(), error);
      // A half-made step only kept a copy: nothing of the target changed.
      removeKept(step);
      ok = false;
      break;
    }
    done_.push_back(std::move(step));
  }
  if (!ok) {
    for (auto step = done_.rbegin(); step != done_.rend(); ++step) undo(*step);
  } else {
    for (const std::string& folder : folders) {
      if (int error = fs_.syncFolder(folder)) note(CommitProblem::What::kSync, folder, error);
    }
  }
  for (Step& step : done_) {
    removeKept(step);
    if (ok) {
      step.output->committed_ = true;
      // In-place rewrites leave their temporary file, renames have used theirs.
      if (step.output->kind_ == PendingOutput::Kind::kInPlace) {
        int error = fs_.remove(step.output->temporary_);
        if (error != 0) note(CommitProblem::What::kRemove, step.output->temporary_, error);
      }
      if (step.output->temporaries_ != nullptr) {
        step.output->temporaries_->drop(step.output->temporary_);
      }
    }
  }
  for (int lock : locks) fs_.unlockFolder(lock);
  return ok;
}

bool commitOutputs(std::span<PendingOutput* const> outputs, FileSystem& fs,
                   std::vector<CommitProblem>& problems) {
  SignalsHeld held;
  OutputCommit commit(fs, problems);
  return commit.run(outputs);
}

}  // namespace rpgc
