// ViewMaker: the one place that makes the public views out of the reader's data.
#ifndef RPGC_READER_VIEW_MAKER_H_
#define RPGC_READER_VIEW_MAKER_H_

#include <cstdint>

#include "reader/database_data.h"
#include "reader/file_image.h"
#include "reader/string_table_data.h"
#include "rpgc/file_header.h"
#include "rpgc/object_view.h"
#include "rpgc/property_view.h"
#include "rpgc/string_table_file.h"
#include "rpgc/value_views.h"

namespace rpgc::detail {

struct ViewMaker {
  static FileHeader header(const FileImage* image) { return FileHeader(image); }
  static ObjectView object(const DatabaseData* data, int32_t index) {
    return ObjectView(data, index);
  }
  static PropertyView property(const DatabaseData* data, int32_t index, bool declared) {
    return PropertyView(data, index, declared);
  }
  static StringSectionView section(const StringTableData* data, int32_t index) {
    return StringSectionView(data, index);
  }
  static IntegerValues integers(const uint8_t* bytes, int32_t size) { return {bytes, size}; }
  static FloatValues floats(const uint8_t* bytes, int32_t size) { return {bytes, size}; }
  static AtomValues atoms(const uint8_t* bytes, int32_t size, AtomNames names) {
    return {bytes, size, names};
  }
  static ReferenceValues references(const StoredReference* stored, const uint8_t* nameBytes,
                                    int32_t size, AtomNames names) {
    return {stored, nameBytes, size, names};
  }
};

}  // namespace rpgc::detail

#endif  // RPGC_READER_VIEW_MAKER_H_
