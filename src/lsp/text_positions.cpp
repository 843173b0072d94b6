// Columns in code units: one walk over the line's characters, shared by both directions.
#include "lsp/text_positions.h"

#include "core/utf8.h"

namespace rpgc::lsp {

namespace {

// Calls step(byteOffset, byteLength, units) for each character of line until it returns
// false; returns the byte offset where the walk stopped.
template <typename Step>
size_t walkCharacters(std::string_view line, PositionEncoding encoding, Step step) {
  size_t at = 0;
  while (at < line.size()) {
    size_t length = utf8Length(line, at);
    int32_t units;
    if (length == 0) {
      length = 1;
      units = encoding == PositionEncoding::kUtf16 ? 1 : 3;
    } else if (encoding == PositionEncoding::kUtf8) {
      units = static_cast<int32_t>(length);
    } else {
      units = length == 4 ? 2 : 1;
    }
    if (!step(at, length, units)) return at;
    at += length;
  }
  return at;
}

}  // namespace

int32_t columnOfByte(std::string_view line, size_t bytes, PositionEncoding encoding) {
  int32_t column = 0;
  walkCharacters(line, encoding, [&](size_t at, size_t, int32_t units) {
    if (at >= bytes) return false;
    column += units;
    return true;
  });
  return column;
}

size_t byteOfColumn(std::string_view line, int64_t column, PositionEncoding encoding) {
  int64_t units = 0;
  return walkCharacters(line, encoding, [&](size_t, size_t, int32_t width) {
    if (units + width > column) return false;
    units += width;
    return true;
  });
}

}  // namespace rpgc::lsp
