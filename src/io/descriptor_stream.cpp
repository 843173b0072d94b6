// DescriptorStream: small writes gather in the buffer; large ones go straight through.
#include "io/descriptor_stream.h"

#include <cerrno>

#include "io/file_system.h"

namespace rpgc {

bool DescriptorStream::flush() {
  if (error_ != 0) return false;
  if (buffer_.empty()) return true;
  error_ = fs_->write(fd_, buffer_.data(), buffer_.size());
  buffer_.clear();
  return error_ == 0;
}

bool DescriptorStream::write(const void* data, int32_t n) {
  if (error_ != 0 || n < 0) return false;
  const auto* bytes = static_cast<const uint8_t*>(data);
  size_t count = static_cast<size_t>(n);
  if (buffer_.size() + count > kBlock) {
    if (!flush()) return false;
    if (count >= kBlock) {
      error_ = fs_->write(fd_, bytes, count);
      return error_ == 0;
    }
  }
  buffer_.insert(buffer_.end(), bytes, bytes + count);
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
