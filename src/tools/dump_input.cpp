// DumpInput: kinds by extension, and opening.
#include "tools/dump_input.h"

#include "reader/file_image.h"
#include "reader/whole_file.h"

namespace rpgc {

FileKind kindNamed(std::string_view name) {
  if (name == "gds") return FileKind::kStringTable;
  if (name == "gdf") return FileKind::kDatabase;
  return FileKind::kUnknown;
}

FileKind kindOf(std::string_view path, FileKind otherwise) {
  size_t dot = path.rfind('.');
  if (dot == std::string_view::npos || path.find('/', dot) != std::string_view::npos) {
    return otherwise;
  }
  FileKind byName = kindNamed(path.substr(dot + 1));
  return byName != FileKind::kUnknown ? byName : otherwise;
}

ReadStatus DumpInput::open() {
  return kind == FileKind::kStringTable ? strings.open(path) : database.open(path);
}

ReadStatus DumpInput::load() {
  ReadStatus status;
  WholeFileStatus read = loadWholeFile(path, bytes, detail::kLargestFile);
  if (read.outcome == WholeFileStatus::Outcome::kTooLarge) {
    status.failure = ReadFailure::kTooLarge;
  } else if (!read.ok()) {
    status.failure = ReadFailure::kCannotOpen;
    status.systemError = read.systemError;
  }
  return status;
}

ReadStatus DumpInput::openLoaded(bool keepBytes) {
  ReadStatus status = kind == FileKind::kStringTable
                          ? strings.openMemory(bytes.data(), bytes.size())
                          : database.openMemory(bytes.data(), bytes.size());
  if (!keepBytes || !status.ok()) std::vector<uint8_t>().swap(bytes);
  return status;
}

}  // namespace rpgc
