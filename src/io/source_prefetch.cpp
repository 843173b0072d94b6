// SourcePrefetch: one std::async read at a time.
#include "io/source_prefetch.h"

#include <sys/stat.h>

#include "io/file_system.h"
#include "io/line_reader.h"

namespace rpgc {

SourcePrefetch::~SourcePrefetch() {
  if (pending_.valid()) pending_.wait();
}

SourcePrefetch::Read SourcePrefetch::read(const std::string& path) {
  Read result;
  result.ok =
      path.empty() || readLines(path.c_str(), result.lines, result.failure, FileSystem::real());
  return result;
}

void SourcePrefetch::start(const std::string& path) {
  if (pending_.valid()) pending_.wait();
  pending_ = {};
  path_.clear();
  struct stat status = {};
  if (path.empty() || ::stat(path.c_str(), &status) != 0 || !S_ISREG(status.st_mode)) return;
  path_ = path;
  pending_ = std::async(std::launch::async, &SourcePrefetch::read, path);
}

SourcePrefetch::Read SourcePrefetch::take(const std::string& path) {
  if (pending_.valid() && path == path_) {
    path_.clear();
    return pending_.get();
  }
  return read(path);
}

}  // namespace rpgc
