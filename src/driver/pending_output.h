// PendingOutput and commitOutputs: output files written beside their targets and put in
// place together, only when the whole run succeeded.
//
// Each output is written to a new temporary file with a short name in its target's
// folder (".rpgc-PID-N.tmp"), synced to disk and closed. commitOutputs then replaces
// every target at once, under a lock on the targets' folders so that two runs never mix
// their files: an existing target is first kept under a second name, the temporary file
// is renamed over it, and if any replacement fails the earlier ones are undone from what
// was kept. The folders are synced last, so a completed run survives a power loss.
//
// What a target is: a symbolic link is followed to the file it names (which is created
// when missing); a target that is a device or a pipe is written to directly; a file with
// several hard links is rewritten in place, keeping its links, as editors do; a new
// file keeps the permission bits and owner of the file it replaces. Temporary files
// whose run has ended without removing them (killed) are removed by the next run that
// writes to the same folder.
#ifndef RPGC_DRIVER_PENDING_OUTPUT_H_
#define RPGC_DRIVER_PENDING_OUTPUT_H_

#include <sys/stat.h>

#include <memory>
#include <span>
#include <string>
#include <vector>

#include "archive/descriptor_stream.h"

namespace rpgc {

class FileSystem;
class TemporaryFiles;

class PendingOutput {
 public:
  /// Prepares the output for target. Check ready(), else errorCode().
  explicit PendingOutput(std::string target, FileSystem& fs, TemporaryFiles* temporaries);
  PendingOutput(const PendingOutput&) = delete;
  PendingOutput& operator=(const PendingOutput&) = delete;
  ~PendingOutput();

  bool ready() const { return stream_ != nullptr && error_ == 0; }
  ByteStream& stream();
  const std::string& target() const { return target_; }
  /// errno of the first failure.
  int errorCode() const;

  /// Writes out, syncs and closes the file; false (errorCode set) when that fails.
  bool finish();

 private:
  friend class OutputCommit;
  enum class Kind { kNew, kReplace, kInPlace, kDirect };

  bool resolve();
  void removeTemporary();

  FileSystem* fs_;
  TemporaryFiles* temporaries_;
  std::string target_;       // as named, for messages
  std::string destination_;  // the file replaced: the target, or where its links lead
  std::string folder_;
  std::string temporary_;
  struct stat existing_ = {};
  Kind kind_ = Kind::kNew;
  int fd_ = -1;
  std::unique_ptr<DescriptorStream> stream_;
  ByteStream failedStream_;  // every write fails when the file could not be made
  bool committed_ = false;
  int error_ = 0;
};

/// What went wrong while putting the outputs in place.
struct CommitProblem {
  std::string path;
  int errorCode = 0;
  enum class What { kReplace, kRestore, kRemove, kSync } what = What::kReplace;
};

/// Puts every finished output in place, all or none; problems lists the failure that
/// stopped it (first) and any clean-up that failed. True when every target now holds its
/// new content, even if clean-up failed.
bool commitOutputs(std::span<PendingOutput* const> outputs, FileSystem& fs,
                   std::vector<CommitProblem>& problems);

/// The name of the n-th temporary file of this process in folder.
std::string temporaryName(const std::string& folder, int n, const char* suffix);

/// Removes temporary files in folder left by runs that have ended (killed).
void removeStaleTemporaries(const std::string& folder, FileSystem& fs);

}  // namespace rpgc

#endif  // RPGC_DRIVER_PENDING_OUTPUT_H_
