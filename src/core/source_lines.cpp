// SourceLines: one scan for line feeds, trimming each line as it is found.
#include "core/source_lines.h"

#include <algorithm>
#include <cstring>

#include "core/source_syntax.h"

namespace rpgc {

SourceLines::SourceLines(std::initializer_list<std::string_view> texts) {
  for (std::string_view text : texts) push(text);
}

void SourceLines::push(std::string_view text) {
  spans_.push_back({static_cast<uint32_t>(bytes_.size()), static_cast<uint32_t>(text.size())});
  bytes_.append(text);
}

void SourceLines::clear() {
  std::string().swap(bytes_);
  std::vector<Span>().swap(spans_);
}

std::string SourceLines::releaseBuffer() {
  spans_.clear();
  std::string buffer = std::move(bytes_);
  bytes_.clear();
  buffer.clear();
  return buffer;
}

bool SourceLines::assign(std::string text) {
  // The list of spans keeps its memory from file to file; a new text comes with its own.
  spans_.clear();
  if (text.size() > kLargestFile) {
    clear();
    return false;
  }
  bytes_ = std::move(text);
  // A UTF-8 byte order mark is not text: bytes 0x80 to 0xFF are token bytes, so a mark
  // glued to the first header would hide that header.
  size_t start = std::string_view(bytes_).starts_with("\xEF\xBB\xBF") ? 3 : 0;
  const char* data = bytes_.data();
  size_t size = bytes_.size();
  // One span per line feed, plus the last line: counted first so the list is made once.
  spans_.reserve(static_cast<size_t>(std::count(data + start, data + size, '\n')) + 1);
  while (start < size) {
    const void* feed = std::memchr(data + start, '\n', size - start);
    size_t end =
        feed != nullptr ? static_cast<size_t>(static_cast<const char*>(feed) - data) : size;
    const void* zero = std::memchr(data + start, '\0', end - start);
    size_t last =
        zero != nullptr ? static_cast<size_t>(static_cast<const char*>(zero) - data) : end;
    while (last > start && isBlankByte(data[last - 1])) --last;
    if (last - start > kLongestLine || spans_.size() >= kMostLines) {
      clear();
      return false;
    }
    spans_.push_back({static_cast<uint32_t>(start), static_cast<uint32_t>(last - start)});
    start = end + 1;
  }
  return true;
}

}  // namespace rpgc
