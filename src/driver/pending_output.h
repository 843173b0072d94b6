// PendingOutput: an output file written beside its target and moved into place only
// when the whole run succeeded.
//
// The data goes to a new temporary file in the target's folder; commit() renames it
// over the target, and a PendingOutput that was not committed removes its temporary
// file. A failed run therefore never creates, empties or changes an output file.
#ifndef RPGC_DRIVER_PENDING_OUTPUT_H_
#define RPGC_DRIVER_PENDING_OUTPUT_H_

#include <string>

#include "archive/file_stream.h"

namespace rpgc {

class PendingOutput {
 public:
  /// Opens a new temporary file for target. Check stream().isOpen() or errorCode().
  explicit PendingOutput(std::string target);
  PendingOutput(const PendingOutput&) = delete;
  PendingOutput& operator=(const PendingOutput&) = delete;
  ~PendingOutput();

  FileStream& stream() { return stream_; }
  const std::string& target() const { return target_; }

  /// Closes the temporary file, flushing it; false (errorCode set) when that fails.
  bool close();
  /// Renames the closed temporary file over the target.
  bool commit();
  /// errno of the first failure.
  int errorCode() const { return error_ != 0 ? error_ : stream_.errorCode(); }

 private:
  std::string target_;       // as named, for messages
  std::string destination_;  // the file replaced: the target, or where its link points
  std::string temporary_;
  FileStream stream_;
  bool created_ = false;
  bool committed_ = false;
  int error_ = 0;
};

}  // namespace rpgc

#endif  // RPGC_DRIVER_PENDING_OUTPUT_H_
