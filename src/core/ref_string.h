// RefString: the one string type of the compiler, a handle to a shared byte buffer.
//
// A present string holds its text followed by one zero byte; its size counts that
// zero byte. An absent string reads as "" with size 0. Values are built fresh and never
// changed in place, except by the string sections' blank folding, which edits a line
// that nothing examines afterwards (see setLength).
#ifndef RPGC_CORE_REF_STRING_H_
#define RPGC_CORE_REF_STRING_H_

#include <cstdint>
#include <string_view>
#include <utility>

namespace rpgc {

class RefString {
 public:
  RefString() noexcept = default;
  /// Copies count bytes of text (count < 0: up to its first zero byte) and adds a zero
  /// byte. A null text gives the empty string.
  RefString(const char* text, int32_t count = -1);  // NOLINT: implicit from literals is handy
  explicit RefString(std::string_view text);
  RefString(const RefString& other) noexcept;
  RefString(RefString&& other) noexcept : rep_(std::exchange(other.rep_, nullptr)) {}
  RefString& operator=(const RefString& other) noexcept;
  RefString& operator=(RefString&& other) noexcept;
  ~RefString() { release(); }

  /// A fresh string of exactly size bytes with undefined content (callers fill it).
  static RefString allocate(int32_t size);

  void release() noexcept;

  bool present() const { return rep_ != nullptr; }
  /// Bytes in the buffer, counting the terminating zero; 0 for an absent string.
  int32_t size() const { return rep_ == nullptr ? 0 : rep_->size; }
  /// Capacity in blocks of 16 bytes as the block rule records it.
  int32_t capacityBlocks() const { return rep_ == nullptr ? 0 : rep_->capacityBlocks; }
  int32_t refCount() const { return rep_ == nullptr ? 0 : rep_->refs; }
  bool sharesWith(const RefString& other) const { return rep_ == other.rep_; }

  /// The text, zero-terminated; "" for an absent string.
  const char* text() const { return rep_ == nullptr ? "" : bytes(); }
  /// The text without its zero byte.
  std::string_view view() const {
    return rep_ == nullptr || rep_->size < 1
               ? std::string_view()
               : std::string_view(bytes(), static_cast<size_t>(rep_->size - 1));
  }
  bool isEmpty() const { return rep_ == nullptr || rep_->size == 0 || bytes()[0] == 0; }

  /// Exact, case-sensitive equality with a literal. A null literal matches only an absent
  /// string; an absent string matches no literal, not even "".
  bool equals(const char* literal) const;

  RefString concat(const char* tail) const;

  /// Writable bytes of a present string (for building and for in-place folding).
  char* mutableBytes() { return rep_ == nullptr ? nullptr : bytes(); }
  /// Shortens a present string to length bytes of text and a zero byte, in place.
  void setLength(int32_t length);

 private:
  struct Rep {
    int32_t refs;
    int32_t size;
    int32_t capacityBlocks;
  };
  char* bytes() const { return reinterpret_cast<char*>(rep_ + 1); }

  Rep* rep_ = nullptr;
};

}  // namespace rpgc

#endif  // RPGC_CORE_REF_STRING_H_
