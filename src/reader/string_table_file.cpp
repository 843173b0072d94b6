// StringTableFile and StringSectionView: opening, sections and their texts.
#include "rpgc/string_table_file.h"

#include <algorithm>
#include <utility>
#include <vector>

#include "format/container_layout.h"
#include "reader/string_table_data.h"
#include "reader/view_maker.h"

namespace rpgc {

namespace {

ReadStatus openData(std::vector<uint8_t> bytes, std::unique_ptr<detail::StringTableData>& data) {
  data.reset();
  auto read = std::make_unique<detail::StringTableData>();
  ReadStatus status = detail::readStringTable(std::move(bytes), *read);
  if (status.ok()) data = std::move(read);
  return status;
}

bool validSection(const detail::StringTableData* data, int32_t index) {
  return data != nullptr && index >= 0 && static_cast<size_t>(index) < data->sections.size();
}

}  // namespace

std::string_view StringSectionView::name() const noexcept {
  return validSection(data_, index_) ? data_->sectionName(index_) : std::string_view();
}

bool StringSectionView::random() const noexcept {
  if (!validSection(data_, index_)) return false;
  return data_->image.word(data_->sections[static_cast<size_t>(index_)].record +
                           format::kSectionRandom) != 0;
}

int32_t StringSectionView::textCount() const noexcept {
  if (!validSection(data_, index_)) return 0;
  return data_->image.word(data_->sections[static_cast<size_t>(index_)].record +
                           format::kSectionTextCount);
}

std::string_view StringSectionView::text(int32_t i) const noexcept {
  if (i < 0 || i >= textCount()) return {};
  const detail::FileImage& image = data_->image;
  int32_t at =
      data_->texts[static_cast<size_t>(data_->sections[static_cast<size_t>(index_)].firstText + i)];
  int32_t size = image.word(at + format::kTextSize);
  if (size <= 0) return {};
  return {reinterpret_cast<const char*>(image.at(at + format::kTextBytes)),
          static_cast<size_t>(size - 1)};
}

int64_t StringSectionView::fileOffset() const noexcept {
  return validSection(data_, index_) ? data_->sections[static_cast<size_t>(index_)].record : 0;
}

StringTableFile::StringTableFile() noexcept = default;
StringTableFile::~StringTableFile() = default;
StringTableFile::StringTableFile(StringTableFile&& other) noexcept = default;
StringTableFile& StringTableFile::operator=(StringTableFile&& other) noexcept = default;

ReadStatus StringTableFile::open(const std::string& path) {
  close();
  std::vector<uint8_t> bytes;
  ReadStatus status = detail::readWholeFile(path, bytes);
  return status.ok() ? openData(std::move(bytes), data_) : status;
}

ReadStatus StringTableFile::openMemory(const void* data, size_t size) {
  close();
  const auto* first = static_cast<const uint8_t*>(data);
  return openData(std::vector<uint8_t>(first, first + (data == nullptr ? 0 : size)), data_);
}

void StringTableFile::close() noexcept {
  data_.reset();
}

FileHeader StringTableFile::header() const noexcept {
  return detail::ViewMaker::header(data_ == nullptr ? nullptr : &data_->image);
}

int32_t StringTableFile::sectionCount() const noexcept {
  return data_ == nullptr ? 0 : static_cast<int32_t>(data_->sections.size());
}

StringSectionView StringTableFile::section(int32_t index) const noexcept {
  if (!validSection(data_.get(), index)) return {};
  return detail::ViewMaker::section(data_.get(), index);
}

std::optional<StringSectionView> StringTableFile::find(std::string_view name) const noexcept {
  if (data_ == nullptr) return std::nullopt;
  const std::vector<int32_t>& byName = data_->byName;
  auto first =
      std::lower_bound(byName.begin(), byName.end(), name,
                       [&](int32_t i, std::string_view n) { return data_->sectionName(i) < n; });
  if (first == byName.end() || data_->sectionName(*first) != name) return std::nullopt;
  return detail::ViewMaker::section(data_.get(), *first);
}

}  // namespace rpgc
