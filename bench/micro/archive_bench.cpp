// Micro-benchmark of the database body: object records written into an ArchiveWriter over
// a MemoryStream, measured and then written again, as the compiler writes them.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>

#include "archive/archive_writer.h"
#include "archive/memory_stream.h"
#include "driver/compilation.h"
#include "driver/section_dispatcher.h"
#include "io/line_reader.h"
#include "micro/sample_source.h"
#include "model/object_record.h"

namespace rpgc::bench {
namespace {

void writeDatabase(benchmark::State& state) {
  Compilation compilation;
  compilation.blocks.file = 0;
  SourceLines lines = splitLines(sampleSource(static_cast<int32_t>(state.range(0))));
  if (!compileSource(lines, compilation)) {
    state.SkipWithError("the sample source does not compile");
    return;
  }
  const ObjectRegistry& registry = compilation.registry;
  int64_t bytes = 0;
  for (auto _ : state) {
    MemoryStream out;
    ArchiveWriter archive(compilation.atoms);
    ObjectRecordWriter records(compilation.atoms);
    writeContainer(archive, out, RefString("bench"), 1.0f, [&] {
      for (int32_t i = 0; i < registry.count(); ++i) records.write(archive, *registry.at(i));
      return true;
    });
    bytes = out.length();
  }
  state.SetItemsProcessed(registry.count() * state.iterations());
  state.SetBytesProcessed(bytes * state.iterations());
}
BENCHMARK(writeDatabase)->Arg(20000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rpgc::bench
