// loadWholeFile: one read loop, and a file of the standard library behind it.
#include "reader/whole_file.h"

#include <algorithm>
#include <cerrno>
#include <cstdio>
#include <filesystem>
#include <memory>
#include <system_error>

namespace rpgc {

namespace {

constexpr size_t kBlock = 1 << 16;

// A std::FILE opened by path. Whether it is a folder or a regular file, and its size,
// come from its path: the standard library gives no status of an open file.
class StandardFile : public ReadableFile {
 public:
  explicit StandardFile(const std::string& path) : path_(path) {
    errno = 0;
    file_ = std::fopen(path.c_str(), "rb");
    openError_ = file_ != nullptr ? 0 : errno != 0 ? errno : ENOENT;
  }
  ~StandardFile() override {
    if (file_ != nullptr) std::fclose(file_);
  }
  StandardFile(const StandardFile&) = delete;
  StandardFile& operator=(const StandardFile&) = delete;

  int measure(std::optional<uint64_t>& size) override {
    if (openError_ != 0) return openError_;
    std::error_code error;
    std::filesystem::file_status status = std::filesystem::status(path_, error);
    if (error) return 0;  // the read says what is wrong, if anything
    if (std::filesystem::is_directory(status)) return EISDIR;
    if (!std::filesystem::is_regular_file(status)) return 0;
    uintmax_t bytes = std::filesystem::file_size(path_, error);
    if (!error && bytes > 0) size = static_cast<uint64_t>(bytes);
    return 0;
  }
  int read(void* data, size_t n, size_t& got) override {
    errno = 0;
    got = std::fread(data, 1, n, file_);
    if (got == 0 && std::ferror(file_) != 0) return errno != 0 ? errno : EIO;
    return 0;
  }

 private:
  std::string path_;
  std::FILE* file_ = nullptr;
  int openError_ = 0;
};

class ByteVector : public BlockReceiver {
 public:
  explicit ByteVector(std::vector<uint8_t>& bytes) : bytes_(bytes) {}
  void expect(uint64_t size) override {
    if (size <= SIZE_MAX) bytes_.reserve(static_cast<size_t>(size));
  }
  bool take(std::string_view block) override {
    bytes_.insert(bytes_.end(), block.begin(), block.end());
    return true;
  }

 private:
  std::vector<uint8_t>& bytes_;
};

WholeFileStatus failed(WholeFileStatus::Outcome outcome, int systemError = 0) {
  return {outcome, systemError};
}

}  // namespace

WholeFileStatus readBlocks(ReadableFile& file, uint64_t limit, BlockReceiver& receiver) {
  using Outcome = WholeFileStatus::Outcome;
  std::optional<uint64_t> size;
  if (int error = file.measure(size)) return failed(Outcome::kCannotRead, error);
  if (size && *size > limit) return failed(Outcome::kTooLarge);
  if (size) receiver.expect(*size);
  auto block = std::make_unique_for_overwrite<char[]>(kBlock);
  uint64_t total = 0;
  while (true) {
    // No more than one byte past the limit is ever read: a pipe may never end.
    auto want = static_cast<size_t>(std::min<uint64_t>(kBlock - 1, limit - total) + 1);
    size_t got = 0;
    if (int error = file.read(block.get(), want, got)) return failed(Outcome::kCannotRead, error);
    if (got == 0) return {};
    total += got;
    if (total > limit) return failed(Outcome::kTooLarge);
    if (!receiver.take(std::string_view(block.get(), got))) return failed(Outcome::kStopped);
  }
}

WholeFileStatus loadWholeFile(const std::string& path, std::vector<uint8_t>& bytes,
                              uint64_t limit) {
  bytes.clear();
  StandardFile file(path);
  ByteVector receiver(bytes);
  WholeFileStatus status = readBlocks(file, limit, receiver);
  if (!status.ok()) std::vector<uint8_t>().swap(bytes);
  return status;
}

}  // namespace rpgc
