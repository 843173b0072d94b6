// readLines: whole-file binary read, then a split on line feeds.
#include "source/line_reader.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

namespace rpgc {

namespace {

constexpr long kLargestReservation = 1L << 30;

bool isTrailingBlank(char c) {
  auto byte = static_cast<unsigned char>(c);
  return byte >= 0x01 && byte <= 0x20;
}

bool readWholeFile(const char* path, std::string& content, int* errorCode) {
  errno = 0;
  std::FILE* file = std::fopen(path, "rb");
  if (file == nullptr) {
    if (errorCode != nullptr) *errorCode = errno != 0 ? errno : ENOENT;
    return false;
  }
  // Reserve the file's size up front so the buffer is allocated once.
  if (std::fseek(file, 0, SEEK_END) == 0) {
    long size = std::ftell(file);
    // (A folder can report any size here; the read below fails for it.)
    if (size > 0 && size < kLargestReservation) content.reserve(static_cast<size_t>(size));
    std::rewind(file);
  }
  char block[1 << 16];
  size_t got;
  errno = 0;
  while ((got = std::fread(block, 1, sizeof block, file)) > 0) content.append(block, got);
  bool failed = std::ferror(file) != 0;
  int readError = errno != 0 ? errno : EIO;
  std::fclose(file);
  if (failed) {
    if (errorCode != nullptr) *errorCode = readError;
    return false;
  }
  return true;
}

}  // namespace

namespace {

// The longest line and the most lines a line list can hold.
constexpr size_t kLongestLine = INT32_MAX - 1;
constexpr int32_t kMostLines = INT32_MAX - 1;

// Cuts content into lines; false when a line or the number of lines passes the limits.
bool splitInto(std::string_view content, StringList& lines) {
  // A UTF-8 byte order mark is not text: bytes 0x80 to 0xFF are token bytes, so a mark
  // glued to the first header would hide that header.
  size_t start = content.starts_with("\xEF\xBB\xBF") ? 3 : 0;
  while (start < content.size()) {
    size_t end = content.find('\n', start);
    if (end == std::string_view::npos) end = content.size();
    std::string_view line = content.substr(start, end - start);
    line = line.substr(0, line.find('\0'));
    while (!line.empty() && isTrailingBlank(line.back())) line.remove_suffix(1);
    if (line.size() > kLongestLine || lines.length() >= kMostLines) return false;
    lines.push(RefString(line));
    start = end + 1;
  }
  return true;
}

}  // namespace

StringList splitLines(std::string_view content) {
  StringList lines;
  if (!splitInto(content, lines)) lines.release();
  return lines;
}

bool readLines(const char* path, StringList& lines, int* errorCode) {
  std::string content;
  if (!readWholeFile(path, content, errorCode)) {
    lines.release();
    return false;
  }
  lines.release();
  if (!splitInto(content, lines)) {
    lines.release();
    if (errorCode != nullptr) *errorCode = EFBIG;
    return false;
  }
  return true;
}

StringList readLines(const char* path) {
  StringList lines;
  readLines(path, lines);
  return lines;
}

}  // namespace rpgc
