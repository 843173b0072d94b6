// PropertyView: values decoded from the chunk of a record or from the storage lists.
#include "rpgc/property_view.h"

#include <algorithm>

#include "format/container_layout.h"
#include "reader/database_data.h"
#include "reader/view_maker.h"

namespace rpgc {

namespace {

// Where one property's value is: a chunk of a record (the value after its header; a
// list's elements after their count) or the paired storage lists.
struct ValuePlace {
  PropertyKind kind = PropertyKind::kNone;
  int32_t value = 0;     // the scalar, or a list's first element
  int32_t count = 0;     // elements of a list
  int32_t maximum = -1;  // an item's FLOAT range
  int32_t chunk = -1;    // the chunk, for a property of the record
};

ValuePlace placeOf(const detail::DatabaseData* data, int32_t index, bool declared) {
  ValuePlace place;
  if (data == nullptr) return place;
  if (declared) {
    const detail::DeclaredEntry& entry = data->declared[static_cast<size_t>(index)];
    place.kind = entry.kind;
    place.value = entry.values;
    place.count = entry.count;
    place.maximum = entry.maximum;
    return place;
  }
  const detail::FileImage& image = data->image;
  place.chunk = data->properties[static_cast<size_t>(index)];
  place.kind = static_cast<PropertyKind>(image.word(place.chunk + format::kPropertyKind));
  place.value = place.chunk + format::kPropertyValue;
  if (isListKind(place.kind)) {
    place.count = image.word(place.chunk + format::kListCount);
    place.value = place.chunk + format::kListElements;
  }
  return place;
}

}  // namespace

using detail::ViewMaker;

std::string_view PropertyView::name() const noexcept {
  if (data_ == nullptr) return {};
  const detail::FileImage& image = data_->image;
  if (declared_) return image.atomName(data_->declared[static_cast<size_t>(index_)].nameIndex);
  return image.atomName(
      image.word(data_->properties[static_cast<size_t>(index_)] + format::kChunkTag));
}

PropertyKind PropertyView::kind() const noexcept {
  return placeOf(data_, index_, declared_).kind;
}

bool PropertyView::isDeclared() const noexcept {
  return declared_;
}

bool PropertyView::storesDeclared() const noexcept {
  return data_ != nullptr && !declared_ && data_->storesDeclared[static_cast<size_t>(index_)] != 0;
}

bool PropertyView::isRange() const noexcept {
  return data_ != nullptr && declared_ && data_->declared[static_cast<size_t>(index_)].maximum >= 0;
}

int32_t PropertyView::size() const noexcept {
  ValuePlace place = placeOf(data_, index_, declared_);
  if (declared_ || isListKind(place.kind)) return place.count;
  return place.kind >= PropertyKind::kInteger && place.kind <= PropertyKind::kReference ? 1 : 0;
}

int32_t PropertyView::integer() const noexcept {
  ValuePlace place = placeOf(data_, index_, declared_);
  return place.kind == PropertyKind::kInteger ? data_->image.word(place.value) : 0;
}

float PropertyView::real() const noexcept {
  ValuePlace place = placeOf(data_, index_, declared_);
  return place.kind == PropertyKind::kFloat ? data_->image.real(place.value) : 0.0f;
}

float PropertyView::maximum() const noexcept {
  ValuePlace place = placeOf(data_, index_, declared_);
  if (place.kind != PropertyKind::kFloat) return 0.0f;
  return data_->image.real(place.maximum >= 0 ? place.maximum : place.value);
}

std::string_view PropertyView::atom() const noexcept {
  ValuePlace place = placeOf(data_, index_, declared_);
  if (place.kind != PropertyKind::kAtom) return {};
  return data_->image.atomName(data_->image.word(place.value));
}

ObjectReference PropertyView::reference() const noexcept {
  ValuePlace place = placeOf(data_, index_, declared_);
  if (place.kind != PropertyKind::kReference) return {};
  const detail::FileImage& image = data_->image;
  if (declared_) return {true, 0, image.atomName(image.word(place.value))};
  int32_t instance = image.word(place.value + format::kReferenceInstance);
  if (instance < 0) return {};
  return {true, instance, image.atomName(image.word(place.value + format::kReferenceName))};
}

IntegerValues PropertyView::integers() const noexcept {
  ValuePlace place = placeOf(data_, index_, declared_);
  if (place.kind != PropertyKind::kIntegerList) return {};
  return ViewMaker::integers(data_->image.at(place.value), place.count);
}

FloatValues PropertyView::floats() const noexcept {
  ValuePlace place = placeOf(data_, index_, declared_);
  if (place.kind != PropertyKind::kFloatList) return {};
  return ViewMaker::floats(data_->image.at(place.value), place.count);
}

AtomValues PropertyView::atoms() const noexcept {
  ValuePlace place = placeOf(data_, index_, declared_);
  if (place.kind != PropertyKind::kAtomList) return {};
  return ViewMaker::atoms(data_->image.at(place.value), place.count, data_->image.names());
}

ReferenceValues PropertyView::references() const noexcept {
  ValuePlace place = placeOf(data_, index_, declared_);
  if (place.kind != PropertyKind::kReferenceList) return {};
  const detail::FileImage& image = data_->image;
  if (declared_) {
    return ViewMaker::references(nullptr, image.at(place.value), place.count, image.names());
  }
  // The elements of a stored list were kept when the file was read, in file order.
  auto list = std::lower_bound(
      data_->referenceLists.begin(), data_->referenceLists.end(), place.chunk,
      [](const detail::ReferenceList& stored, int32_t chunk) { return stored.chunk < chunk; });
  if (list == data_->referenceLists.end() || list->chunk != place.chunk) return {};
  return ViewMaker::references(data_->references.data() + list->first, nullptr, place.count,
                               image.names());
}

int64_t PropertyView::fileOffset() const noexcept {
  ValuePlace place = placeOf(data_, index_, declared_);
  return declared_ ? place.value : place.chunk;
}

}  // namespace rpgc
