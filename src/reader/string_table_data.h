// StringTableData: a string table read and checked whole: the unscrambled file and an
// index of its sections and texts.
#ifndef RPGC_READER_STRING_TABLE_DATA_H_
#define RPGC_READER_STRING_TABLE_DATA_H_

#include <cstdint>
#include <string_view>
#include <vector>

#include "format/container_layout.h"
#include "reader/file_image.h"
#include "rpgc/read_status.h"

namespace rpgc::detail {

struct SectionEntry {
  int32_t record = 0;     // file offset of the section's record: name, random flag, count
  int32_t firstText = 0;  // into StringTableData::texts
};

struct StringTableData {
  FileImage image;
  std::vector<SectionEntry> sections;
  std::vector<int32_t> texts;   // file offsets of each text's size word, section by section
  std::vector<int32_t> byName;  // section indices sorted by name, then index

  std::string_view sectionName(int32_t section) const {
    return image.atomName(
        image.word(sections[static_cast<size_t>(section)].record + format::kSectionName));
  }
};

/// Reads bytes as a string table into data.
ReadStatus readStringTable(std::vector<uint8_t> bytes, StringTableData& data);

}  // namespace rpgc::detail

#endif  // RPGC_READER_STRING_TABLE_DATA_H_
