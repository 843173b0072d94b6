// DumpInput: one file named on rpgdump's command line, of either kind, opened.
#ifndef RPGC_TOOLS_DUMP_INPUT_H_
#define RPGC_TOOLS_DUMP_INPUT_H_

#include <string>
#include <string_view>
#include <vector>

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
  /// The file's bytes as read, when kept: --diff compares them, --source checks against
  /// them what it would write. The file is read once, so a pipe gives the same bytes to
  /// every use.
  std::vector<uint8_t> bytes;

  FileHeader header() const {
    return kind == FileKind::kStringTable ? strings.header() : database.header();
  }
  /// Opens path as a file of kind, reading it once; its bytes are not kept.
  ReadStatus open();
  /// Reads path's bytes into bytes, to open them with openLoaded.
  ReadStatus load();
  /// Opens the bytes loaded as a file of kind; they are released unless keepBytes.
  ReadStatus openLoaded(bool keepBytes);
};

}  // namespace rpgc

#endif  // RPGC_TOOLS_DUMP_INPUT_H_
