// readLines: a read in blocks that watches line lengths, then a split on line feeds.
#include "io/line_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <memory>
#include <string>

#include "io/file_system.h"

namespace rpgc {

namespace {

constexpr size_t kBlock = 1 << 16;
constexpr std::string_view kByteOrderMark = "\xEF\xBB\xBF";

// Follows the lengths of lines as their bytes come, by the rules of SourceLines: a line's
// text ends at its first zero byte and leaves out trailing bytes 0x01 to 0x20, so a line
// passes the limit when a byte above 0x20 lies limit bytes or more past its start, before
// any zero byte. Only line feeds and zero bytes are searched for; the bytes past the limit
// are looked at only in a line that long.
class LineLengthWatch {
 public:
  explicit LineLengthWatch(size_t longest) : longest_(longest) {}

  /// Takes the next bytes; false as soon as a line passes the limit.
  bool take(const char* bytes, size_t n) {
    if (taken_ == 0 && std::string_view(bytes, n).starts_with(kByteOrderMark)) {
      lineStart_ = kByteOrderMark.size();
    }
    const char* end = bytes + n;
    for (const char* at = bytes; at < end;) {
      const char* feed = find(at, end, '\n');
      const char* lineEnd = feed != nullptr ? feed : end;
      if (!cut_) {
        const char* zero = find(at, lineEnd, '\0');
        cut_ = zero != nullptr;
        const char* textEnd = cut_ ? zero : lineEnd;
        uint64_t atOffset = offsetOf(bytes, at);
        uint64_t limitAt = lineStart_ + longest_;
        const char* past = at + std::min(limitAt > atOffset ? limitAt - atOffset : 0,
                                         static_cast<uint64_t>(textEnd - at));
        if (std::any_of(past, textEnd,
                        [](char c) { return static_cast<unsigned char>(c) > 0x20; })) {
          return false;
        }
      }
      if (feed == nullptr) break;
      ++line_;
      lineStart_ = offsetOf(bytes, feed + 1);
      cut_ = false;
      at = feed + 1;
    }
    taken_ += n;
    return true;
  }
  uint64_t line() const { return line_; }

 private:
  static const char* find(const char* from, const char* to, char c) {
    return static_cast<const char*>(std::memchr(from, c, static_cast<size_t>(to - from)));
  }
  uint64_t offsetOf(const char* bytes, const char* at) const {
    return taken_ + static_cast<uint64_t>(at - bytes);
  }

  size_t longest_;
  uint64_t taken_ = 0;
  uint64_t lineStart_ = 0;
  uint64_t line_ = 0;
  bool cut_ = false;  // a zero byte has ended the current line's text
};

// Reads what is left of fd through the watch, appending it to content unless keep is
// false; false with the reason in failure.
bool readThrough(FileSystem& fs, int fd, const LineLimits& limits, bool keep, std::string& content,
                 LineReadFailure& failure) {
  LineLengthWatch watch(limits.longestLine);
  auto block = std::make_unique_for_overwrite<char[]>(kBlock);
  uint64_t total = 0;
  while (true) {
    // No more than one byte past the limit is ever read: a pipe may never end.
    size_t want = static_cast<size_t>(std::min<uint64_t>(kBlock, limits.largestFile + 1 - total));
    size_t got = 0;
    if (int error = fs.read(fd, block.get(), want, got)) {
      failure.errorCode = error;
      return false;
    }
    if (got == 0) return true;
    total += got;
    if (total > limits.largestFile) {
      failure.errorCode = EFBIG;
      return false;
    }
    if (!watch.take(block.get(), got)) {
      if (watch.line() >= SourceLines::kMostLines) {
        failure.errorCode = EFBIG;
      } else {
        failure.longLine = static_cast<int32_t>(watch.line());
      }
      return false;
    }
    if (keep) content.append(block.get(), got);
  }
}

bool readContent(const char* path, FileSystem& fs, const LineLimits& limits, std::string& content,
                 LineReadFailure& failure) {
  int fd = -1;
  if (int error = fs.openForReading(path, fd)) {
    failure.errorCode = error;
    return false;
  }
  struct stat status = {};
  int error = fs.fileStatus(fd, status);
  uint64_t size = error == 0 && S_ISREG(status.st_mode) && status.st_size > 0
                      ? static_cast<uint64_t>(status.st_size)
                      : 0;
  if (error == 0 && S_ISDIR(status.st_mode)) error = EISDIR;
  if (error == 0 && size > limits.largestFile) error = EFBIG;
  bool ok = error == 0;
  if (!ok) failure.errorCode = error;
  // Large enough to hold a line past the limit: looked through first, keeping nothing.
  if (ok && size > limits.longestLine) {
    ok = readThrough(fs, fd, limits, false, content, failure);
    fs.close(fd);
    fd = -1;
    if (ok && (error = fs.openForReading(path, fd)) != 0) {
      failure.errorCode = error;
      ok = false;
    }
  }
  if (ok) {
    content.reserve(static_cast<size_t>(size));
    ok = readThrough(fs, fd, limits, true, content, failure);
  }
  if (fd >= 0) fs.close(fd);
  return ok;
}

}  // namespace

SourceLines splitLines(std::string_view content) {
  SourceLines lines;
  lines.assign(std::string(content));
  return lines;
}

bool readLines(const char* path, SourceLines& lines, LineReadFailure& failure, FileSystem& fs,
               LineLimits limits) {
  lines.clear();
  failure = {};
  std::string content;
  if (!readContent(path, fs, limits, content, failure)) return false;
  if (!lines.assign(std::move(content))) {
    failure.errorCode = EFBIG;
    return false;
  }
  return true;
}

bool readLines(const char* path, SourceLines& lines, int* errorCode) {
  LineReadFailure failure;
  if (readLines(path, lines, failure, FileSystem::real())) return true;
  if (errorCode != nullptr) *errorCode = failure.errorCode != 0 ? failure.errorCode : EFBIG;
  return false;
}

SourceLines readLines(const char* path) {
  SourceLines lines;
  readLines(path, lines);
  return lines;
}

}  // namespace rpgc
