// Fuzz entry of the source front end: one to three source files (separated by the byte
// 0x1E) compiled as one project with every warning on, the end-of-run checks, then both
// output files written into memory and read back through the reader library.
//
// Promises checked: nothing crashes or reads out of bounds; every diagnostic rendered as
// JSON is one valid JSON object a line; a written database opens with one record per
// object, its declared properties pairing up, and a written string table with one record
// per section holding its texts.
#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/archive_writer.h"
#include "archive/memory_stream.h"
#include "archive/scramble_stream.h"
#include "diagnostics/diagnostic_engine.h"
#include "driver/compilation.h"
#include "driver/named_use_check.h"
#include "driver/section_dispatcher.h"
#include "fuzz_support.h"
#include "io/line_reader.h"
#include "model/object_record.h"
#include "rpgc/reader.h"
#include "strings/string_section.h"
#include "strings/string_table.h"

namespace {

using namespace rpgc;

// Writes a container into memory; false when writing fails.
template <typename WriteBody>
bool writeFile(Compilation& compilation, WriteBody writeBody, MemoryStream& bytes) {
  ScrambleStream out(bytes);
  return writeContainer(compilation.archive, out, RefString("fuzz"), 1.0f,
                        [&] { return writeBody(compilation.archive); });
}

}  // namespace

extern "C" int LLVMFuzzerTestOneInput(const uint8_t* data, size_t size) {
  std::string_view input = fuzz::inputText(data, size);
  bool json = !input.empty() && (input[0] & 1) != 0;
  WarningOptions warnings;
  Finding ignored;
  warnings.apply("-Wall", ignored);
  DiagnosticStyle style;
  style.format = json ? DiagnosticFormat::kJson : DiagnosticFormat::kText;
  DiagnosticEngine engine(warnings, style, [json](std::string_view text) {
    fuzz::require(!text.empty() && text.back() == '\n');
    if (json) fuzz::require(fuzz::JsonCheck(text.substr(0, text.size() - 1)).oneValue());
  });

  Compilation compilation;
  compilation.blocks.findings = &engine;
  compilation.keepGoing = (input.size() & 2) != 0;
  for (std::string_view text : fuzz::parts(input, 3)) {
    int32_t file = engine.addFile("f.txt");
    compilation.blocks.file = file;
    SourceLines lines = splitLines(text);
    engine.setLines(file, &lines);
    compileSource(lines, compilation);
    engine.setLines(file, nullptr);
  }
  checkNamedUses(compilation, engine);
  reportLongNames(compilation, engine);

  // What is written reads back through the reader library, record for record.
  const StringTable& table = compilation.strings;
  MemoryStream strings;
  if (writeFile(
          compilation,
          [&](ArchiveWriter& archive) {
            if (!archive.writeInt32(table.count())) return false;
            for (int32_t i = 0; i < table.count(); ++i) {
              if (!table.at(i).write(archive)) return false;
            }
            return true;
          },
          strings)) {
    StringTableFile file;
    fuzz::require(file.openMemory(strings.bytes(), static_cast<size_t>(strings.length())).ok());
    fuzz::require(file.sectionCount() == table.count());
    for (int32_t i = 0; i < table.count(); ++i) {
      fuzz::require(file.section(i).textCount() == table.at(i).texts.length());
    }
  }

  const ObjectRegistry& registry = compilation.registry;
  MemoryStream database;
  if (writeFile(
          compilation,
          [&](ArchiveWriter& archive) {
            for (int32_t j = 0; j < registry.count(); ++j) {
              if (!writeObjectRecord(archive, *registry.at(j))) return false;
            }
            return true;
          },
          database)) {
    DatabaseFile file;
    fuzz::require(file.openMemory(database.bytes(), static_cast<size_t>(database.length())).ok());
    fuzz::require(file.objectCount() == registry.count());
    for (ObjectView object : file.objects()) {
      fuzz::require(object.declaredListsMatch());
    }
  }
  return 0;
}
