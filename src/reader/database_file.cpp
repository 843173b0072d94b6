// DatabaseFile: opening, closing and the index by name.
#include "rpgc/database_file.h"

#include <algorithm>
#include <cstring>
#include <utility>
#include <vector>

#include "reader/database_data.h"
#include "reader/view_maker.h"

namespace rpgc {

namespace {

ReadStatus openData(std::vector<uint8_t> bytes, std::unique_ptr<detail::DatabaseData>& data) {
  data.reset();
  auto read = std::make_unique<detail::DatabaseData>();
  ReadStatus status = detail::readDatabase(std::move(bytes), *read);
  if (status.ok()) data = std::move(read);
  return status;
}

}  // namespace

DatabaseFile::DatabaseFile() noexcept = default;
DatabaseFile::~DatabaseFile() = default;
DatabaseFile::DatabaseFile(DatabaseFile&& other) noexcept = default;
DatabaseFile& DatabaseFile::operator=(DatabaseFile&& other) noexcept = default;

ReadStatus DatabaseFile::open(const std::string& path) {
  close();
  std::vector<uint8_t> bytes;
  ReadStatus status = detail::readWholeFile(path, bytes);
  return status.ok() ? openData(std::move(bytes), data_) : status;
}

ReadStatus DatabaseFile::openMemory(const void* data, size_t size) {
  close();
  const auto* first = static_cast<const uint8_t*>(data);
  return openData(std::vector<uint8_t>(first, first + (data == nullptr ? 0 : size)), data_);
}

void DatabaseFile::close() noexcept {
  data_.reset();
}

FileHeader DatabaseFile::header() const noexcept {
  return detail::ViewMaker::header(data_ == nullptr ? nullptr : &data_->image);
}

int32_t DatabaseFile::objectCount() const noexcept {
  return data_ == nullptr ? 0 : static_cast<int32_t>(data_->objects.size());
}

ObjectView DatabaseFile::object(int32_t index) const noexcept {
  if (index < 0 || index >= objectCount()) return {};
  return detail::ViewMaker::object(data_.get(), index);
}

std::optional<ObjectView> DatabaseFile::find(std::string_view name) const noexcept {
  if (data_ == nullptr) return std::nullopt;
  const std::vector<int32_t>& byName = data_->byName;
  auto first =
      std::lower_bound(byName.begin(), byName.end(), name,
                       [&](int32_t i, std::string_view n) { return data_->objectName(i) < n; });
  if (first == byName.end() || data_->objectName(*first) != name) return std::nullopt;
  return detail::ViewMaker::object(data_.get(), *first);
}

}  // namespace rpgc
