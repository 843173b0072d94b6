// RefArray: the shared, reference-counted array behind every list of the compiler.
//
// A handle is one pointer to a representation (reference count, length, reserved
// blocks, storage). Copying a handle shares the representation; changes through any
// handle are seen by all of them.
//
// The logical storage follows the block rule: storage is reserved in whole blocks of
// G elements, except that the first allocation of an empty array is exact (recorded as
// one block less than it covers, so the next growth reallocates). Which slots keep their
// values and which are re-initialised on resize is part of the behaviour: slots past the
// length keep what they held as long as the reserved block count does not change.
//
// Underneath, the physical buffer grows geometrically so that appending n elements one
// at a time costs O(n). A "reallocation" of the logical storage is carried out in place
// by re-initialising exactly the slots that a fresh allocation would have initialised.
#ifndef RPGC_CORE_REF_ARRAY_H_
#define RPGC_CORE_REF_ARRAY_H_

#include <algorithm>
#include <cassert>
#include <cstdint>
#include <cstdlib>
#include <cstring>
#include <memory>
#include <new>
#include <span>
#include <stdexcept>
#include <type_traits>
#include <utility>

namespace rpgc {

/// How the slots of freshly allocated storage are set up.
enum class SlotInit {
  kNone,       // left as allocated (zero here, but callers must not rely on it)
  kFillFF,     // every byte 0xFF: a 32-bit slot reads -1, the "no atom" value
  kZero,       // every byte 0: a pointer slot reads as none
  kConstruct,  // each slot default-constructed by its element type
};

template <typename T, int32_t G, SlotInit I>
class RefArray {
  static_assert(G > 0, "block size must be positive");
  static_assert(I == SlotInit::kConstruct || std::is_trivially_copyable_v<T>,
                "only constructed slots may hold non-trivial elements");

 public:
  using value_type = T;
  static constexpr int32_t kBlockSize = G;
  static constexpr SlotInit kSlotInit = I;

  RefArray() noexcept = default;
  RefArray(const RefArray& other) noexcept : rep_(other.rep_) {
    if (rep_ != nullptr) ++rep_->refs;
  }
  RefArray(RefArray&& other) noexcept : rep_(std::exchange(other.rep_, nullptr)) {}
  RefArray& operator=(const RefArray& other) noexcept {
    assign(other);
    return *this;
  }
  RefArray& operator=(RefArray&& other) noexcept {
    if (this != &other) {
      release();
      rep_ = std::exchange(other.rep_, nullptr);
    }
    return *this;
  }
  ~RefArray() { release(); }

  /// Shares the other handle's representation; nothing happens when both already share one.
  void assign(const RefArray& other) noexcept {
    if (rep_ == other.rep_) return;
    release();
    rep_ = other.rep_;
    if (rep_ != nullptr) ++rep_->refs;
  }

  /// Drops this handle's reference; the last one frees the elements and the representation.
  void release() noexcept {
    Rep* rep = std::exchange(rep_, nullptr);
    if (rep != nullptr && --rep->refs < 1) Rep::destroy(rep);
  }

  int32_t length() const { return rep_ == nullptr ? 0 : rep_->length; }
  bool empty() const { return length() == 0; }
  /// The number of handles sharing the representation (0 for none).
  int32_t refCount() const { return rep_ == nullptr ? 0 : rep_->refs; }
  bool sharesWith(const RefArray& other) const { return rep_ == other.rep_; }

  T& operator[](int32_t i) {
    assert(i >= 0 && i < length());
    return rep_->data[static_cast<size_t>(i)];
  }
  const T& operator[](int32_t i) const {
    assert(i >= 0 && i < length());
    return rep_->data[static_cast<size_t>(i)];
  }

  T* data() { return rep_ == nullptr ? nullptr : rep_->data; }
  const T* data() const { return rep_ == nullptr ? nullptr : rep_->data; }
  T* begin() { return data(); }
  T* end() { return data() + length(); }
  const T* begin() const { return data(); }
  const T* end() const { return data() + length(); }
  std::span<const T> view() const { return {data(), static_cast<size_t>(length())}; }

  /// Sets the length to n by the block rule (see the file comment).
  void resize(int32_t n) {
    if (rep_ == nullptr) {
      rep_ = Rep::create(n);
      if (n <= 0) return;
      allocateExact(n);
      return;
    }
    if (n <= 0) {
      rep_->freeStorage();
      return;
    }
    if (rep_->length == 0) {
      rep_->freeStorage();
      allocateExact(n);
      return;
    }
    int32_t b = blocks(n);
    if (b == rep_->reserved) {
      rep_->length = n;
      return;
    }
    // A fresh allocation of b whole blocks keeping the first min(length, n) elements.
    int32_t keep = std::min(rep_->length, n);
    int32_t slots = checkedSlots(b);
    rep_->ensureCapacity(slots);
    rep_->initialise(keep, std::max(rep_->slots, slots));
    rep_->slots = slots;
    rep_->reserved = b;
    rep_->length = n;
  }

  void grow(int32_t k) { resize(length() + k); }

  /// Adds k slots at the end and returns the first of them.
  T* append(int32_t k) {
    int32_t first = length();
    resize(first + k);
    return data() + first;
  }

  /// Appends one element (which may be one of this array's own).
  void push(const T& value) {
    T copy = value;  // growing may move the storage that value lives in
    *append(1) = std::move(copy);
  }

