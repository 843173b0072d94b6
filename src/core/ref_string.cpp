// RefString: shared byte strings with the header and the bytes in one allocation.
#include "core/ref_string.h"

#include <algorithm>
#include <cassert>
#include <cstdlib>
#include <cstring>
#include <new>
#include <stdexcept>

namespace rpgc {

namespace {

int32_t textLength(const char* text) {
  size_t n = std::strlen(text);
  if (n >= INT32_MAX) throw std::length_error("string beyond 2^31 - 2 bytes");
  return static_cast<int32_t>(n);
}

}  // namespace

RefString RefString::allocate(int32_t size) {
  if (size < 0 || size == INT32_MAX) throw std::length_error("string beyond 2^31 - 2 bytes");
  RefString s;
  void* memory = ::operator new(sizeof(Rep) + static_cast<size_t>(size));
  s.rep_ = new (memory) Rep{1, size, (size + 15) / 16 - 1};
  return s;
}

RefString::RefString(const char* text, int32_t count) {
  if (text == nullptr) {
    count = 0;
    text = "";
  } else if (count < 0) {
    count = textLength(text);
  }
  *this = allocate(count + 1);
  std::memcpy(bytes(), text, static_cast<size_t>(count));
  bytes()[count] = 0;
}

RefString::RefString(std::string_view text) {
  if (text.size() >= INT32_MAX) throw std::length_error("string beyond 2^31 - 2 bytes");
  int32_t count = static_cast<int32_t>(text.size());
  *this = allocate(count + 1);
  std::memcpy(bytes(), text.data(), text.size());
  bytes()[count] = 0;
}

RefString::RefString(const RefString& other) noexcept : rep_(other.rep_) {
  if (rep_ != nullptr) ++rep_->refs;
}

RefString& RefString::operator=(const RefString& other) noexcept {
  if (rep_ == other.rep_) return *this;
  release();
  rep_ = other.rep_;
  if (rep_ != nullptr) ++rep_->refs;
  return *this;
}

RefString& RefString::operator=(RefString&& other) noexcept {
  if (this != &other) {
    release();
    rep_ = std::exchange(other.rep_, nullptr);
  }
  return *this;
}

void RefString::release() noexcept {
  if (rep_ == nullptr) return;
  if (--rep_->refs < 1) {
    rep_->~Rep();
    ::operator delete(rep_);
  }
  rep_ = nullptr;
}

bool RefString::equals(const char* literal) const {
  if (literal == nullptr) return rep_ == nullptr;
  if (rep_ == nullptr) return false;
  return std::strcmp(text(), literal) == 0;
}

RefString RefString::concat(const char* tail) const {
  if (tail == nullptr) tail = "";
  int32_t head = rep_ == nullptr ? 0 : textLength(text());
  int32_t rest = textLength(tail);
  if (int64_t{head} + rest + 1 >= INT32_MAX)
    throw std::length_error("string beyond 2^31 - 2 bytes");
  RefString result = allocate(head + rest + 1);
  std::memcpy(result.bytes(), text(), static_cast<size_t>(head));
  std::memcpy(result.bytes() + head, tail, static_cast<size_t>(rest));
  result.bytes()[head + rest] = 0;
  return result;
}

void RefString::setLength(int32_t length) {
  assert(rep_ != nullptr && length >= 0 && length < rep_->size);
  bytes()[length] = 0;
  rep_->size = length + 1;
}

}  // namespace rpgc
