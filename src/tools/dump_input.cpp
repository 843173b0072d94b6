// DumpInput: kinds by extension, and opening.
#include "tools/dump_input.h"

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

}  // namespace rpgc
