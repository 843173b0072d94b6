// readLines: the whole-file read, watching line lengths, then a split on line feeds.
#include "io/line_reader.h"

#include <sys/stat.h>

#include <algorithm>
#include <cerrno>
#include <cstring>
#include <optional>
#include <string>

#include "core/source_syntax.h"
#include "io/file_system.h"
#include "reader/whole_file.h"

namespace rpgc {

namespace {

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
        if (std::any_of(past, textEnd, [](char c) { return !isBlankByte(c); })) {
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

// An open descriptor read through a FileSystem.
class DescriptorFile : public ReadableFile {
 public:
  DescriptorFile(FileSystem& fs, int fd) : fs_(fs), fd_(fd) {}

  int measure(std::optional<uint64_t>& size) override {
    struct stat status = {};
    if (int error = fs_.fileStatus(fd_, status)) return error;
    if (S_ISDIR(status.st_mode)) return EISDIR;
    if (S_ISREG(status.st_mode) && status.st_size > 0) size = static_cast<uint64_t>(status.st_size);
    return 0;
  }
  int read(void* data, size_t n, size_t& got) override { return fs_.read(fd_, data, n, got); }

 private:
  FileSystem& fs_;
  int fd_;
};

// Follows line lengths through the watch, keeping the bytes unless only looking.
class WatchedContent : public BlockReceiver {
 public:
  WatchedContent(const LineLimits& limits, std::string* content)
      : watch_(limits.longestLine), content_(content) {}

  void expect(uint64_t size) override {
    if (content_ != nullptr) content_->reserve(static_cast<size_t>(size));
  }
  bool take(std::string_view block) override {
    if (!watch_.take(block.data(), block.size())) return false;
    if (content_ != nullptr) content_->append(block);
    return true;
  }
  const LineLengthWatch& watch() const { return watch_; }

 private:
  LineLengthWatch watch_;
  std::string* content_;
};

// Reads the open file through the watch, into content unless it is null; false with the
// reason in failure.
bool readThrough(ReadableFile& file, const LineLimits& limits, std::string* content,
                 LineReadFailure& failure) {
  WatchedContent receiver(limits, content);
  WholeFileStatus status = readBlocks(file, limits.largestFile, receiver);
  switch (status.outcome) {
    case WholeFileStatus::Outcome::kRead:
      return true;
    case WholeFileStatus::Outcome::kCannotRead:
      failure.errorCode = status.systemError;
      return false;
    case WholeFileStatus::Outcome::kTooLarge:
      failure.errorCode = EFBIG;
      return false;
    case WholeFileStatus::Outcome::kStopped:
      if (receiver.watch().line() >= SourceLines::kMostLines) {
        failure.errorCode = EFBIG;
      } else {
        failure.longLine = static_cast<int32_t>(receiver.watch().line());
      }
      return false;
  }
  return false;
}

bool readContent(const char* path, FileSystem& fs, const LineLimits& limits, std::string& content,
                 LineReadFailure& failure) {
  int fd = -1;
  if (int error = fs.openForReading(path, fd)) {
    failure.errorCode = error;
    return false;
  }
  DescriptorFile file(fs, fd);
  std::optional<uint64_t> size;
  bool ok = true;
  // Large enough to hold a line past the limit (and within the size limit, which the read
  // checks first): looked through first, keeping nothing.
  if (file.measure(size) == 0 && size && *size > limits.longestLine &&
      *size <= limits.largestFile) {
    ok = readThrough(file, limits, nullptr, failure);
    fs.close(fd);
    fd = -1;
    if (ok && (failure.errorCode = fs.openForReading(path, fd)) != 0) ok = false;
  }
  if (ok) {
    DescriptorFile again(fs, fd);
    ok = readThrough(again, limits, &content, failure);
  }
  if (fd >= 0) fs.close(fd);
  return ok;
}

}  // namespace

Finding readFailureFinding(const LineReadFailure& failure, FindingCode code,
                           const std::string& path) {
  if (failure.longLine >= 0) {
    return Finding(FindingCode::kLineTooLong, SourcePlace{-1, failure.longLine, -1, 0});
  }
  return Finding(code, SourcePlace()).with(path).with(std::strerror(failure.errorCode));
}

SourceLines splitLines(std::string_view content) {
  SourceLines lines;
  lines.assign(std::string(content));
  return lines;
}

bool readLines(const char* path, SourceLines& lines, LineReadFailure& failure, FileSystem& fs,
               LineLimits limits) {
  failure = {};
  // The lines' buffer is filled again: reading file after file into the same lines
  // allocates only when a file is larger than all before it.
  std::string content = lines.releaseBuffer();
  if (!readContent(path, fs, limits, content, failure)) {
    lines.clear();
    return false;
  }
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
