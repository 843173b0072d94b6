// Escaping for one-line messages and for JSON.
#include "diagnostics/text_escape.h"

#include <cstdint>
#include <cstdio>

namespace rpgc {

namespace {

bool isContinuation(unsigned char byte) {
  return (byte & 0xC0) == 0x80;
}

// Length of the well-formed UTF-8 character at text[i] (2 to 4), or 0.
size_t utf8Length(std::string_view text, size_t i) {
  auto byte = static_cast<unsigned char>(text[i]);
  size_t length = byte >= 0xF0 && byte <= 0xF4 ? 4 : byte >= 0xE0 ? 3 : byte >= 0xC2 ? 2 : 0;
  if (byte > 0xF4 || length == 0 || i + length > text.size()) return 0;
  for (size_t k = 1; k < length; ++k) {
    if (!isContinuation(static_cast<unsigned char>(text[i + k]))) return 0;
  }
  auto second = static_cast<unsigned char>(text[i + 1]);
  if (byte == 0xE0 && second < 0xA0) return 0;  // overlong
  if (byte == 0xED && second > 0x9F) return 0;  // surrogate
  if (byte == 0xF0 && second < 0x90) return 0;  // overlong
  if (byte == 0xF4 && second > 0x8F) return 0;  // beyond U+10FFFF
  return length;
}

void appendHex(std::string& out, const char* prefix, unsigned value, int digits) {
  char text[16];
  std::snprintf(text, sizeof text, "%s%0*x", prefix, digits, value);
  out += text;
}

}  // namespace

size_t characterLength(std::string_view text, size_t i) {
  size_t length = static_cast<unsigned char>(text[i]) < 0x80 ? 1 : utf8Length(text, i);
  return length > 0 ? length : 1;
}

bool isPrintable(std::string_view text, size_t i) {
  auto byte = static_cast<unsigned char>(text[i]);
  if (byte < 0x80) return byte >= 0x20 && byte != 0x7F;
  // U+0080 to U+009F are controls: 0x9B, for one, starts a terminal's control sequence.
  size_t length = utf8Length(text, i);
  return length > 2 ||
         (length == 2 && (byte != 0xC2 || static_cast<unsigned char>(text[i + 1]) >= 0xA0));
}

std::string escapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t length = characterLength(text, i);
    auto byte = static_cast<unsigned char>(text[i]);
    if (isPrintable(text, i)) {
      out.append(text.substr(i, length));
    } else if (byte == '\t') {
      out += "\\t";
    } else if (byte == '\n') {
      out += "\\n";
    } else if (byte == '\r') {
      out += "\\r";
    } else {
      // A control byte, the two bytes of a C1 control, or a byte that is not UTF-8.
      for (size_t k = i; k < i + length; ++k) {
        appendHex(out, "\\x", static_cast<unsigned char>(text[k]), 2);
      }
    }
    i += length;
  }
  return out;
}

std::string shortenMiddle(std::string_view text, size_t limit) {
  if (text.size() <= limit) return std::string(text);
  size_t head = limit / 2;
  size_t tail = text.size() - (limit - head);
  while (head > 0 && isContinuation(static_cast<unsigned char>(text[head]))) --head;
  while (tail < text.size() && isContinuation(static_cast<unsigned char>(text[tail]))) ++tail;
  return std::string(text.substr(0, head)) + "\u2026" + std::string(text.substr(tail));
}

std::string jsonString(std::string_view text) {
  std::string out = "\"";
  for (size_t i = 0; i < text.size();) {
    auto byte = static_cast<unsigned char>(text[i]);
    if (byte == '"' || byte == '\\') {
      out += '\\';
      out += static_cast<char>(byte);
    } else if (byte == '\n') {
      out += "\\n";
    } else if (byte == '\t') {
      out += "\\t";
    } else if (byte < 0x20 || byte == 0x7F) {
      appendHex(out, "\\u", byte, 4);
    } else if (byte >= 0x80) {
      size_t length = utf8Length(text, i);
      if (length == 0) {
        appendHex(out, "\\u", byte, 4);
        ++i;
        continue;
      }
      out.append(text.substr(i, length));
      i += length;
      continue;
    } else {
      out += static_cast<char>(byte);
    }
    ++i;
  }
  out += '"';
  return out;
}

}  // namespace rpgc
