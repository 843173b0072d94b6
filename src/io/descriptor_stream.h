// DescriptorStream: a ByteStream that writes to an open file descriptor through a
// FileSystem, in blocks of 1 MiB.
//
// Every write call but the last of a file moves at least a block: small writes gather in
// the buffer until it is full, and a large one first fills the buffer and then, when the
// rest is a block or more, goes out as it is. The first failure is kept (errorCode) and
// every later write fails, so a caller may check once at the end.
#ifndef RPGC_IO_DESCRIPTOR_STREAM_H_
#define RPGC_IO_DESCRIPTOR_STREAM_H_

#include <cstddef>
#include <cstdint>
#include <memory>

#include "archive/byte_stream.h"

namespace rpgc {

class FileSystem;

class DescriptorStream : public ByteStream {
 public:
  static constexpr size_t kBlock = size_t{1} << 20;

  DescriptorStream(FileSystem& fs, int fd) : fs_(&fs), fd_(fd) {}

  bool write(const void* data, int32_t n) override;
  bool writeItems(const void* data, int32_t size, int32_t count) override;

  /// Writes out what is buffered.
  bool flush();
  int errorCode() const { return error_; }

 private:
  FileSystem* fs_;
  int fd_;
  std::unique_ptr<uint8_t[]> buffer_;  // made at the first write: kBlock bytes
  size_t buffered_ = 0;
  int error_ = 0;
};

}  // namespace rpgc

#endif  // RPGC_IO_DESCRIPTOR_STREAM_H_
