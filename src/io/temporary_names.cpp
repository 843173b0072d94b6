// Temporary names: making them, and reading their pattern back.
#include "io/temporary_names.h"

#include <unistd.h>

#include <cerrno>
#include <cstdint>

#include "core/utf8.h"
#include "io/file_system.h"

namespace rpgc {

namespace {

constexpr std::string_view kPrefix = ".rpgc-";
constexpr size_t kLongestTargetPart = 40;

// The temporary files of this process get numbers 0, 1, 2, ... in turn.
long nextNumber() {
  static long next = 0;
  return next++;
}

// The target's name cut to kLongestTargetPart bytes, not inside a UTF-8 character.
std::string_view targetPart(std::string_view name) {
  if (name.size() <= kLongestTargetPart) return name;
  size_t end = kLongestTargetPart;
  while (end > 0 && isContinuationByte(name[end])) --end;
  return name.substr(0, end);
}

bool skipDigits(std::string_view& text) {
  size_t n = 0;
  while (n < text.size() && text[n] >= '0' && text[n] <= '9') ++n;
  text.remove_prefix(n);
  return n > 0;
}

}  // namespace

std::string folderOf(const std::string& path) {
  size_t slash = path.rfind('/');
  if (slash == std::string::npos) return ".";
  if (slash == 0) return "/";
  return path.substr(0, slash);
}

std::string fileNameOf(const std::string& path) {
  size_t slash = path.rfind('/');
  return slash == std::string::npos ? path : path.substr(slash + 1);
}

std::string pathIn(const std::string& folder, std::string_view name) {
  if (folder == ".") return std::string(name);
  std::string path = folder;
  if (!path.ends_with('/')) path += '/';
  path += name;
  return path;
}

std::string temporaryName(const std::string& folder, const std::string& target,
                          std::string_view suffix) {
  std::string name(kPrefix);
  name += std::to_string(static_cast<long>(::getpid())) + "-" + std::to_string(nextNumber());
  if (!target.empty()) {
    name += '.';
    name += targetPart(target);
  }
  name += suffix;
  return pathIn(folder, name);
}

int createTemporary(FileSystem& fs, const std::string& folder, const std::string& target,
                    std::string_view suffix, std::string& path, int& fd) {
  int error = 0;
  do {
    path = temporaryName(folder, target, suffix);
    error = fs.createExclusive(path, fd);
  } while (error == EEXIST);
  if (error != 0) path.clear();
  return error;
}

TemporaryKind temporaryKindOf(std::string_view name) {
  if (!name.starts_with(kPrefix)) return TemporaryKind::kNone;
  name.remove_prefix(kPrefix.size());
  if (!skipDigits(name) || !name.starts_with('-')) return TemporaryKind::kNone;
  name.remove_prefix(1);
  if (!skipDigits(name)) return TemporaryKind::kNone;
  if (name == ".journal") return TemporaryKind::kJournal;
  if (name == ".tmp") return TemporaryKind::kContent;
  if (name == ".old") return TemporaryKind::kUnknownKept;
  // ".TARGET.tmp" or ".TARGET.old", TARGET not empty.
  if (name.size() < 6 || !name.starts_with('.')) return TemporaryKind::kNone;
  if (name.ends_with(".tmp")) return TemporaryKind::kContent;
  if (name.ends_with(".old")) return TemporaryKind::kKept;
  return TemporaryKind::kNone;
}

}  // namespace rpgc
