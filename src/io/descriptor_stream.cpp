// DescriptorStream: whole blocks out, the rest kept for the next write.
#include "io/descriptor_stream.h"

#include <algorithm>
#include <cerrno>
#include <cstring>

#include "io/file_system.h"

namespace rpgc {

bool DescriptorStream::flush() {
  if (error_ != 0) return false;
  if (buffered_ == 0) return true;
  error_ = fs_->write(fd_, buffer_.get(), buffered_);
  buffered_ = 0;
  return error_ == 0;
}

bool DescriptorStream::write(const void* data, int32_t n) {
  if (error_ != 0 || n < 0) return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  auto count = static_cast<size_t>(n);
  if (buffer_ == nullptr) buffer_ = std::make_unique_for_overwrite<uint8_t[]>(kBlock);
  // The buffer is topped up first, so that the file gets whole blocks.
  size_t taken = std::min(count, kBlock - buffered_);
  if (taken > 0) std::memcpy(buffer_.get() + buffered_, bytes, taken);
  buffered_ += taken;
  bytes += taken;
  count -= taken;
  if (buffered_ < kBlock) return true;
  if (!flush()) return false;
  if (count >= kBlock) {
    error_ = fs_->write(fd_, bytes, count);
    return error_ == 0;
  }
  if (count > 0) std::memcpy(buffer_.get(), bytes, count);
  buffered_ = count;
  return true;
}

// A file has no notion of write calls: the pieces go out as one block.
bool DescriptorStream::writeItems(const void* data, int32_t size, int32_t count) {
  int32_t total = itemBytes(size, count);
  if (total < 0) {
    if (error_ == 0) error_ = EFBIG;
    return false;
  }
  return write(data, total);
}

}  // namespace rpgc
