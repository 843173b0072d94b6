// ViewRange: the items of an open file (objects, properties, sections) as a range, so
// that a loop reads `for (rpgc::ObjectView object : database.objects())`.
#ifndef RPGC_VIEW_RANGE_H_
#define RPGC_VIEW_RANGE_H_

#include <cstdint>

#include "rpgc/value_views.h"

namespace rpgc {

/// The items 0 .. size() - 1 of owner, each made by (owner.*At)(index) when reached.
/// Valid while the owner is; costs nothing to make.
template <class Owner, class Item, Item (Owner::*At)(int32_t) const>
class ViewRange {
 public:
  using iterator = detail::IndexIterator<ViewRange, Item>;

  ViewRange(const Owner* owner, int32_t size) : owner_(owner), size_(size) {}
  int32_t size() const noexcept { return size_; }
  bool empty() const noexcept { return size_ == 0; }
  Item operator[](int32_t index) const { return (owner_->*At)(index); }
  iterator begin() const { return {this, 0}; }
  iterator end() const { return {this, size_}; }

 private:
  const Owner* owner_;
  int32_t size_;
};

}  // namespace rpgc

#endif  // RPGC_VIEW_RANGE_H_
