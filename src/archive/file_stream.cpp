// FileStream: stdio-backed stream with all-or-nothing transfers.
#include "archive/file_stream.h"

#include <cerrno>
#include <climits>

namespace rpgc {

FileStream::~FileStream() {
  close();
}

void FileStream::noteError() {
  if (error_ == 0) error_ = errno != 0 ? errno : EIO;
}

void FileStream::openMode(const char* path, const char* mode, bool forWriting) {
  close();
  errno = 0;
  file_ = std::fopen(path, mode);
  writable_ = forWriting;
  owns_ = true;
  error_ = 0;
  if (file_ == nullptr) noteError();
}

void FileStream::open(const char* path, bool forWriting) {
  openMode(path, forWriting ? "wb" : "rb", forWriting);
}

void FileStream::openNew(const char* path) {
  openMode(path, "wbx", true);
}

bool FileStream::close() {
  bool ok = true;
  if (owns_ && file_ != nullptr) {
    errno = 0;
    if (std::fclose(file_) != 0) {
      noteError();
      ok = false;
    }
  }
  file_ = nullptr;
  owns_ = false;
  writable_ = false;
  return ok;
}

bool FileStream::write(const void* data, int32_t n) {
  if (file_ == nullptr || !writable_ || n < 0) return false;
  errno = 0;
  if (std::fwrite(data, 1, static_cast<size_t>(n), file_) == static_cast<size_t>(n)) return true;
  noteError();
  return false;
}

bool FileStream::read(void* data, int32_t n) {
  if (file_ == nullptr || writable_ || n < 0) return false;
  errno = 0;
  if (std::fread(data, 1, static_cast<size_t>(n), file_) == static_cast<size_t>(n)) return true;
  if (std::ferror(file_)) noteError();
  return false;
}

// A file has no notion of write calls: the pieces go out as one block.
bool FileStream::writeItems(const void* data, int32_t size, int32_t count) {
  int32_t total = itemBytes(size, count);
  return total >= 0 && write(data, total);
}

bool FileStream::seek(int32_t position) {
  if (file_ == nullptr) return false;
  return std::fseek(file_, position, SEEK_SET) == 0;
}

int32_t FileStream::tell() {
  if (file_ == nullptr) return 0;
  long position = std::ftell(file_);
  return position < 0 || position > INT32_MAX ? -1 : static_cast<int32_t>(position);
}

int32_t FileStream::size() {
  if (file_ == nullptr) return 0;
  int32_t position = tell();
  if (std::fseek(file_, 0, SEEK_END) != 0) return 0;
  long end = std::ftell(file_);
  seek(position);
  return end < 0 || end > INT32_MAX ? -1 : static_cast<int32_t>(end);
}

}  // namespace rpgc
