// Micro-benchmark of compiling one source file in memory: splitLines, then compileSource
// into a fresh Compilation.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>

#include "driver/compilation.h"
#include "driver/section_dispatcher.h"
#include "io/line_reader.h"
#include "micro/sample_source.h"

namespace rpgc::bench {
namespace {

void compileSampleSource(benchmark::State& state) {
  std::string source = sampleSource(static_cast<int32_t>(state.range(0)));
  for (auto _ : state) {
    auto compilation = std::make_unique<Compilation>();
    compilation->blocks.file = 0;
    SourceLines lines = splitLines(source);
    if (!compileSource(lines, *compilation)) state.SkipWithError("the sample does not compile");
    // The compiler keeps its compilation to the end of the process: release untimed.
    state.PauseTiming();
    lines.clear();
    compilation.reset();
    state.ResumeTiming();
  }
  state.SetBytesProcessed(static_cast<int64_t>(source.size()) * state.iterations());
  state.SetItemsProcessed(state.range(0) * state.iterations());
}
BENCHMARK(compileSampleSource)->Arg(5000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rpgc::bench
