// Text escapes: one UTF-8 scanner for both forms.
#include "tools/text_escape.h"

#include <algorithm>
#include <cstdint>

#include "tools/text_output.h"

namespace rpgc {

namespace {

// The length of the valid UTF-8 sequence at the start of bytes (1 to 4), or 0 when it is
// not one: overlong forms, surrogates and code points above U+10FFFF are not valid.
size_t utf8Length(std::string_view bytes) {
  auto byte = [&](size_t i) { return static_cast<uint8_t>(bytes[i]); };
  uint8_t lead = byte(0);
  if (lead < 0x80) return 1;
  size_t length = 0;
  uint8_t low = 0x80;
  uint8_t high = 0xBF;
  if (lead >= 0xC2 && lead <= 0xDF) {
    length = 2;
  } else if (lead >= 0xE0 && lead <= 0xEF) {
    length = 3;
    if (lead == 0xE0) low = 0xA0;
    if (lead == 0xED) high = 0x9F;
  } else if (lead >= 0xF0 && lead <= 0xF4) {
    length = 4;
    if (lead == 0xF0) low = 0x90;
    if (lead == 0xF4) high = 0x8F;
  } else {
    return 0;
  }
  if (bytes.size() < length) return 0;
  if (byte(1) < low || byte(1) > high) return 0;
  for (size_t i = 2; i < length; ++i) {
    if (byte(i) < 0x80 || byte(i) > 0xBF) return 0;
  }
  return length;
}

void appendHexEscape(std::string& out, const char* prefix, uint8_t byte) {
  static constexpr char kDigits[] = "0123456789abcdef";
  out.append(prefix);
  out.push_back(kDigits[byte >> 4]);
  out.push_back(kDigits[byte & 0xF]);
}

bool isPlain(std::string_view bytes) {
  if (bytes.empty()) return false;
  for (size_t i = 0; i < bytes.size();) {
    size_t length = utf8Length(bytes.substr(i));
    if (length == 0) return false;
    if (length == 1) {
      char c = bytes[i];
      auto byte = static_cast<uint8_t>(c);
      if (byte <= 0x20 || byte == 0x7F || c == '"' || c == '\\' || c == '[' || c == ']' ||
          c == '(' || c == ')') {
        return false;
      }
    }
    i += length;
  }
  return true;
}

// The escaped characters of a JSON string, without its quotes.
void appendJsonCharacters(std::string& out, std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    size_t length = utf8Length(bytes.substr(i));
    auto byte = static_cast<uint8_t>(bytes[i]);
    if (length == 0) {
      appendHexEscape(out, "\\udc", byte);
      ++i;
      continue;
    }
    if (length > 1) {
      out.append(bytes.substr(i, length));
      i += length;
      continue;
    }
    switch (bytes[i]) {
      case '"':
        out.append("\\\"");
        break;
      case '\\':
        out.append("\\\\");
        break;
      case '\n':
        out.append("\\n");
        break;
      case '\t':
        out.append("\\t");
        break;
      case '\r':
        out.append("\\r");
        break;
      default:
        if (byte < 0x20 || byte == 0x7F) {
          appendHexEscape(out, "\\u00", byte);
        } else {
          out.push_back(bytes[i]);
        }
    }
    ++i;
  }
}

bool isContinuation(char c) {
  return (static_cast<uint8_t>(c) & 0xC0) == 0x80;
}

}  // namespace

void appendJsonString(std::string& out, std::string_view bytes) {
  out.push_back('"');
  appendJsonCharacters(out, bytes);
  out.push_back('"');
}

size_t characterStart(std::string_view bytes, size_t at) {
  if (at >= bytes.size()) return bytes.size();
  // A UTF-8 sequence is at most 4 bytes long: a byte that is no continuation byte within
  // the last four settles it, and without one no sequence can reach at.
  for (size_t back = 0; back <= std::min<size_t>(3, at); ++back) {
    if (!isContinuation(bytes[at - back])) return at - back;
  }
  return at;
}

void putJsonString(TextOutput& out, std::string_view bytes) {
  constexpr size_t kPieceBytes = 1 << 14;
  out.buffer().push_back('"');
  while (!bytes.empty() && !out.failed()) {
    size_t cut = bytes.size() <= kPieceBytes ? bytes.size() : characterStart(bytes, kPieceBytes);
    appendJsonCharacters(out.buffer(), bytes.substr(0, cut));
    out.spill();
    bytes.remove_prefix(cut);
  }
  out.buffer().push_back('"');
  out.spill();
}

void putShownText(TextOutput& out, std::string_view bytes) {
  if (isPlain(bytes)) {
    out.put(bytes);
  } else {
    putJsonString(out, bytes);
  }
}

void appendShownText(std::string& out, std::string_view bytes) {
  if (isPlain(bytes)) {
    out.append(bytes);
  } else {
    appendJsonString(out, bytes);
  }
}

std::string shownText(std::string_view bytes) {
  std::string out;
  appendShownText(out, bytes);
  return out;
}

}  // namespace rpgc
