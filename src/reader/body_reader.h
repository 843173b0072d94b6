// BodyReader: the checked reads of a body walk. Every word, count and size read from the
// body goes through holds(), the reader's one bounds check, against the end of the body
// or of the innermost chunk, and a failed read records where and why.
#ifndef RPGC_READER_BODY_READER_H_
#define RPGC_READER_BODY_READER_H_

#include <cstdint>

#include "format/container_layout.h"
#include "reader/file_image.h"
#include "rpgc/read_status.h"

namespace rpgc::detail {

class BodyReader {
 public:
  explicit BodyReader(const FileImage& image) : image_(&image) {}

  /// Whether count items of itemBytes bytes each fit between at and limit; a negative
  /// count never does. In 64 bits, so that no count can wrap.
  static bool holds(int64_t at, int64_t count, int64_t itemBytes, int64_t limit) {
    return count >= 0 && at <= limit && count * itemBytes <= limit - at;
  }

  /// The word at `at`; it must end by limit, else the part runs past its end.
  bool word(int32_t at, int32_t limit, FilePart part, int32_t& value) {
    if (!holds(at, 1, format::kWordBytes, limit)) return fail(ReadFailure::kTruncated, part, at);
    value = image_->word(at);
    return true;
  }

  /// A count at `at` of items of itemBytes bytes each that follow it and must end by
  /// limit.
  bool count(int32_t at, int32_t limit, int32_t itemBytes, FilePart part, int32_t& value) {
    if (!word(at, limit, part, value)) return false;
    if (value < 0) return fail(ReadFailure::kNegative, part, at, value);
    if (!holds(int64_t{at} + format::kWordBytes, value, itemBytes, limit)) {
      return fail(ReadFailure::kTooMany, part, at, value);
    }
    return true;
  }

  bool fail(ReadFailure failure, FilePart part, int64_t offset, int64_t value = 0) {
    status.failure = failure;
    status.part = part;
    status.offset = offset;
    status.value = value;
    return false;
  }

  const FileImage& image() const { return *image_; }

  ReadStatus status;

 private:
  const FileImage* image_;
};

}  // namespace rpgc::detail

#endif  // RPGC_READER_BODY_READER_H_
