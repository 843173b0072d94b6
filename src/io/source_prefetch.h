// SourcePrefetch: reads the next source file on a second thread while the current one
// compiles, so that reading and cutting lines overlap with compiling.
//
// Only regular files are read ahead: reading a pipe or a device could block or never end,
// and the compiler must not read a file whose turn never comes (an earlier file failed).
// What a file holds is taken when its turn comes, with any failure, exactly as reading
// it then would have given.
#ifndef RPGC_IO_SOURCE_PREFETCH_H_
#define RPGC_IO_SOURCE_PREFETCH_H_

#include <cstdint>
#include <future>
#include <string>

#include "core/source_lines.h"
#include "io/line_reader.h"

namespace rpgc {

class SourcePrefetch {
 public:
  struct Read {
    SourceLines lines;
    bool ok = true;
    LineReadFailure failure;  // why not, when not ok
  };

  SourcePrefetch() = default;
  SourcePrefetch(const SourcePrefetch&) = delete;
  SourcePrefetch& operator=(const SourcePrefetch&) = delete;
  ~SourcePrefetch();

  /// Starts reading path in the background, when it names a regular file.
  void start(const std::string& path);
  /// The lines of path: from the background read when one was started for it, else read
  /// now. (An exception of the read, such as running out of memory, comes out here.)
  Read take(const std::string& path);

 private:
  static Read read(const std::string& path);

  std::string path_;
  std::future<Read> pending_;
};

}  // namespace rpgc

#endif  // RPGC_IO_SOURCE_PREFETCH_H_
