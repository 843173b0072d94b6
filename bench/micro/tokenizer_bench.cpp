// Micro-benchmarks of tokenizeInto: the lines of a typical source file, and long lines.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <string>
#include <string_view>
#include <vector>

#include "micro/sample_source.h"
#include "source/tokenizer.h"

namespace rpgc::bench {
namespace {

void tokenizeTypicalLines(benchmark::State& state) {
  std::vector<std::string> lines = sampleLines(2000);
  int64_t bytes = 0;
  for (const std::string& line : lines) bytes += static_cast<int64_t>(line.size());
  std::vector<std::string_view> tokens;
  int64_t tokenCount = 0;
  for (auto _ : state) {
    for (const std::string& line : lines) {
      tokenizeInto(line, tokens);
      tokenCount += static_cast<int64_t>(tokens.size());
    }
    benchmark::ClobberMemory();
  }
  state.SetBytesProcessed(bytes * state.iterations());
  state.SetItemsProcessed(tokenCount);
}
BENCHMARK(tokenizeTypicalLines)->Unit(benchmark::kMicrosecond);

// One ATOMS line of state.range(0) values of state.range(1) bytes each.
void tokenizeLongLine(benchmark::State& state) {
  std::string value(static_cast<size_t>(state.range(1)), 'x');
  std::string line = "ATOMS Marks =";
  for (int64_t i = 0; i < state.range(0); ++i) line += " " + value;
  std::vector<std::string_view> tokens;
  for (auto _ : state) {
    tokenizeInto(line, tokens);
    benchmark::DoNotOptimize(tokens.data());
  }
  state.SetBytesProcessed(static_cast<int64_t>(line.size()) * state.iterations());
  state.SetItemsProcessed(static_cast<int64_t>(tokens.size()) * state.iterations());
}
BENCHMARK(tokenizeLongLine)
    ->ArgNames({"tokens", "bytes"})
    ->Args({1000000, 1})
    ->Args({200000, 8})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rpgc::bench
