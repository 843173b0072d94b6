// FileImage: reading a file whole, and the container header walked with the filter's
// call lengths.
#include "reader/file_image.h"

#include <algorithm>
#include <utility>

#include "format/container_layout.h"
#include "format/scramble.h"
#include "reader/body_reader.h"
#include "reader/whole_file.h"

namespace rpgc::detail {

ReadStatus readWholeFile(const std::string& path, std::vector<uint8_t>& bytes, size_t limit) {
  WholeFileStatus read = loadWholeFile(path, bytes, limit);
  ReadStatus status;
  if (read.outcome == WholeFileStatus::Outcome::kTooLarge) status.failure = ReadFailure::kTooLarge;
  if (read.outcome == WholeFileStatus::Outcome::kCannotRead) {
    status.failure = ReadFailure::kCannotOpen;
    status.systemError = read.systemError;
  }
  return status;
}

ReadStatus loadImage(std::vector<uint8_t> bytes, FileImage& image) {
  image = FileImage();
  ReadStatus status;
  if (bytes.size() > kLargestFile) {
    status.failure = ReadFailure::kTooLarge;
    return status;
  }
  image.bytes = std::move(bytes);
  const auto size = static_cast<int32_t>(image.bytes.size());
  uint8_t* data = image.bytes.data();
  BodyReader check(image);
  ScrambleState filter;
  int32_t at = 0;
  // Each field is unscrambled as the write call that stored it (see docs/file-format.md).
  auto field = [&](int32_t length, FilePart part, bool oneByteCalls) {
    if (!BodyReader::holds(at, length, 1, size))
      return check.fail(ReadFailure::kTruncated, part, at);
    if (oneByteCalls) {
      unscrambleOneByteCalls(filter, data + at, length);
    } else {
      unscramble(filter, data + at, length);
    }
    at += length;
    return true;
  };
  auto word = [&](FilePart part, int32_t& value) {
    if (!field(format::kWordBytes, part, false)) return false;
    value = image.word(at - format::kWordBytes);
    return true;
  };
  auto length = [&](FilePart part, int32_t& value) {
    return word(part, value) &&
           (value >= 0 || check.fail(ReadFailure::kNegative, part, at - format::kWordBytes, value));
  };

  int32_t atomCount = 0;
  int32_t bodyLength = 0;
  if (!length(FilePart::kProjectName, image.nameSize)) return check.status;
  image.nameOffset = at;
  if (!field(image.nameSize, FilePart::kProjectName, true)) return check.status;
  if (image.nameSize > 0 && data[at - 1] != 0) {
    check.fail(ReadFailure::kNoZeroByte, FilePart::kProjectName, image.nameOffset);
    return check.status;
  }
  if (!field(format::kWordBytes, FilePart::kVersion, false)) return check.status;
  image.version = image.real(at - format::kWordBytes);
  if (!length(FilePart::kAtomCount, atomCount)) return check.status;
  // Every entry takes at least its length word: reserve no more than the file holds.
  image.atomNames.reserve(
      static_cast<size_t>(std::min(atomCount, (size - at) / format::kWordBytes)));
  for (int32_t i = 0; i < atomCount; ++i) {
    int32_t textLength = 0;
    if (!word(FilePart::kAtomName, textLength)) return check.status;
    if (textLength > format::kMaxAtomNameLength) {
      check.fail(ReadFailure::kNameTooLong, FilePart::kAtomName, at - format::kWordBytes,
                 textLength);
      return check.status;
    }
    if (textLength <= 0) {  // the empty name
      image.atomNames.emplace_back();
      continue;
    }
    if (!field(textLength, FilePart::kAtomName, false)) return check.status;
    image.atomNames.emplace_back(reinterpret_cast<const char*>(data + at - textLength),
                                 static_cast<size_t>(textLength));
  }
  if (!length(FilePart::kBodyLength, bodyLength)) return check.status;
  image.bodyOffset = at;
  image.bodyLength = bodyLength;
  if (!field(bodyLength, FilePart::kBody, true)) return check.status;
  if (at != size) check.fail(ReadFailure::kExtraBytes, FilePart::kFile, at);
  return check.status;
}

}  // namespace rpgc::detail
