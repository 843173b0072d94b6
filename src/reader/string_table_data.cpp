// readStringTable: the walk over the section records of a string table body.
#include "reader/string_table_data.h"

#include <algorithm>
#include <utility>

#include "format/container_layout.h"
#include "reader/body_reader.h"

namespace rpgc::detail {

ReadStatus readStringTable(std::vector<uint8_t> bytes, StringTableData& data) {
  data = StringTableData();
  ReadStatus status = loadImage(std::move(bytes), data.image);
  if (!status.ok()) return status;
  const FileImage& image = data.image;
  BodyReader body(image);
  const int32_t end = image.bodyEnd();
  int32_t at = image.bodyOffset + format::kSectionCount;
  int32_t sectionCount = 0;
  // Each record takes at least its header: name, random flag, text count.
  if (!body.count(at, end, format::kSectionHeaderBytes, FilePart::kSectionCount, sectionCount)) {
    return body.status;
  }
  at = image.bodyOffset + format::kFirstSection;
  data.sections.reserve(static_cast<size_t>(sectionCount));
  for (int32_t i = 0; i < sectionCount; ++i) {
    int32_t textCount = 0;
    if (!BodyReader::holds(at, 1, format::kSectionHeaderBytes, end)) {
      body.fail(ReadFailure::kTruncated, FilePart::kSection, at);
      return body.status;
    }
    // Each text takes at least its size word.
    if (!body.count(at + format::kSectionTextCount, end, format::kWordBytes, FilePart::kSection,
                    textCount)) {
      return body.status;
    }
    data.sections.push_back({at, static_cast<int32_t>(data.texts.size())});
    at += format::kSectionTexts;
    for (int32_t k = 0; k < textCount; ++k) {
      int32_t size = 0;
      if (!body.word(at + format::kTextSize, end, FilePart::kText, size)) return body.status;
      if (size < 0) {
        body.fail(ReadFailure::kNegative, FilePart::kText, at, size);
        return body.status;
      }
      const int64_t textBytes = int64_t{at} + format::kTextBytes;
      if (!BodyReader::holds(textBytes, size, 1, end)) {
        body.fail(ReadFailure::kTruncated, FilePart::kText, at, size);
        return body.status;
      }
      // The stored size counts the zero byte that ends the text.
      if (size > 0 && image.bytes[static_cast<size_t>(textBytes + size - 1)] != 0) {
        body.fail(ReadFailure::kNoZeroByte, FilePart::kText, at);
        return body.status;
      }
      data.texts.push_back(at);
      at = static_cast<int32_t>(textBytes + size);
    }
  }
  if (at != end) {
    body.fail(ReadFailure::kExtraBytes, FilePart::kBody, at);
    return body.status;
  }

  data.byName.resize(data.sections.size());
  for (size_t i = 0; i < data.byName.size(); ++i) data.byName[i] = static_cast<int32_t>(i);
  std::sort(data.byName.begin(), data.byName.end(), [&](int32_t a, int32_t b) {
    std::string_view nameA = data.sectionName(a);
    std::string_view nameB = data.sectionName(b);
    return nameA != nameB ? nameA < nameB : a < b;
  });
  return status;
}

}  // namespace rpgc::detail
