// Helpers shared by the fuzz entries: cutting one input into several texts, and a strict
// check that a text is one JSON value.
#ifndef RPGC_FUZZ_FUZZ_SUPPORT_H_
#define RPGC_FUZZ_FUZZ_SUPPORT_H_

#include <algorithm>
#include <cctype>
#include <cstddef>
#include <cstdint>
#include <cstdio>
#include <cstdlib>
#include <string_view>
#include <vector>

#include "format/scramble.h"

namespace rpgc::fuzz {

/// Inputs are capped so that each run stays fast; longer ones are cut.
inline constexpr size_t kMaxInput = 4096;

inline std::string_view inputText(const uint8_t* data, size_t size) {
  return std::string_view(reinterpret_cast<const char*>(data), size < kMaxInput ? size : kMaxInput);
}

/// The parts of text between separator bytes (0x1E, the record separator).
inline std::vector<std::string_view> parts(std::string_view text, size_t most) {
  std::vector<std::string_view> out;
  while (out.size() + 1 < most) {
    size_t cut = text.find('\x1e');
    if (cut == std::string_view::npos) break;
    out.push_back(text.substr(0, cut));
    text.remove_prefix(cut + 1);
  }
  out.push_back(text);
  return out;
}

/// Scrambles a plain container in place with the write calls a writer makes (4-byte
/// numbers, one-byte calls for the name and the body, one call per atom text), so that
/// mutations of the plain structure reach the reader. Where the numbers make no sense,
/// the rest is scrambled a byte at a time.
inline void scrambleAsContainer(std::vector<uint8_t>& bytes) {
  ScrambleState state;
  size_t at = 0;
  auto call = [&](size_t n) {
    n = std::min(n, bytes.size() - at);
    scramble(state, bytes.data() + at, static_cast<int32_t>(n));
    at += n;
  };
  auto number = [&]() -> int64_t {
    if (bytes.size() - at < 4) return -1;
    int64_t value = bytes[at] | bytes[at + 1] << 8 | bytes[at + 2] << 16 |
                    static_cast<int64_t>(bytes[at + 3]) << 24;
    call(4);
    return value;
  };
  auto oneByteCalls = [&](int64_t n) {
    size_t count =
        static_cast<size_t>(std::clamp<int64_t>(n, 0, static_cast<int64_t>(bytes.size() - at)));
    scrambleOneByteCalls(state, bytes.data() + at, static_cast<int32_t>(count));
    at += count;
  };
  oneByteCalls(number());
  number();  // the version
  int64_t atoms = number();
  for (int64_t i = 0; i < atoms && bytes.size() - at >= 4; ++i) {
    int64_t length = number();
    if (length > 0) call(static_cast<size_t>(std::min<int64_t>(length, 1024)));
  }
  number();  // the body length
  oneByteCalls(static_cast<int64_t>(bytes.size()));
}

/// Stops the run (a crash for the fuzzer) when a promise of the code is broken.
// Aborts, naming the promise broken and where, when promise does not hold.
// (The builtins stand in for std::source_location, which clang 14 lacks with libstdc++.)
inline void require(bool promise, const char* file = __builtin_FILE(),
                    int line = __builtin_LINE()) {
  if (promise) return;
  std::fprintf(stderr, "broken promise at %s:%d\n", file, line);
  std::abort();
}

// A recursive-descent check of JSON (RFC 8259), strings validated as UTF-8.
class JsonCheck {
 public:
  explicit JsonCheck(std::string_view text) : text_(text) {}

  bool oneValue() {
    skipBlanks();
    if (!value(0)) return false;
    skipBlanks();
    return at_ == text_.size();
  }

 private:
  bool value(int depth) {
    if (depth > 64 || at_ >= text_.size()) return false;
    char c = text_[at_];
    if (c == '{') return object(depth);
    if (c == '[') return array(depth);
    if (c == '"') return string();
    if (c == '-' || (c >= '0' && c <= '9')) return number();
    for (std::string_view word : {"true", "false", "null"}) {
      if (text_.substr(at_, word.size()) == word) {
        at_ += word.size();
        return true;
      }
    }
    return false;
  }
  bool object(int depth) {
    ++at_;
    skipBlanks();
    if (peek('}')) return true;
    while (true) {
      skipBlanks();
      if (!string()) return false;
      skipBlanks();
      if (!peek(':')) return false;
      skipBlanks();
      if (!value(depth + 1)) return false;
      skipBlanks();
      if (peek('}')) return true;
      if (!peek(',')) return false;
    }
  }
  bool array(int depth) {
    ++at_;
    skipBlanks();
    if (peek(']')) return true;
    while (true) {
      skipBlanks();
      if (!value(depth + 1)) return false;
      skipBlanks();
      if (peek(']')) return true;
      if (!peek(',')) return false;
    }
  }
  bool string() {
    if (!peek('"')) return false;
    while (at_ < text_.size()) {
      auto c = static_cast<unsigned char>(text_[at_++]);
      if (c == '"') return true;
      if (c < 0x20) return false;
      if (c == '\\') {
        if (at_ >= text_.size()) return false;
        char e = text_[at_++];
        if (e == 'u') {
          for (int i = 0; i < 4; ++i) {
            if (at_ >= text_.size() || !std::isxdigit(static_cast<unsigned char>(text_[at_++]))) {
              return false;
            }
          }
        } else if (std::string_view("\"\\/bfnrt").find(e) == std::string_view::npos) {
          return false;
        }
      } else if (c >= 0x80) {
        size_t length = c >= 0xF0 ? 4 : c >= 0xE0 ? 3 : c >= 0xC2 ? 2 : 0;
        if (length == 0 || c > 0xF4 || at_ + length - 1 > text_.size()) return false;
        for (size_t k = 1; k < length; ++k) {
          if ((static_cast<unsigned char>(text_[at_++]) & 0xC0) != 0x80) return false;
        }
      }
    }
    return false;
  }
  bool number() {
    size_t start = at_;
    if (text_[at_] == '-') ++at_;
    while (at_ < text_.size() &&
           std::string_view("0123456789.eE+-").find(text_[at_]) != std::string_view::npos) {
      ++at_;
    }
    return at_ > start;
  }
  bool peek(char c) {
    if (at_ < text_.size() && text_[at_] == c) {
      ++at_;
      return true;
    }
    return false;
  }
  void skipBlanks() {
    while (at_ < text_.size() &&
           std::string_view(" \t\r\n").find(text_[at_]) != std::string_view::npos) {
      ++at_;
    }
  }

  std::string_view text_;
  size_t at_ = 0;
};

}  // namespace rpgc::fuzz

#endif  // RPGC_FUZZ_FUZZ_SUPPORT_H_
