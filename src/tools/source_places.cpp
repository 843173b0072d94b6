// parseSourcePlaces: recursive descent over the JSON text, straight into SourcePlaces.
#include "tools/source_places.h"

#include <charconv>
#include <cstdint>

namespace rpgc {

namespace {

constexpr int kDeepest = 16;

class JsonReader {
 public:
  explicit JsonReader(std::string_view text) : text_(text) {}

  size_t offset() const { return at_; }

  void skipBlanks() {
    while (at_ < text_.size() &&
           (text_[at_] == ' ' || text_[at_] == '\n' || text_[at_] == '\r' || text_[at_] == '\t')) {
      ++at_;
    }
  }
  bool take(char c) {
    skipBlanks();
    if (at_ >= text_.size() || text_[at_] != c) return false;
    ++at_;
    return true;
  }
  bool peek(char c) {
    skipBlanks();
    return at_ < text_.size() && text_[at_] == c;
  }
  bool atEnd() {
    skipBlanks();
    return at_ == text_.size();
  }

  bool string(std::string& out) {
    out.clear();
    if (!take('"')) return false;
    while (at_ < text_.size()) {
      char c = text_[at_++];
      if (c == '"') return true;
      if (static_cast<unsigned char>(c) < 0x20) return false;
      if (c != '\\') {
        out += c;
        continue;
      }
      if (at_ >= text_.size()) return false;
      char escape = text_[at_++];
      switch (escape) {
        case '"':
        case '\\':
        case '/':
          out += escape;
          break;
        case 'b':
          out += '\b';
          break;
        case 'f':
          out += '\f';
          break;
        case 'n':
          out += '\n';
          break;
        case 'r':
          out += '\r';
          break;
        case 't':
          out += '\t';
          break;
        case 'u': {
          uint32_t code = 0;
          if (!hex4(code)) return false;
          if (code >= 0xD800 && code < 0xDC00) {
            uint32_t low = 0;
            if (!(take('\\') && take('u') && hex4(low)) || low < 0xDC00 || low >= 0xE000) {
              return false;
            }
            code = 0x10000 + ((code - 0xD800) << 10) + (low - 0xDC00);
          }
          appendUtf8(out, code);
          break;
        }
        default:
          return false;
      }
    }
    return false;
  }

  bool integer(int64_t& value) {
    skipBlanks();
    auto [end, error] = std::from_chars(text_.data() + at_, text_.data() + text_.size(), value);
    if (error != std::errc()) return false;
    at_ = static_cast<size_t>(end - text_.data());
    return true;
  }

  // Any value, not kept (a member this reader does not use).
  bool skipValue(int depth) {
    if (depth > kDeepest) return false;
    std::string ignored;
    if (peek('"')) return string(ignored);
    if (take('{')) {
      if (take('}')) return true;
      do {
        if (!string(ignored) || !take(':') || !skipValue(depth + 1)) return false;
      } while (take(','));
      return take('}');
    }
    if (take('[')) {
      if (take(']')) return true;
      do {
        if (!skipValue(depth + 1)) return false;
      } while (take(','));
      return take(']');
    }
    for (std::string_view word : {"null", "true", "false"}) {
      if (text_.substr(at_).starts_with(word)) {
        at_ += word.size();
        return true;
      }
    }
    int64_t number = 0;
    if (!integer(number)) return false;
    // A fraction or an exponent: the map has none, but JSON allows them.
    while (at_ < text_.size() &&
           std::string_view(".eE+-0123456789").find(text_[at_]) != std::string_view::npos) {
      ++at_;
    }
    return true;
  }

