// Fuzz entry of the source front end: one to three source files (separated by the byte
// 0x1E) compiled as one project with every warning on, the end-of-run checks, then both
// output files written into memory and read back.
//
// Promises checked: nothing crashes or reads out of bounds; every diagnostic rendered as
// JSON is one valid JSON object a line; a written database holds one record per object
// and a written string table one record per section.
#include <cstddef>
#include <cstdint>
#include <string>

#include "archive/archive.h"
#include "archive/memory_stream.h"
#include "archive/scramble_stream.h"
#include "diagnostics/diagnostic_engine.h"
#include "driver/compilation.h"
#include "driver/named_use_check.h"
#include "driver/section_dispatcher.h"
#include "fuzz_support.h"
#include "io/line_reader.h"
#include "model/object_record.h"
#include "strings/string_section.h"

namespace {

using namespace rpgc;

// Writes a container into memory and opens it again for reading; false when either fails.
template <typename WriteBody>
bool roundTrip(Compilation& compilation, WriteBody writeBody, MemoryStream& bytes) {
  ScrambleStream out(bytes);
  Archive& archive = compilation.archive;
  archive.beginWrite(out);
  archive.setName(RefString("fuzz"));
  archive.setVersion(1.0f);
  if (!writeBody(archive) || !archive.finish()) return false;
  bytes.seek(0);
  ScrambleStream in(bytes);
  return archive.beginRead(in);
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

  const StringTable& table = compilation.strings;
  MemoryStream strings;
  if (roundTrip(
          compilation,
          [&](Archive& archive) {
            if (!archive.writeInt32(table.count())) return false;
            for (int32_t i = 0; i < table.count(); ++i) {
              if (!table.at(i).write(archive)) return false;
            }
            return true;
          },
          strings)) {
    int32_t count = -1;
    fuzz::require(compilation.archive.readInt32(count) && count == table.count());
    for (int32_t i = 0; i < count; ++i) {
      StringSection section;
      fuzz::require(section.read(compilation.archive));
      fuzz::require(section.texts.length() == table.at(i).texts.length());
    }
  }

  const ObjectRegistry& registry = compilation.registry;
  MemoryStream database;
  if (roundTrip(
          compilation,
          [&](Archive& archive) {
            for (int32_t j = 0; j < registry.count(); ++j) {
              if (!writeObjectRecord(archive, *registry.at(j))) return false;
            }
            return true;
          },
          database)) {
    int32_t records = 0;
    while (compilation.archive.hasChunk()) {
      std::unique_ptr<GameObject> object;
      fuzz::require(readObjectRecord(compilation.archive, object) && object != nullptr);
      ++records;
    }
    fuzz::require(records == registry.count());
  }
  return 0;
}
