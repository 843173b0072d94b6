// Views of list values: IntegerValues, FloatValues, AtomValues and ReferenceValues, and
// ObjectReference, the value of a reference.
//
// A view points into the bytes of an open file and decodes each element when asked:
// making one costs nothing, and element access is O(1) and allocates nothing. A view is
// valid while its file stays open (not closed, not opened again, not moved from). An
// index outside the list gives the element's neutral value (0, 0.0f, "", no reference)
// rather than reading outside the list.
#ifndef RPGC_VALUE_VIEWS_H_
#define RPGC_VALUE_VIEWS_H_

#include <cstddef>
#include <cstdint>
#include <iterator>
#include <string_view>
#include <utility>

#include "rpgc/little_endian.h"

namespace rpgc {

/// A reference to an object by (name, instance number). The files store references this
/// way, never as positions; compiled objects are instance 0.
struct ObjectReference {
  bool present = false;  // false: the reference has no target
  int32_t instance = -1;
  std::string_view name;

  friend bool operator==(const ObjectReference&, const ObjectReference&) = default;
};

namespace detail {

struct ViewMaker;

/// A file's atom table: index i stands for names[i]; any other index for "".
struct AtomNames {
  const std::string_view* names = nullptr;
  int32_t count = 0;

  std::string_view at(int32_t index) const noexcept {
    return index >= 0 && index < count ? names[index] : std::string_view();
  }
};

/// One element of a stored reference list.
struct StoredReference {
  int32_t instance = -1;
  int32_t nameIndex = -1;
};

/// A random-access iterator over a list view, by index.
template <class List, class Value>
class IndexIterator {
 public:
  using iterator_category = std::random_access_iterator_tag;
  using value_type = Value;
  using difference_type = std::ptrdiff_t;
  using pointer = void;
  using reference = Value;

  IndexIterator() = default;
  IndexIterator(const List* list, int32_t index) : list_(list), index_(index) {}

  Value operator*() const { return (*list_)[index_]; }
  Value operator[](difference_type n) const { return (*list_)[index_ + static_cast<int32_t>(n)]; }
  IndexIterator& operator++() { return *this += 1; }
  IndexIterator operator++(int) { return std::exchange(*this, *this + 1); }
  IndexIterator& operator--() { return *this -= 1; }
  IndexIterator operator--(int) { return std::exchange(*this, *this - 1); }
  IndexIterator& operator+=(difference_type n) {
    index_ += static_cast<int32_t>(n);
    return *this;
  }
  IndexIterator& operator-=(difference_type n) { return *this += -n; }
  friend IndexIterator operator+(IndexIterator it, difference_type n) { return it += n; }
  friend IndexIterator operator+(difference_type n, IndexIterator it) { return it += n; }
  friend IndexIterator operator-(IndexIterator it, difference_type n) { return it -= n; }
  friend difference_type operator-(const IndexIterator& a, const IndexIterator& b) {
    return a.index_ - b.index_;
  }
  friend bool operator==(const IndexIterator& a, const IndexIterator& b) {
    return a.index_ == b.index_;
  }
  friend auto operator<=>(const IndexIterator& a, const IndexIterator& b) {
    return a.index_ <=> b.index_;
  }

 private:
  const List* list_ = nullptr;
  int32_t index_ = 0;
};

}  // namespace detail

/// A list of 32-bit integers.
class IntegerValues {
 public:
  using iterator = detail::IndexIterator<IntegerValues, int32_t>;

  IntegerValues() = default;
  int32_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  int32_t operator[](int32_t i) const noexcept {
    return i >= 0 && i < size_ ? detail::loadInt32(bytes_ + 4 * static_cast<size_t>(i)) : 0;
  }
  iterator begin() const { return {this, 0}; }
  iterator end() const { return {this, size_}; }

 private:
  friend struct detail::ViewMaker;
  IntegerValues(const unsigned char* bytes, int32_t size) : bytes_(bytes), size_(size) {}

  const unsigned char* bytes_ = nullptr;
  int32_t size_ = 0;
};

/// A list of single-precision floats, bit for bit as stored (NaN payloads included).
class FloatValues {
 public:
  using iterator = detail::IndexIterator<FloatValues, float>;

  FloatValues() = default;
  int32_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  float operator[](int32_t i) const noexcept {
    return i >= 0 && i < size_ ? detail::loadFloat(bytes_ + 4 * static_cast<size_t>(i)) : 0.0f;
  }
  iterator begin() const { return {this, 0}; }
  iterator end() const { return {this, size_}; }

 private:
  friend struct detail::ViewMaker;
  FloatValues(const unsigned char* bytes, int32_t size) : bytes_(bytes), size_(size) {}

  const unsigned char* bytes_ = nullptr;
  int32_t size_ = 0;
};

/// A list of names (atoms), each given as its text. The empty name, and an index outside
/// the file's atom table, read as "".
class AtomValues {
 public:
  using iterator = detail::IndexIterator<AtomValues, std::string_view>;

  AtomValues() = default;
  int32_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  std::string_view operator[](int32_t i) const noexcept {
    return i >= 0 && i < size_ ? names_.at(detail::loadInt32(bytes_ + 4 * static_cast<size_t>(i)))
                               : std::string_view();
  }
  iterator begin() const { return {this, 0}; }
  iterator end() const { return {this, size_}; }

 private:
  friend struct detail::ViewMaker;
  AtomValues(const unsigned char* bytes, int32_t size, detail::AtomNames names)
      : bytes_(bytes), size_(size), names_(names) {}

  const unsigned char* bytes_ = nullptr;
  int32_t size_ = 0;
  detail::AtomNames names_;
};

/// A list of references. Declared reference lists of generic objects and characters hold
/// names only; their elements are instance 0 of the named object.
class ReferenceValues {
 public:
  using iterator = detail::IndexIterator<ReferenceValues, ObjectReference>;

  ReferenceValues() = default;
  int32_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  ObjectReference operator[](int32_t i) const noexcept {
    if (i < 0 || i >= size_) return {};
    if (stored_ != nullptr) {
      const detail::StoredReference& element = stored_[i];
      if (element.instance < 0) return {};
      return {true, element.instance, names_.at(element.nameIndex)};
    }
    return {true, 0, names_.at(detail::loadInt32(nameBytes_ + 4 * static_cast<size_t>(i)))};
  }
  iterator begin() const { return {this, 0}; }
  iterator end() const { return {this, size_}; }

 private:
  friend struct detail::ViewMaker;
  ReferenceValues(const detail::StoredReference* stored, const unsigned char* nameBytes,
                  int32_t size, detail::AtomNames names)
      : stored_(stored), nameBytes_(nameBytes), size_(size), names_(names) {}

  const detail::StoredReference* stored_ = nullptr;  // a stored reference list, or
  const unsigned char* nameBytes_ = nullptr;         // the atom indices of declared names
  int32_t size_ = 0;
  detail::AtomNames names_;
};

}  // namespace rpgc

#endif  // RPGC_VALUE_VIEWS_H_
