// Micro-benchmark of ScrambleStream::writeItems: a database body as one-byte calls.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <vector>

#include "archive/byte_stream.h"
#include "archive/scramble_stream.h"

namespace rpgc::bench {
namespace {

// Takes every write without effect: only the filter is measured.
class DiscardingStream : public ByteStream {
 public:
  bool write(const void*, int32_t) override { return true; }
  bool writeItems(const void*, int32_t, int32_t) override { return true; }
};

void scrambleBody(benchmark::State& state) {
  std::vector<uint8_t> body(static_cast<size_t>(state.range(0)));
  for (size_t i = 0; i < body.size(); ++i) body[i] = static_cast<uint8_t>(i * 131 + 7);
  int32_t itemSize = static_cast<int32_t>(state.range(1));
  int32_t count = static_cast<int32_t>(body.size()) / itemSize;
  DiscardingStream sink;
  for (auto _ : state) {
    ScrambleStream scrambled(sink);
    benchmark::DoNotOptimize(scrambled.writeItems(body.data(), itemSize, count));
  }
  state.SetBytesProcessed(state.range(0) * state.iterations());
}
BENCHMARK(scrambleBody)
    ->ArgNames({"bytes", "call"})
    ->Args({1 << 20, 1})
    ->Args({64 << 20, 1})
    ->Args({1 << 20, 4})
    ->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rpgc::bench
