// FileStream: a ByteStream over a file of the standard library, for reading or writing.
//
// A failed open leaves a stream whose every transfer fails; the operating system's
// reason for the first failure is kept (errorCode) so that the driver can name it.
#ifndef RPGC_ARCHIVE_FILE_STREAM_H_
#define RPGC_ARCHIVE_FILE_STREAM_H_

#include <cstdio>

#include "archive/byte_source.h"
#include "archive/byte_stream.h"

namespace rpgc {

class FileStream : public ByteStream, public ByteSource {
 public:
  FileStream() = default;
  ~FileStream() override;

  /// Opens path for writing ("wb") or reading ("rb"), closing an owned file first.
  /// Never fails by itself: check isOpen(), or let the first transfer fail.
  void open(const char* path, bool forWriting);
  /// Opens a new file for writing, failing when one of that name exists already.
  void openNew(const char* path);
  /// Flushes and closes; false when buffered data could not be written.
  bool close();

  bool isOpen() const { return file_ != nullptr; }
  /// errno of the first failure (0 when none was seen).
  int errorCode() const { return error_; }

  bool write(const void* data, int32_t n) override;
  bool read(void* data, int32_t n) override;
  bool writeItems(const void* data, int32_t size, int32_t count) override;
  bool seek(int32_t position);
  /// The position, or -1 past 2^31 - 1.
  int32_t tell();
  /// The file's length (the position is kept), or -1 past 2^31 - 1.
  int32_t size();

 private:
  void openMode(const char* path, const char* mode, bool forWriting);
  void noteError();

  std::FILE* file_ = nullptr;
  bool writable_ = false;
  bool owns_ = false;
  int error_ = 0;
};

}  // namespace rpgc

#endif  // RPGC_ARCHIVE_FILE_STREAM_H_