 private:
  bool hex4(uint32_t& code) {
    if (at_ + 4 > text_.size()) return false;
    auto [end, error] = std::from_chars(text_.data() + at_, text_.data() + at_ + 4, code, 16);
    if (error != std::errc() || end != text_.data() + at_ + 4) return false;
    at_ += 4;
    return true;
  }
  static void appendUtf8(std::string& out, uint32_t code) {
    if (code < 0x80) {
      out += static_cast<char>(code);
    } else if (code < 0x800) {
      out += static_cast<char>(0xC0 | (code >> 6));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else if (code < 0x10000) {
      out += static_cast<char>(0xE0 | (code >> 12));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    } else {
      out += static_cast<char>(0xF0 | (code >> 18));
      out += static_cast<char>(0x80 | ((code >> 12) & 0x3F));
      out += static_cast<char>(0x80 | ((code >> 6) & 0x3F));
      out += static_cast<char>(0x80 | (code & 0x3F));
    }
  }

  std::string_view text_;
  size_t at_ = 0;
};

// Each member of an object: fn(key) reads its value.
template <typename Member>
bool members(JsonReader& json, Member member) {
  if (!json.take('{')) return false;
  if (json.take('}')) return true;
  std::string key;
  do {
    if (!json.string(key) || !json.take(':') || !member(key)) return false;
  } while (json.take(','));
  return json.take('}');
}

template <typename Element>
bool elements(JsonReader& json, Element element) {
  if (!json.take('[')) return false;
  if (json.take(']')) return true;
  do {
    if (!element()) return false;
  } while (json.take(','));
  return json.take(']');
}

// {"file":"items.txt","line":3,"column":12} as "items.txt:3:12".
bool place(JsonReader& json, std::string& text) {
  std::string file;
  int64_t line = 0;
  int64_t column = 0;
  bool ok = members(json, [&](const std::string& key) {
    if (key == "file") return json.string(file);
    if (key == "line") return json.integer(line);
    if (key == "column") return json.peek('n') ? json.skipValue(0) : json.integer(column);
    return json.skipValue(0);
  });
  text = file + ":" + std::to_string(line);
  if (column > 0) text += ":" + std::to_string(column);
  return ok;
}

bool object(JsonReader& json, SourcePlaces& places) {
  std::string name;
  SourcePlaces::Object entry;
  bool ok = members(json, [&](const std::string& key) {
    if (key == "name") return json.peek('n') ? json.skipValue(0) : json.string(name);
    if (key == "declared") {
      return elements(json, [&] { return place(json, entry.declared.emplace_back()); });
    }
    if (key == "properties") {
      return members(json, [&](const std::string& property) {
        std::vector<std::string>& list = entry.properties[property];
        return elements(json, [&] { return place(json, list.emplace_back()); });
      });
    }
    return json.skipValue(0);
  });
  places.objects[name] = std::move(entry);
  return ok;
}

bool section(JsonReader& json, SourcePlaces& places) {
  int64_t index = -1;
  std::string where;
  bool ok = members(json, [&](const std::string& key) {
    if (key == "index") return json.integer(index);
    if (key == "declared") return place(json, where);
    return json.skipValue(0);
  });
  if (index >= 0 && index <= INT32_MAX) places.sections[static_cast<int32_t>(index)] = where;
  return ok;
}

}  // namespace

const std::vector<std::string>* SourcePlaces::Object::placesOf(std::string_view property) const {
  auto found = properties.find(std::string(property));
  return found != properties.end() ? &found->second : nullptr;
}

const SourcePlaces::Object* SourcePlaces::object(std::string_view name) const {
  auto found = objects.find(std::string(name));
  return found != objects.end() ? &found->second : nullptr;
}

bool parseSourcePlaces(std::string_view text, SourcePlaces& places, size_t& errorOffset) {
  JsonReader json(text);
  bool ok = members(json,
                    [&](const std::string& key) {
                      if (key == "objects")
                        return elements(json, [&] { return object(json, places); });
                      if (key == "strings")
                        return elements(json, [&] { return section(json, places); });
                      return json.skipValue(0);
                    }) &&
            json.atEnd();
  errorOffset = json.offset();
  return ok;
}

}  // namespace rpgc
