// DescriptorStream: a ByteStream that writes to an open file descriptor through a
// FileSystem, in blocks of 64 KiB.
//
// The first failure is kept (errorCode) and every later write fails, so a caller may
// check once at the end.
#ifndef RPGC_IO_DESCRIPTOR_STREAM_H_
#define RPGC_IO_DESCRIPTOR_STREAM_H_

#include <cstddef>
#include <cstdint>
#include <vector>

#include "archive/byte_stream.h"

namespace rpgc {

class FileSystem;

class DescriptorStream : public ByteStream {
 public:
  DescriptorStream(FileSystem& fs, int fd) : fs_(&fs), fd_(fd) {}

  bool write(const void* data, int32_t n) override;
  bool writeItems(const void* data, int32_t size, int32_t count) override;

  /// Writes out what is buffered.
  bool flush();
  int errorCode() const { return error_; }

 private:
  static constexpr size_t kBlock = 1 << 16;

  FileSystem* fs_;
  int fd_;
  std::vector<uint8_t> buffer_;
  int error_ = 0;
};

}  // namespace rpgc

#endif  // RPGC_IO_DESCRIPTOR_STREAM_H_
