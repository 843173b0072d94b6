// depfileText: escaping of paths for make and ninja.
#include "driver/depfile.h"

#include <string_view>

namespace rpgc {

namespace {

void appendPath(std::string& out, std::string_view path) {
  size_t backslashes = 0;  // right before the current byte
  for (char c : path) {
    if (c == ' ' || c == '\t') {
      // make reads 2N + 1 backslashes before a blank as N of them and a blank in the name.
      out.append(backslashes + 1, '\\');
    } else if (c == '#' || c == ':') {
      out += '\\';
    } else if (c == '$') {
      out += '$';
    }
    out += c;
    backslashes = c == '\\' ? backslashes + 1 : 0;
  }
}

bool hasLineEnd(const std::string& path) {
  return path.find_first_of("\r\n") != std::string::npos;
}

}  // namespace

std::string depfileText(const std::vector<std::string>& targets,
                        const std::vector<std::string>& inputs) {
  std::string text;
  for (size_t i = 0; i < targets.size(); ++i) {
    if (i > 0) text += ' ';
    appendPath(text, targets[i]);
  }
  text += ':';
  for (const std::string& input : inputs) {
    if (input.empty()) continue;
    text += " \\\n  ";
    appendPath(text, input);
  }
  text += '\n';
  return text;
}

const std::string* pathWithLineEnd(const std::vector<std::string>& targets,
                                   const std::vector<std::string>& inputs) {
  for (const auto* paths : {&targets, &inputs}) {
    for (const std::string& path : *paths) {
      if (hasLineEnd(path)) return &path;
    }
  }
  return nullptr;
}

}  // namespace rpgc
