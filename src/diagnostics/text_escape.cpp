// Text escapes: both renderings over the one UTF-8 scanner.
#include "diagnostics/text_escape.h"

#include <cstdint>

#include "core/invisible_characters.h"
#include "core/utf8.h"

namespace rpgc {

namespace {

void appendHex(std::string& out, std::string_view prefix, unsigned value, int digits,
               bool upper = false) {
  std::string_view hexDigits = upper ? "0123456789ABCDEF" : "0123456789abcdef";
  out.append(prefix);
  for (int shift = 4 * (digits - 1); shift >= 0; shift -= 4)
    out.push_back(hexDigits[value >> shift & 0xF]);
}

// The escape of a character both renderings share, or "" for none.
std::string_view commonEscape(char c) {
  switch (c) {
    case '\t':
      return "\\t";
    case '\n':
      return "\\n";
    case '\r':
      return "\\r";
    default:
      return {};
  }
}

}  // namespace

size_t characterLength(std::string_view text, size_t i) {
  size_t length = utf8Length(text, i);
  return length > 0 ? length : 1;
}

bool isPrintable(std::string_view text, size_t i) {
  auto byte = static_cast<uint8_t>(text[i]);
  if (byte < 0x80) return byte >= 0x20 && byte != 0x7F;
  size_t length = utf8Length(text, i);
  // U+0080 to U+009F are C2 80 to C2 9F.
  return length > 2 || (length == 2 && (byte != 0xC2 || static_cast<uint8_t>(text[i + 1]) >= 0xA0));
}

std::string escapeText(std::string_view text) {
  std::string out;
  out.reserve(text.size());
  for (size_t i = 0; i < text.size();) {
    size_t length = characterLength(text, i);
    if (length > 1 && !invisibleCharacterName(codePointAt(text, i, length)).empty()) {
      // Shows as nothing or as a blank: written as its code point, "\u00A0".
      appendHex(out, "\\u", static_cast<unsigned>(codePointAt(text, i, length)), 4, true);
    } else if (isPrintable(text, i)) {
      out.append(text.substr(i, length));
    } else if (std::string_view escape = commonEscape(text[i]); !escape.empty()) {
      out.append(escape);
    } else {
      for (size_t k = i; k < i + length; ++k)
        appendHex(out, "\\x", static_cast<uint8_t>(text[k]), 2);
    }
    i += length;
  }
  return out;
}

std::string shortenMiddle(std::string_view text, size_t limit) {
  if (text.size() <= limit) return std::string(text);
  size_t head = limit / 2;
  size_t tail = text.size() - (limit - head);
  while (head > 0 && isContinuationByte(text[head])) --head;
  while (tail < text.size() && isContinuationByte(text[tail])) ++tail;
  return std::string(text.substr(0, head)) + "\u2026" + std::string(text.substr(tail));
}

void appendJsonCharacters(std::string& out, std::string_view bytes) {
  for (size_t i = 0; i < bytes.size();) {
    size_t length = utf8Length(bytes, i);
    auto byte = static_cast<uint8_t>(bytes[i]);
    if (length == 0) {
      appendHex(out, "\\udc", byte, 2);
      ++i;
    } else if (byte == '"' || byte == '\\') {
      out.push_back('\\');
      out.push_back(static_cast<char>(byte));
      ++i;
    } else if (isPrintable(bytes, i)) {
      out.append(bytes.substr(i, length));
      i += length;
    } else if (std::string_view escape = commonEscape(bytes[i]); !escape.empty()) {
      out.append(escape);
      ++i;
    } else {
      // A control: U+0000 to U+001F, U+007F, or U+0080 to U+009F (C2 80 to C2 9F).
      unsigned code = length == 2 ? static_cast<uint8_t>(bytes[i + 1]) : byte;
      appendHex(out, "\\u", code, 4);
      i += length;
    }
  }
}

void appendJsonString(std::string& out, std::string_view bytes) {
  out.push_back('"');
  appendJsonCharacters(out, bytes);
  out.push_back('"');
}

std::string jsonString(std::string_view bytes) {
  std::string out;
  appendJsonString(out, bytes);
  return out;
}

bool isPlainName(std::string_view bytes) {
  if (bytes.empty()) return false;
  for (size_t i = 0; i < bytes.size(); i += characterLength(bytes, i)) {
    if (!isPrintable(bytes, i)) return false;
    switch (bytes[i]) {
      case ' ':
      case '"':
      case '\\':
      case '[':
      case ']':
      case '(':
      case ')':
        return false;
      default:
        break;
    }
  }
  return true;
}

void appendShownText(std::string& out, std::string_view bytes) {
  if (isPlainName(bytes)) {
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
