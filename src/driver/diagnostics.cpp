// Diagnostics: formatting of the standard error line.
#include "driver/diagnostics.h"

#include <cstdio>
#include <cstring>

#include "driver/compilation.h"

namespace rpgc {

namespace {

constexpr size_t kLongestQuotedName = 40;

void putLine(const std::string& text) {
  std::fwrite(text.data(), 1, text.size(), stderr);
  std::fflush(stderr);
}

const char* blockKind(std::string_view className) {
  if (className == "F_item") return "an item block";
  if (className == "F_character") return "a character block";
  return "a generic block";
}

std::string place(const Compilation& compilation, const SourcePosition& position) {
  if (position.file < 0 || static_cast<size_t>(position.file) >= compilation.files.size()) {
    return "?";
  }
  return compilation.files[static_cast<size_t>(position.file)] + ":" +
         std::to_string(position.line);
}

}  // namespace

void reportError(std::string_view reason) {
  putLine("rpgc: error: " + std::string(reason) + "\n");
}

void reportSourceError(std::string_view file, int line, std::string_view reason) {
  putLine(std::string(file) + ":" + std::to_string(line) + ": error: " + std::string(reason) +
          "\n");
}

std::string systemReason(int errorCode) {
  return std::strerror(errorCode);
}

std::string quotedName(std::string_view name) {
  bool cut = name.size() > kLongestQuotedName;
  std::string quoted(1, '\'');
  quoted.append(name.substr(0, kLongestQuotedName));
  quoted.append(cut ? "\u2026'" : "'");
  return quoted;
}

std::string quotedPath(std::string_view path) {
  std::string quoted(1, '\'');
  quoted.append(path);
  quoted.push_back('\'');
  return quoted;
}

void reportBlockError(const BlockError& error, const Compilation& compilation) {
  std::string_view existing = compilation.atoms.atomView(error.existingClass);
  std::string_view requested = compilation.atoms.atomView(error.requestedClass);
  std::string reason = quotedName(compilation.atoms.atomView(error.name)) + " is already " + "an " +
                       std::string(existing) + " (defined at " +
                       place(compilation, error.existingOrigin) + "); " + blockKind(requested) +
                       " cannot reuse the name";
  std::string file =
      error.where.file >= 0 && static_cast<size_t>(error.where.file) < compilation.files.size()
          ? compilation.files[static_cast<size_t>(error.where.file)]
          : std::string("?");
  reportSourceError(file, error.where.line, reason);
}

}  // namespace rpgc
