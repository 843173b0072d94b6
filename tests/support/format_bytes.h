// Expected bytes of the output format, built by tests from the format's own rules and
// independently of the code under test: little-endian fields and the rolling filter.
#ifndef RPGC_TESTS_SUPPORT_FORMAT_BYTES_H_
#define RPGC_TESTS_SUPPORT_FORMAT_BYTES_H_

#include <cstddef>
#include <cstdint>
#include <cstring>
#include <string>
#include <string_view>
#include <vector>

namespace rpgc::test {

using Bytes = std::vector<uint8_t>;

/// Appends fields the way the container stores them.
class ByteBuilder {
 public:
  ByteBuilder& i32(int32_t value) {
    auto bits = static_cast<uint32_t>(value);
    for (int shift = 0; shift < 32; shift += 8)
      bytes_.push_back(static_cast<uint8_t>(bits >> shift));
    return *this;
  }
  ByteBuilder& f32(float value) {
    int32_t bits;
    std::memcpy(&bits, &value, 4);
    return i32(bits);
  }
  ByteBuilder& text(std::string_view text) {
    bytes_.insert(bytes_.end(), text.begin(), text.end());
    return *this;
  }
  /// A stored string: its size counting the zero byte, the text, the zero byte.
  ByteBuilder& string(std::string_view value) {
    i32(static_cast<int32_t>(value.size()) + 1).text(value);
    bytes_.push_back(0);
    return *this;
  }
  ByteBuilder& raw(const Bytes& more) {
    bytes_.insert(bytes_.end(), more.begin(), more.end());
    return *this;
  }
  /// Overwrites the 32-bit field at offset (for end offsets known only later).
  ByteBuilder& patch(size_t offset, int32_t value) {
    ByteBuilder word;
    word.i32(value);
    std::memcpy(bytes_.data() + offset, word.bytes().data(), 4);
    return *this;
  }
  size_t size() const { return bytes_.size(); }
  const Bytes& bytes() const { return bytes_; }

 private:
  Bytes bytes_;
};

/// The rolling filter as the format defines it, one write call at a time.
class ReferenceScrambler {
 public:
  Bytes call(const uint8_t* plain, size_t n) {
    Bytes out(n);
    callInto(plain, n, out.data());
    return out;
  }
  /// One write call of n bytes, scrambled into out.
  void callInto(const uint8_t* plain, size_t n, uint8_t* out) {
    for (size_t i = 0; i < n; ++i) {
      int p = plain[i];
      int k = static_cast<int>((n - i) & 0xFF);
      b_ = (b_ << 1) & 0xFF;
      a_ >>= 1;  // a_ holds the signed 8-bit value, so this keeps the sign bit
      int y = (p ^ (a_ & 0xFF)) & 0xFF;
      y = (y + b_) & 0xFF;
      b_ ^= p;
      a_ = ((a_ + p + 128) & 0xFF) - 128;
      out[i] = static_cast<uint8_t>(y ^ k);
    }
  }

 private:
  int a_ = 0;
  int b_ = 0;
};

/// Scrambles plain from a fresh state as the given sequence of write calls.
inline Bytes scrambleCalls(const Bytes& plain, const std::vector<int32_t>& callLengths) {
  ReferenceScrambler scrambler;
  size_t total = 0;
  for (int32_t n : callLengths) total += static_cast<size_t>(n);
  Bytes out(total);
  size_t at = 0;
  for (int32_t n : callLengths) {
    scrambler.callInto(plain.data() + at, static_cast<size_t>(n), out.data() + at);
    at += static_cast<size_t>(n);
  }
  return out;
}

inline int32_t le32(const uint8_t* bytes) {
  return static_cast<int32_t>(uint32_t{bytes[0]} | uint32_t{bytes[1]} << 8 |
                              uint32_t{bytes[2]} << 16 | uint32_t{bytes[3]} << 24);
}

/// The parts of a plain container, split by the container's definition.
struct ContainerParts {
  bool ok = false;  // false when the bytes are not one whole container
  Bytes nameBytes;  // with the zero byte; empty when absent
  Bytes versionBytes;
  std::vector<std::string> atomTexts;
  Bytes body;
};

inline ContainerParts splitContainer(const Bytes& plain) {
  ContainerParts parts;
  size_t at = 0;
  auto take = [&](size_t n, Bytes* into) {
    if (plain.size() - at < n) return false;
    if (into != nullptr)
      into->assign(plain.begin() + static_cast<std::ptrdiff_t>(at),
                   plain.begin() + static_cast<std::ptrdiff_t>(at + n));
    at += n;
    return true;
  };
  auto word = [&](int32_t& value) {
    if (plain.size() - at < 4) return false;
    value = le32(plain.data() + at);
    at += 4;
    return true;
  };
  int32_t nameSize = 0;
  int32_t atomCount = 0;
  int32_t bodyLength = 0;
  if (!word(nameSize) || nameSize < 0 || !take(static_cast<size_t>(nameSize), &parts.nameBytes) ||
      !take(4, &parts.versionBytes) || !word(atomCount) || atomCount < 0) {
    return parts;
  }
  for (int32_t i = 0; i < atomCount; ++i) {
    int32_t length = 0;
    Bytes text;
    if (!word(length) || (length > 0 && !take(static_cast<size_t>(length), &text))) return parts;
    parts.atomTexts.emplace_back(text.begin(), text.end());
  }
  if (!word(bodyLength) || bodyLength < 0 || !take(static_cast<size_t>(bodyLength), &parts.body)) {
    return parts;
  }
  parts.ok = at == plain.size();
  return parts;
}

/// The read calls a reader makes on a container whose fields may be corrupt, so that a test
/// can scramble any plain container exactly as the reader will unscramble it. Whatever lies
/// beyond the point where a reader must stop goes into one last call.
inline std::vector<int32_t> readerCalls(const Bytes& plain) {
  constexpr int32_t kLongestAtomName = 1024;
  std::vector<int32_t> calls;
  size_t at = 0;
  auto field = [&](int32_t& value) {
    if (plain.size() - at < 4) return false;
    value = le32(plain.data() + at);
    calls.push_back(4);
    at += 4;
    return true;
  };
  auto oneByOne = [&](int32_t n) {
    for (int32_t i = 0; i < n && at < plain.size(); ++i, ++at) calls.push_back(1);
  };
  int32_t nameSize = 0;
  int32_t version = 0;
  int32_t atomCount = 0;
  if (field(nameSize) && nameSize >= 0) {
    oneByOne(nameSize);
    if (field(version) && field(atomCount) && atomCount >= 0) {
      bool entriesOk = true;
      for (int32_t i = 0; i < atomCount && entriesOk; ++i) {
        int32_t length = 0;
        entriesOk = field(length) && length <= kLongestAtomName;
        if (entriesOk && length > 0) {
          entriesOk = plain.size() - at >= static_cast<size_t>(length);
          if (entriesOk) {
            calls.push_back(length);
            at += static_cast<size_t>(length);
          }
        }
      }
      int32_t bodySize = 0;
      if (entriesOk && field(bodySize) && bodySize >= 0) oneByOne(bodySize);
    }
  }
  if (at < plain.size()) calls.push_back(static_cast<int32_t>(plain.size() - at));
  return calls;
}

/// A plain container as it is stored: scrambled with the calls a reader makes.
inline Bytes scrambledAsRead(const Bytes& plain) {
  return scrambleCalls(plain, readerCalls(plain));
}

}  // namespace rpgc::test

#endif  // RPGC_TESTS_SUPPORT_FORMAT_BYTES_H_
