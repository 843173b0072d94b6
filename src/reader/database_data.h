// DatabaseData: an object database read and checked whole: the unscrambled file, an
// index of its records and property chunks, and the declared properties paired up.
#ifndef RPGC_READER_DATABASE_DATA_H_
#define RPGC_READER_DATABASE_DATA_H_

#include <cstdint>
#include <vector>

#include "format/container_layout.h"
#include "reader/file_image.h"
#include "rpgc/property_kind.h"
#include "rpgc/read_status.h"
#include "rpgc/value_views.h"

namespace rpgc::detail {

struct ObjectEntry {
  int32_t record = 0;         // file offset of the record chunk
  int32_t firstProperty = 0;  // into DatabaseData::properties
  int32_t propertyCount = 0;
  int32_t firstDeclared = 0;  // into DatabaseData::declared
  int32_t declaredCount = 0;
  bool declaredListsMatch = true;
};

/// One declared property, paired up from the storage lists.
struct DeclaredEntry {
  int32_t nameIndex = -1;  // atom index of its name
  PropertyKind kind = PropertyKind::kNone;
  int32_t values = 0;    // file offset of its first value
  int32_t count = 0;     // values: 1 for a single one
  int32_t maximum = -1;  // an item's FLOAT range: file offset of the maximum
};

/// A stored reference list (kind 8): where its elements start in references.
struct ReferenceList {
  int32_t chunk = 0;
  int32_t first = 0;
};

struct DatabaseData {
  FileImage image;
  std::vector<ObjectEntry> objects;
  std::vector<int32_t> properties;      // file offsets of property chunks, object by object
  std::vector<uint8_t> storesDeclared;  // by property chunk: 1 for a storage list used
  std::vector<DeclaredEntry> declared;
  std::vector<StoredReference> references;
  std::vector<ReferenceList> referenceLists;  // in file order
  std::vector<int32_t> byName;                // object indices sorted by name, then index

  std::string_view objectName(int32_t object) const {
    return image.atomName(
        image.word(objects[static_cast<size_t>(object)].record + format::kChunkTag));
  }
};

/// Reads bytes as an object database into data.
ReadStatus readDatabase(std::vector<uint8_t> bytes, DatabaseData& data);

}  // namespace rpgc::detail

#endif  // RPGC_READER_DATABASE_DATA_H_
