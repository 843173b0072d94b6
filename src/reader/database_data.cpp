// readDatabase: the walk over the records and property chunks of a database body, with
// every end offset, count and value checked, then the declared properties and the index
// by name.
#include "reader/database_data.h"

#include <algorithm>
#include <span>
#include <utility>

#include "format/container_layout.h"
#include "reader/body_reader.h"
#include "reader/declared_properties.h"

namespace rpgc::detail {

namespace {

// Checks the value of the property chunk at chunk, which ends at end, and keeps the
// elements of a reference list.
bool checkValue(BodyReader& body, int32_t chunk, int32_t end, DatabaseData& data) {
  const FileImage& image = body.image();
  int32_t at = chunk + format::kPropertyValue;
  int32_t word = 0;
  switch (static_cast<PropertyKind>(image.word(chunk + format::kPropertyKind))) {
    case PropertyKind::kInteger:
    case PropertyKind::kFloat:
    case PropertyKind::kAtom:
      return body.word(at, end, FilePart::kValue, word);
    case PropertyKind::kReference:
      // No target: the instance alone. Otherwise the instance and the name.
      return body.word(at + format::kReferenceInstance, end, FilePart::kValue, word) &&
             (word < 0 || body.word(at + format::kReferenceName, end, FilePart::kValue, word));
    case PropertyKind::kIntegerList:
    case PropertyKind::kFloatList:
    case PropertyKind::kAtomList:
      return body.count(at, end, format::kWordBytes, FilePart::kValue, word);
    case PropertyKind::kReferenceList: {
      int32_t count = 0;
      if (!body.count(at, end, format::kWordBytes, FilePart::kValue, count)) return false;
      data.referenceLists.push_back({chunk, static_cast<int32_t>(data.references.size())});
      at = chunk + format::kListElements;
      for (int32_t k = 0; k < count; ++k) {
        StoredReference element;
        if (!body.word(at + format::kReferenceInstance, end, FilePart::kValue, element.instance)) {
          return false;
        }
        at += format::kWordBytes;
        if (element.instance >= 0) {
          if (!body.word(at, end, FilePart::kValue, element.nameIndex)) return false;
          at += format::kWordBytes;
        }
        data.references.push_back(element);
      }
      return true;
    }
    case PropertyKind::kNone:
      break;
  }
  return true;  // kinds without a value
}

// The chunk at `at` inside [.., limit): its end offset, a body offset, as a file offset.
bool chunkEnd(BodyReader& body, int32_t at, int32_t headerBytes, int32_t limit, FilePart part,
              int32_t& end) {
  if (!BodyReader::holds(at, 1, format::kChunkHeaderBytes, limit)) {
    return body.fail(ReadFailure::kTruncated, part, at);
  }
  int32_t stored = body.image().word(at + format::kChunkEndOffset);
  int64_t fileEnd = int64_t{body.image().bodyOffset} + stored;
  if (fileEnd < int64_t{at} + headerBytes || fileEnd > limit) {
    return body.fail(ReadFailure::kBadEnd, part, at, stored);
  }
  end = static_cast<int32_t>(fileEnd);
  return true;
}

}  // namespace

ReadStatus readDatabase(std::vector<uint8_t> bytes, DatabaseData& data) {
  data = DatabaseData();
  ReadStatus status = loadImage(std::move(bytes), data.image);
  if (!status.ok()) return status;
  const FileImage& image = data.image;
  BodyReader body(image);
  StorageRoles roles(image);
  const int32_t bodyEnd = image.bodyEnd();
  for (int32_t at = image.bodyOffset; at < bodyEnd;) {
    // A record: its chunk header, then the class atom and the flags word.
    int32_t recordEnd = 0;
    if (!chunkEnd(body, at, format::kRecordHeaderBytes, bodyEnd, FilePart::kRecord, recordEnd)) {
      return body.status;
    }
    ObjectEntry object;
    object.record = at;
    object.firstProperty = static_cast<int32_t>(data.properties.size());
    for (int32_t chunk = at + format::kRecordProperties; chunk < recordEnd;) {
      int32_t chunkEndAt = 0;
      if (!chunkEnd(body, chunk, format::kChunkHeaderBytes, recordEnd, FilePart::kProperty,
                    chunkEndAt) ||
          !checkValue(body, chunk, chunkEndAt, data)) {
        return body.status;
      }
      data.properties.push_back(chunk);
      chunk = chunkEndAt;
    }
    object.propertyCount = static_cast<int32_t>(data.properties.size()) - object.firstProperty;
    object.firstDeclared = static_cast<int32_t>(data.declared.size());
    data.storesDeclared.resize(data.properties.size(), 0);
    auto first = static_cast<size_t>(object.firstProperty);
    auto count = static_cast<size_t>(object.propertyCount);
    object.declaredListsMatch =
        roles.pair(roles.classOf(image.word(at + format::kRecordClass)),
                   std::span<const int32_t>(data.properties).subspan(first, count),
                   std::span<uint8_t>(data.storesDeclared).subspan(first, count), data.declared);
    object.declaredCount = static_cast<int32_t>(data.declared.size()) - object.firstDeclared;
    data.objects.push_back(object);
    at = recordEnd;
  }

  data.byName.resize(data.objects.size());
  for (size_t i = 0; i < data.byName.size(); ++i) data.byName[i] = static_cast<int32_t>(i);
  std::sort(data.byName.begin(), data.byName.end(), [&](int32_t a, int32_t b) {
    std::string_view nameA = data.objectName(a);
    std::string_view nameB = data.objectName(b);
    return nameA != nameB ? nameA < nameB : a < b;
  });
  return status;
}

}  // namespace rpgc::detail
