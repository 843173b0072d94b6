// loadWholeFile and readBlocks: the one reader of a whole file into memory, behind the reader
// library's files and the compiler's sources.
//
// A file that tells its size (a regular file) and passes the limit is refused before
// anything is read. Any other (a pipe, a device) is read up to the limit and one byte
// more, and refused when it goes on: it may never end. Blocks go to a receiver as they
// come, which may stop the read (the compiler watches line lengths that way). Standard
// library only: the reader library links it, and the compiler's file-system calls reach it
// through ReadableFile.
#ifndef RPGC_READER_WHOLE_FILE_H_
#define RPGC_READER_WHOLE_FILE_H_

#include <cstddef>
#include <cstdint>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

namespace rpgc {

struct WholeFileStatus {
  enum class Outcome : uint8_t {
    kRead,
    kCannotRead,  // systemError holds the errno value (EISDIR for a folder)
    kTooLarge,    // the file passes the limit
    kStopped,     // the receiver stopped the read
  };
  Outcome outcome = Outcome::kRead;
  int systemError = 0;

  bool ok() const noexcept { return outcome == Outcome::kRead; }
};

/// An open file, as the whole-file reader needs it.
class ReadableFile {
 public:
  virtual ~ReadableFile() = default;
  /// 0, with size set when the file tells it, or the errno value of why it cannot be read
  /// (EISDIR for a folder).
  virtual int measure(std::optional<uint64_t>& size) = 0;
  /// Up to n bytes; got 0 at the end. 0 or the errno value.
  virtual int read(void* data, size_t n, size_t& got) = 0;
};

/// Takes the blocks of a file as they are read.
class BlockReceiver {
 public:
  virtual ~BlockReceiver() = default;
  /// The size the file tells, before its first block (to reserve room).
  virtual void expect(uint64_t /*size*/) {}
  /// False stops the read.
  virtual bool take(std::string_view block) = 0;
};

/// Reads file to its end through receiver, keeping to limit as described above.
WholeFileStatus readBlocks(ReadableFile& file, uint64_t limit, BlockReceiver& receiver);

/// Reads the file at path whole into bytes (empty after a failure).
WholeFileStatus loadWholeFile(const std::string& path, std::vector<uint8_t>& bytes, uint64_t limit);

}  // namespace rpgc

#endif  // RPGC_READER_WHOLE_FILE_H_
