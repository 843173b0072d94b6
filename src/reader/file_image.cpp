// FileImage: reading a file whole, and the container header walked with the filter's
// call lengths.
#include "reader/file_image.h"

#include <algorithm>
#include <utility>

#include "archive/atom_entry.h"
#include "archive/scramble_stream.h"
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
    if (!field(4, part, false)) return false;
    value = image.word(at - 4);
    return true;
  };
  auto length = [&](FilePart part, int32_t& value) {
    return word(part, value) &&
           (value >= 0 || check.fail(ReadFailure::kNegative, part, at - 4, value));
  };

  int32_t versionBits = 0;
  int32_t atomCount = 0;
  int32_t bodyLength = 0;
  if (!length(FilePart::kProjectName, image.nameSize)) return check.status;
  image.nameOffset = at;
  if (!field(image.nameSize, FilePart::kProjectName, true)) return check.status;
  if (image.nameSize > 0 && data[at - 1] != 0) {
    check.fail(ReadFailure::kNoZeroByte, FilePart::kProjectName, image.nameOffset);
    return check.status;
  }
  if (!word(FilePart::kVersion, versionBits)) return check.status;
  image.version = image.real(at - 4);
  if (!length(FilePart::kAtomCount, atomCount)) return check.status;
  // Every entry takes at least its 4-byte length: reserve no more than the file holds.
  image.atomNames.reserve(static_cast<size_t>(std::min(atomCount, (size - at) / 4)));
  for (int32_t i = 0; i < atomCount; ++i) {
    int32_t textLength = 0;
    if (!word(FilePart::kAtomName, textLength)) return check.status;
    if (textLength > kMaxAtomNameLength) {
      check.fail(ReadFailure::kNameTooLong, FilePart::kAtomName, at - 4, textLength);
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
