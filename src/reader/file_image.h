// FileImage: a string table or database file read whole, unscrambled, with its container
// header (project name, version, atom table, body place) checked and parsed.
//
// Everything the reader gives out is a view into these bytes, so an image is neither
// copied nor moved once a file is open (the file objects hold it behind a pointer).
#ifndef RPGC_READER_FILE_IMAGE_H_
#define RPGC_READER_FILE_IMAGE_H_

#include <cstddef>
#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "format/container_layout.h"
#include "rpgc/read_status.h"
#include "rpgc/value_views.h"

namespace rpgc::detail {

struct FileImage {
  std::vector<uint8_t> bytes;  // the whole file, unscrambled
  int32_t nameOffset = 0;      // the project name's first byte
  int32_t nameSize = 0;        // its stored size, the zero byte included; 0 when absent
  float version = 0.0f;
  std::vector<std::string_view> atomNames;  // entry i of the atom table, into bytes
  int32_t bodyOffset = 0;
  int32_t bodyLength = 0;

  const uint8_t* at(int32_t offset) const { return bytes.data() + offset; }
  int32_t word(int32_t offset) const { return loadInt32(at(offset)); }
  float real(int32_t offset) const { return loadFloat(at(offset)); }
  AtomNames names() const { return {atomNames.data(), static_cast<int32_t>(atomNames.size())}; }
  std::string_view atomName(int32_t index) const { return names().at(index); }
  int32_t bodyEnd() const { return bodyOffset + bodyLength; }
};

/// The largest file the format allows.
inline constexpr auto kLargestFile = static_cast<size_t>(format::kLargestSize);

/// Reads the file at path whole into bytes. A file larger than limit fails with
/// kTooLarge: unread when its size is known, else after reading limit + 1 bytes (a pipe,
/// a device).
ReadStatus readWholeFile(const std::string& path, std::vector<uint8_t>& bytes,
                         size_t limit = kLargestFile);

/// Takes bytes as a container: unscrambles them with the call lengths the format fixes,
/// checks and parses the header, and requires the body to end the file.
ReadStatus loadImage(std::vector<uint8_t> bytes, FileImage& image);

}  // namespace rpgc::detail

#endif  // RPGC_READER_FILE_IMAGE_H_
