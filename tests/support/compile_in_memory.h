// compileInMemory: a whole compile run on source texts held in memory, giving the bytes
// of both output files as rpgc writes them (the same archive calls as its output phases),
// without the console or the file system.
#ifndef RPGC_TESTS_SUPPORT_COMPILE_IN_MEMORY_H_
#define RPGC_TESTS_SUPPORT_COMPILE_IN_MEMORY_H_

#include <cstdint>
#include <functional>
#include <string>
#include <string_view>
#include <vector>

#include "archive/archive_writer.h"
#include "archive/memory_stream.h"
#include "archive/scramble_stream.h"
#include "driver/compilation.h"
#include "driver/section_dispatcher.h"
#include "io/line_reader.h"
#include "model/object_record.h"
#include "support/format_bytes.h"

namespace rpgc::test {

struct CompiledFiles {
  bool ok = false;
  Bytes strings;   // the .gds
  Bytes database;  // the .gdf
};

/// Compiles sources (file contents, in compile order) as project name, version; the files
/// come scrambled as on disk, or plain when scrambled is false. adjust, when given, may
/// change the compiled objects before they are written.
inline CompiledFiles compileInMemory(std::string_view name, float version,
                                     const std::vector<std::string>& sources, bool scrambled = true,
                                     const std::function<void(Compilation&)>& adjust = {}) {
  CompiledFiles files;
  Compilation compilation;
  for (size_t i = 0; i < sources.size(); ++i) {
    compilation.blocks.file = static_cast<int32_t>(i);
    SourceLines lines = splitLines(sources[i]);
    if (!compileSource(lines, compilation)) return files;
  }
  if (adjust) adjust(compilation);
  auto write = [&](Bytes& bytes, auto writeBody) {
    MemoryStream out;
    ScrambleStream filter(out);
    ArchiveWriter& archive = compilation.archive;
    if (!writeContainer(archive, scrambled ? static_cast<ByteStream&>(filter) : out,
                        RefString(name), version, [&] { return writeBody(archive); })) {
      return false;
    }
    bytes.assign(out.bytes(), out.bytes() + out.length());
    return true;
  };
  files.ok = write(files.strings,
                   [&](ArchiveWriter& archive) {
                     if (!archive.writeInt32(compilation.strings.count())) return false;
                     for (int32_t i = 0; i < compilation.strings.count(); ++i) {
                       if (!compilation.strings.at(i).write(archive)) return false;
                     }
                     return true;
                   }) &&
             write(files.database, [&](ArchiveWriter& archive) {
               for (int32_t i = 0; i < compilation.registry.count(); ++i) {
                 if (!writeObjectRecord(archive, *compilation.registry.at(i))) return false;
               }
               return true;
             });
  return files;
}

}  // namespace rpgc::test

#endif  // RPGC_TESTS_SUPPORT_COMPILE_IN_MEMORY_H_
