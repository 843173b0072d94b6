// TextOutput: block writes.
#include "tools/text_output.h"

#include <algorithm>
#include <cstdint>

#include "archive/byte_stream.h"

namespace rpgc {

TextOutput::TextOutput(std::FILE* file)
    : sink_([file](std::string_view block) {
        return std::fwrite(block.data(), 1, block.size(), file) == block.size() &&
               std::fflush(file) == 0;
      }) {}

TextOutput::TextOutput(std::string& text)
    : sink_([&text](std::string_view block) {
        text.append(block);
        return true;
      }) {}

void TextOutput::send(std::string_view block) {
  if (!failed_ && !block.empty()) failed_ = !sink_(block);
}

TextOutput& TextOutput::put(std::string_view text) {
  if (text.size() < kBlockBytes) {
    buffer_.append(text);
    return spill();
  }
  flush();
  // In blocks, so that a sink of 32-bit lengths can take any text.
  for (size_t at = 0; at < text.size() && !failed_; at += kBlockBytes) {
    send(text.substr(at, std::min(kBlockBytes, text.size() - at)));
  }
  return *this;
}

TextOutput::Sink streamSink(ByteStream& stream) {
  return [&stream](std::string_view block) {
    constexpr size_t kLargestWrite = size_t{1} << 30;
    while (!block.empty()) {
      size_t n = std::min(block.size(), kLargestWrite);
      if (!stream.write(block.data(), static_cast<int32_t>(n))) return false;
      block.remove_prefix(n);
    }
    return true;
  };
}

bool TextOutput::flush() {
  send(buffer_);
  buffer_.clear();
  return !failed_;
}

}  // namespace rpgc
