// ScrambleStream: the keyless rolling filter between the archive and the output file.
//
// Each write call scrambles its bytes with a two-byte state that rolls across calls and
// a factor k that counts down within the call (n, n - 1, ..., 1), so the bytes on disk
// depend on how the data was cut into calls. A reader must unscramble with reads of the
// same lengths, in the same order, from the same starting state.
#ifndef RPGC_ARCHIVE_SCRAMBLE_STREAM_H_
#define RPGC_ARCHIVE_SCRAMBLE_STREAM_H_

#include <cstdint>
#include <vector>

#include "archive/byte_stream.h"

namespace rpgc {

/// The rolling state; both bytes start at 0 for every file.
struct ScrambleState {
  int8_t a = 0;
  uint8_t b = 0;
};

/// Scrambles n bytes in place as one write call would.
void scramble(ScrambleState& state, uint8_t* bytes, int32_t n);
/// Scrambles n bytes in place as n one-byte write calls would.
void scrambleOneByteCalls(ScrambleState& state, uint8_t* bytes, int32_t n);
/// Unscrambles n bytes in place as one read call would.
void unscramble(ScrambleState& state, uint8_t* bytes, int32_t n);
/// Unscrambles n bytes in place as n one-byte read calls would.
void unscrambleOneByteCalls(ScrambleState& state, uint8_t* bytes, int32_t n);

class ScrambleStream : public ByteStream {
 public:
  /// The inner stream is borrowed and must outlive the filter.
  explicit ScrambleStream(ByteStream& inner) : inner_(&inner) {}

  bool write(const void* data, int32_t n) override;
  bool read(void* data, int32_t n) override;
  bool readItems(void* data, int32_t size, int32_t count) override;
  bool seek(int32_t) override { return false; }
  int32_t tell() override { return -1; }
  int32_t size() override { return inner_->size(); }
  /// Scrambles each piece as its own call, in one pass over the buffer, and hands the
  /// result to the inner stream in large blocks.
  bool writeItems(const void* data, int32_t size, int32_t count) override;

  const ScrambleState& state() const { return state_; }

 private:
  ByteStream* inner_;
  ScrambleState state_;
  std::vector<uint8_t> scratch_;  // reused across calls to avoid reallocating
};

}  // namespace rpgc

#endif  // RPGC_ARCHIVE_SCRAMBLE_STREAM_H_
