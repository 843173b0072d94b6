// DumpInput: one file named on rpgdump's command line, of either kind, opened.
#ifndef RPGC_TOOLS_DUMP_INPUT_H_
#define RPGC_TOOLS_DUMP_INPUT_H_

#include <string>
#include <string_view>

#include "rpgc/database_file.h"
#include "rpgc/file_header.h"
#include "rpgc/read_status.h"
#include "rpgc/string_table_file.h"

namespace rpgc {

enum class FileKind { kUnknown, kStringTable, kDatabase };

/// The kind that the file's extension tells (.gds, .gdf), else otherwise (from --kind).
FileKind kindOf(std::string_view path, FileKind otherwise);

/// "gds" or "gdf" as a kind; kUnknown for anything else.
FileKind kindNamed(std::string_view name);

struct DumpInput {
  std::string path;
  FileKind kind = FileKind::kUnknown;
  StringTableFile strings;  // open when kind is kStringTable
  DatabaseFile database;    // open when kind is kDatabase

  FileHeader header() const {
    return kind == FileKind::kStringTable ? strings.header() : database.header();
  }
  /// Opens path as a file of kind.
  ReadStatus open();
};

}  // namespace rpgc

#endif  // RPGC_TOOLS_DUMP_INPUT_H_
