// RecordingStream: a ByteStream for tests that keeps every write call and can be told to
// fail from the k-th write call on.
//
// It does not override writeItems, so the base class splits items into one write call per
// piece and every piece shows up in callLengths().
#ifndef RPGC_TESTS_SUPPORT_RECORDING_STREAM_H_
#define RPGC_TESTS_SUPPORT_RECORDING_STREAM_H_

#include <cstdint>
#include <vector>

#include "archive/byte_stream.h"

namespace rpgc::test {

class RecordingStream : public ByteStream {
 public:
  /// failFrom: the 1-based number of the first write call that fails; 0 lets all succeed.
  explicit RecordingStream(int failFrom = 0) : failFrom_(failFrom) {}

  bool write(const void* data, int32_t n) override {
    ++writeCalls_;
    if (n < 0 || (failFrom_ > 0 && writeCalls_ >= failFrom_)) return false;
    const auto* bytes = static_cast<const uint8_t*>(data);
    bytes_.insert(bytes_.end(), bytes, bytes + n);
    callLengths_.push_back(n);
    return true;
  }

  /// The bytes of every accepted write, in order.
  const std::vector<uint8_t>& bytes() const { return bytes_; }
  /// The length of every accepted write call, in order.
  const std::vector<int32_t>& callLengths() const { return callLengths_; }
  /// Write calls made, the refused ones included.
  int writeCalls() const { return writeCalls_; }

 private:
  int failFrom_;
  int writeCalls_ = 0;
  std::vector<uint8_t> bytes_;
  std::vector<int32_t> callLengths_;
};

}  // namespace rpgc::test

#endif  // RPGC_TESTS_SUPPORT_RECORDING_STREAM_H_
