// PendingOutput: exclusive creation of a uniquely named temporary file, then rename.
#include "driver/pending_output.h"

#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <random>

namespace rpgc {

PendingOutput::PendingOutput(std::string target) : target_(std::move(target)) {
  // A folder in the target's place could not be replaced at the end; fail now, before
  // anything is written, so that neither output changes.
  std::error_code ignored;
  if (std::filesystem::is_directory(target_, ignored)) {
    error_ = EISDIR;
    return;
  }
  // An output that is a symbolic link is replaced where the link points, as writing
  // through the link would have done.
  destination_ = target_;
  if (std::filesystem::is_symlink(target_, ignored)) {
    std::filesystem::path resolved = std::filesystem::canonical(target_, ignored);
    if (!ignored) destination_ = resolved.string();
  }
  std::random_device entropy;
  std::mt19937_64 generator((uint64_t{entropy()} << 32) ^ entropy());
  for (int attempt = 0; attempt < 64; ++attempt) {
    char suffix[32];
    std::snprintf(suffix, sizeof suffix, ".%08llx.tmp",
                  static_cast<unsigned long long>(generator() & 0xFFFFFFFFull));
    temporary_ = destination_ + suffix;
    stream_.openNew(temporary_.c_str());
    created_ = stream_.isOpen();
    if (created_ || stream_.errorCode() != EEXIST) return;
  }
}

PendingOutput::~PendingOutput() {
  stream_.close();
  if (created_ && !committed_) std::remove(temporary_.c_str());
}

bool PendingOutput::close() {
  if (!stream_.isOpen()) return false;
  return stream_.close();
}

bool PendingOutput::commit() {
  errno = 0;
  if (std::rename(temporary_.c_str(), destination_.c_str()) != 0) {
    error_ = errno != 0 ? errno : EIO;
    return false;
  }
  committed_ = true;
  return true;
}

}  // namespace rpgc
