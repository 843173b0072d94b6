// readLines: whole-file binary read, then a split on line feeds.
#include "source/line_reader.h"

#include <cerrno>
#include <cstdint>
#include <cstdio>
#include <string>

namespace rpgc {

namespace {

constexpr long kLargestReservation = 1L << 30;

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

SourceLines splitLines(std::string_view content) {
  SourceLines lines;
  lines.assign(std::string(content));
  return lines;
}

bool readLines(const char* path, SourceLines& lines, int* errorCode) {
  std::string content;
  lines.clear();
  if (!readWholeFile(path, content, errorCode)) return false;
  if (!lines.assign(std::move(content))) {
    if (errorCode != nullptr) *errorCode = EFBIG;
    return false;
  }
  return true;
}

SourceLines readLines(const char* path) {
  SourceLines lines;
  readLines(path, lines);
  return lines;
}

}  // namespace rpgc
