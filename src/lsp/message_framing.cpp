// FrameReader: header lines are matched by name without regard to case, as HTTP headers
// are; Content-Type is accepted and ignored.
#include "lsp/message_framing.h"

#include <charconv>

#include "core/spelling.h"

namespace rpgc::lsp {

namespace {

std::string_view trimmed(std::string_view text) {
  while (!text.empty() && (text.front() == ' ' || text.front() == '\t')) text.remove_prefix(1);
  while (!text.empty() && (text.back() == ' ' || text.back() == '\t' || text.back() == '\r')) {
    text.remove_suffix(1);
  }
  return text;
}

}  // namespace

FrameReader::Next FrameReader::next(std::string& body) {
  if (skipping_ > 0) {
    size_t skipped = std::min(skipping_, pendingBytes());
    start_ += skipped;
    skipping_ -= skipped;
    if (skipping_ > 0) {
      pending_.clear();
      start_ = 0;
      return Next::kNeedMore;
    }
  }
  // Drop what was handed out once it is most of the buffer, so that the buffer stays
  // about one message long and the copy stays linear over the stream.
  if (start_ > 0 && start_ >= pending_.size() / 2) {
    pending_.erase(0, start_);
    start_ = 0;
  }
  std::string_view rest(pending_.data() + start_, pending_.size() - start_);
  // Some clients end header lines with a bare line feed: whichever end comes first.
  size_t headerEnd = rest.find("\r\n\r\n");
  size_t separator = 4;
  size_t bare = rest.substr(0, headerEnd).find("\n\n");
  if (bare != std::string_view::npos) {
    headerEnd = bare;
    separator = 2;
  }
  if (headerEnd == std::string_view::npos) {
    if (rest.size() > kLongestHeader) {
      // No header ends here: drop all but the last few bytes and look again later.
      start_ = pending_.size() - 3;
      return Next::kBadHeader;
    }
    return Next::kNeedMore;
  }
  std::string_view header = rest.substr(0, headerEnd);
  size_t length = 0;
  bool haveLength = false;
  while (!header.empty()) {
    size_t end = header.find('\n');
    std::string_view line = header.substr(0, end);
    header.remove_prefix(end == std::string_view::npos ? header.size() : end + 1);
    size_t colon = line.find(':');
    if (colon == std::string_view::npos) continue;
    if (!equalsIgnoringCase(trimmed(line.substr(0, colon)), "Content-Length")) continue;
    std::string_view value = trimmed(line.substr(colon + 1));
    auto [last, error] = std::from_chars(value.data(), value.data() + value.size(), length);
    haveLength = error == std::errc() && last == value.data() + value.size() && !value.empty();
  }
  start_ += headerEnd + separator;
  if (!haveLength) return Next::kBadHeader;
  if (length > largestBody_) {
    skipping_ = length;
    return Next::kBadHeader;
  }
  if (pendingBytes() < length) {
    // Wait for the body; the header is read again then (it is short).
    start_ -= headerEnd + separator;
    return Next::kNeedMore;
  }
  body.assign(pending_, start_, length);
  start_ += length;
  return Next::kMessage;
}

std::string frameMessage(std::string_view body) {
  std::string framed = "Content-Length: " + std::to_string(body.size()) + "\r\n\r\n";
  framed.append(body);
  return framed;
}

}  // namespace rpgc::lsp
