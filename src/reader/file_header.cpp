// FileHeader: the header fields of an open file's image.
#include "rpgc/file_header.h"

#include "reader/file_image.h"

namespace rpgc {

std::string_view FileHeader::projectName() const noexcept {
  if (image_ == nullptr || image_->nameSize <= 0) return {};
  return {reinterpret_cast<const char*>(image_->at(image_->nameOffset)),
          static_cast<size_t>(image_->nameSize - 1)};
}

bool FileHeader::hasProjectName() const noexcept {
  return image_ != nullptr && image_->nameSize > 0;
}

float FileHeader::version() const noexcept {
  return image_ == nullptr ? 0.0f : image_->version;
}

int32_t FileHeader::atomCount() const noexcept {
  return image_ == nullptr ? 0 : static_cast<int32_t>(image_->atomNames.size());
}

std::string_view FileHeader::atomName(int32_t index) const noexcept {
  return image_ == nullptr ? std::string_view() : image_->atomName(index);
}

int64_t FileHeader::bodyOffset() const noexcept {
  return image_ == nullptr ? 0 : image_->bodyOffset;
}

int32_t FileHeader::bodyLength() const noexcept {
  return image_ == nullptr ? 0 : image_->bodyLength;
}

int64_t FileHeader::fileSize() const noexcept {
  return image_ == nullptr ? 0 : static_cast<int64_t>(image_->bytes.size());
}

}  // namespace rpgc
