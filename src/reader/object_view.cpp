// ObjectView: the record's fields, its properties, and lookup by name.
#include "rpgc/object_view.h"

#include "format/container_layout.h"
#include "reader/database_data.h"
#include "reader/view_maker.h"

namespace rpgc {

namespace {

const detail::ObjectEntry* entryOf(const detail::DatabaseData* data, int32_t index) {
  if (data == nullptr || index < 0 || static_cast<size_t>(index) >= data->objects.size()) {
    return nullptr;
  }
  return &data->objects[static_cast<size_t>(index)];
}

}  // namespace

using detail::ViewMaker;

std::string_view ObjectView::name() const noexcept {
  const detail::ObjectEntry* entry = entryOf(data_, index_);
  return entry == nullptr ? std::string_view() : data_->objectName(index_);
}

std::string_view ObjectView::className() const noexcept {
  const detail::ObjectEntry* entry = entryOf(data_, index_);
  if (entry == nullptr) return {};
  return data_->image.atomName(data_->image.word(entry->record + format::kRecordClass));
}

int32_t ObjectView::flags() const noexcept {
  const detail::ObjectEntry* entry = entryOf(data_, index_);
  return entry == nullptr ? 0 : data_->image.word(entry->record + format::kRecordFlags);
}

int64_t ObjectView::fileOffset() const noexcept {
  const detail::ObjectEntry* entry = entryOf(data_, index_);
  return entry == nullptr ? 0 : entry->record;
}

int32_t ObjectView::propertyCount() const noexcept {
  const detail::ObjectEntry* entry = entryOf(data_, index_);
  return entry == nullptr ? 0 : entry->propertyCount;
}

PropertyView ObjectView::property(int32_t index) const noexcept {
  const detail::ObjectEntry* entry = entryOf(data_, index_);
  if (entry == nullptr || index < 0 || index >= entry->propertyCount) return {};
  return ViewMaker::property(data_, entry->firstProperty + index, false);
}

int32_t ObjectView::declaredCount() const noexcept {
  const detail::ObjectEntry* entry = entryOf(data_, index_);
  return entry == nullptr ? 0 : entry->declaredCount;
}

PropertyView ObjectView::declaredProperty(int32_t index) const noexcept {
  const detail::ObjectEntry* entry = entryOf(data_, index_);
  if (entry == nullptr || index < 0 || index >= entry->declaredCount) return {};
  return ViewMaker::property(data_, entry->firstDeclared + index, true);
}

bool ObjectView::declaredListsMatch() const noexcept {
  const detail::ObjectEntry* entry = entryOf(data_, index_);
  return entry == nullptr || entry->declaredListsMatch;
}

std::optional<PropertyView> ObjectView::find(std::string_view name) const noexcept {
  // The last match wins: walk backwards, the record's properties before declared ones.
  for (int32_t i = propertyCount() - 1; i >= 0; --i) {
    if (PropertyView property = this->property(i); property.name() == name) return property;
  }
  for (int32_t i = declaredCount() - 1; i >= 0; --i) {
    if (PropertyView property = declaredProperty(i); property.name() == name) return property;
  }
  return std::nullopt;
}

std::optional<PropertyView> ObjectView::find(std::string_view name,
                                             PropertyKind kind) const noexcept {
  for (int32_t i = propertyCount() - 1; i >= 0; --i) {
    PropertyView property = this->property(i);
    if (property.kind() == kind && property.name() == name) return property;
  }
  for (int32_t i = declaredCount() - 1; i >= 0; --i) {
    PropertyView property = declaredProperty(i);
    if (property.kind() == kind && property.name() == name) return property;
  }
  return std::nullopt;
}

std::optional<int32_t> ObjectView::integer(std::string_view name) const noexcept {
  if (auto property = find(name, PropertyKind::kInteger)) return property->integer();
  return std::nullopt;
}

std::optional<float> ObjectView::real(std::string_view name) const noexcept {
  if (auto property = find(name, PropertyKind::kFloat)) return property->real();
  return std::nullopt;
}

std::optional<std::string_view> ObjectView::atom(std::string_view name) const noexcept {
  if (auto property = find(name, PropertyKind::kAtom)) return property->atom();
  return std::nullopt;
}

std::optional<ObjectReference> ObjectView::reference(std::string_view name) const noexcept {
  if (auto property = find(name, PropertyKind::kReference)) return property->reference();
  return std::nullopt;
}

std::optional<IntegerValues> ObjectView::integers(std::string_view name) const noexcept {
  if (auto property = find(name, PropertyKind::kIntegerList)) return property->integers();
  return std::nullopt;
}

std::optional<FloatValues> ObjectView::floats(std::string_view name) const noexcept {
  if (auto property = find(name, PropertyKind::kFloatList)) return property->floats();
  return std::nullopt;
}

std::optional<AtomValues> ObjectView::atoms(std::string_view name) const noexcept {
  if (auto property = find(name, PropertyKind::kAtomList)) return property->atoms();
  return std::nullopt;
}

std::optional<ReferenceValues> ObjectView::references(std::string_view name) const noexcept {
  if (auto property = find(name, PropertyKind::kReferenceList)) return property->references();
  return std::nullopt;
}

}  // namespace rpgc
