// writeDepfile: escaping of paths and a write through a temporary file.
#include "driver/depfile.h"

#include <cerrno>
#include <cstdio>

namespace rpgc {

namespace {

void appendPath(std::string& out, std::string_view path) {
  for (char c : path) {
    if (c == ' ' || c == '\t' || c == '#') {
      out += '\\';
    } else if (c == '$') {
      out += '$';
    }
    out += c;
  }
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

bool writeDepfile(const std::string& path, std::string_view text, int* errorCode) {
  std::string temporary = path + ".tmp";
  errno = 0;
  std::FILE* file = std::fopen(temporary.c_str(), "wb");
  bool ok = file != nullptr && std::fwrite(text.data(), 1, text.size(), file) == text.size();
  if (file != nullptr && std::fclose(file) != 0) ok = false;
  if (ok && std::rename(temporary.c_str(), path.c_str()) == 0) return true;
  if (errorCode != nullptr) *errorCode = errno != 0 ? errno : EIO;
  std::remove(temporary.c_str());
  return false;
}

}  // namespace rpgc