 private:
  // Trivial elements live in malloc'd storage that grows with realloc, which moves large
  // buffers by remapping pages instead of copying them next to a second buffer.
  static constexpr bool kTrivial = I != SlotInit::kConstruct;

  // The first exact allocation of small trivial elements shares one allocation with the
  // representation (the common list of one or two values costs one allocation); storage
  // that grows past it moves to a buffer of its own.
  static constexpr int32_t kMostInline = kTrivial ? static_cast<int32_t>(64 / sizeof(T)) : 0;

  struct Rep {
    Rep() = default;
    Rep(const Rep&) = delete;
    Rep& operator=(const Rep&) = delete;
    ~Rep() { freeBuffer(); }

    /// A representation with room inside for n elements when n is small.
    static Rep* create(int32_t n) {
      int32_t room = n > 0 && n <= kMostInline ? n : 0;
      void* memory = ::operator new(sizeof(Rep) + sizeof(T) * static_cast<size_t>(room));
      Rep* rep = new (memory) Rep;
      rep->inlineSlots = room;
      return rep;
    }
    // Kept out of line: inlined into a release that follows another handle's release of
    // the same representation, it makes g++ -O3 see a use after free that the reference
    // count rules out.
    [[gnu::noinline]] static void destroy(Rep* rep) {
      rep->~Rep();
      ::operator delete(static_cast<void*>(rep));
    }

    int32_t refs = 1;
    int32_t length = 0;
    int32_t reserved = 0;
    int32_t slots = 0;        // slots of the logical storage
    int32_t capacity = 0;     // slots of the physical buffer (>= slots)
    int32_t inlineSlots = 0;  // room for elements right after the representation
    T* data = nullptr;

    T* inlineData() { return reinterpret_cast<T*>(this + 1); }

    void freeBuffer() {
      if constexpr (kTrivial) {
        if (data != inlineData()) std::free(data);
      } else {
        delete[] data;
      }
      data = nullptr;
      capacity = 0;
    }

    void freeStorage() {
      freeBuffer();
      length = reserved = slots = 0;
    }

    void ensureCapacity(int32_t needed) {
      if (needed <= capacity) return;
      if (data == nullptr && needed <= inlineSlots) {
        data = inlineData();
        // At -O3, GCC inlines this for representations created without inline
        // room and warns about a write it cannot prove unreachable (needed > 0
        // here, so inlineSlots > 0 and the room exists).
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic push
#pragma GCC diagnostic ignored "-Warray-bounds"
#endif
        std::memset(static_cast<void*>(data), 0, sizeof(T) * static_cast<size_t>(inlineSlots));
#if defined(__GNUC__) && !defined(__clang__)
#pragma GCC diagnostic pop
#endif
        capacity = inlineSlots;
        return;
      }
      int64_t grown = std::max<int64_t>(needed, int64_t{capacity} + capacity / 2);
      int32_t newCapacity = static_cast<int32_t>(std::min<int64_t>(grown, INT32_MAX));
      if constexpr (kTrivial) {
        size_t bytes = sizeof(T) * static_cast<size_t>(newCapacity);
        void* moved;
        if (data != nullptr && data == inlineData()) {
          moved = std::malloc(bytes);
          if (moved != nullptr) std::memcpy(moved, data, sizeof(T) * static_cast<size_t>(capacity));
        } else {
          moved = std::realloc(data, bytes);
        }
        if (moved == nullptr) throw std::bad_alloc();
        data = static_cast<T*>(moved);
        std::memset(static_cast<void*>(data + capacity), 0,
                    sizeof(T) * static_cast<size_t>(newCapacity - capacity));
      } else {
        T* fresh = new T[static_cast<size_t>(newCapacity)]();
        std::move(data, data + capacity, fresh);
        delete[] data;
        data = fresh;
      }
      capacity = newCapacity;
    }

    // Puts slots [from, to) in the state a fresh allocation gives them.
    void initialise(int32_t from, int32_t to) {
      to = std::min(to, capacity);
      if (from >= to) return;
      T* first = data + from;
      if constexpr (I == SlotInit::kConstruct) {
        std::fill(first, data + to, T());
      } else if constexpr (I == SlotInit::kFillFF) {
        std::memset(static_cast<void*>(first), 0xFF, sizeof(T) * static_cast<size_t>(to - from));
      } else if constexpr (I == SlotInit::kZero) {
        std::memset(static_cast<void*>(first), 0, sizeof(T) * static_cast<size_t>(to - from));
      }
    }
  };

  static int32_t blocks(int32_t n) {
    return static_cast<int32_t>((int64_t{n} + G - 1) / G);
  }

  static int32_t checkedSlots(int32_t b) {
    int64_t slots = int64_t{b} * G;
    if (slots > INT32_MAX) throw std::length_error("array beyond 2^31 - 1 elements");
    return static_cast<int32_t>(slots);
  }

  // Exact allocation of n elements on a representation that holds nothing.
  void allocateExact(int32_t n) {
    rep_->ensureCapacity(n);
    rep_->initialise(0, n);
    rep_->slots = n;
    rep_->length = n;
    rep_->reserved = blocks(n) - 1;
  }

  Rep* rep_ = nullptr;
};

}  // namespace rpgc

#endif  // RPGC_CORE_REF_ARRAY_H_
