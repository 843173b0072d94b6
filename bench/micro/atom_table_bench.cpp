// Micro-benchmarks of AtomTable::intern: names not yet in the table, and names that are.
#include <benchmark/benchmark.h>

#include <cstdint>
#include <memory>
#include <string>
#include <vector>

#include "core/atom_table.h"
#include "micro/sample_source.h"

namespace rpgc::bench {
namespace {

void internNewNames(benchmark::State& state) {
  std::vector<std::string> names = sampleNames(static_cast<int32_t>(state.range(0)));
  for (auto _ : state) {
    auto atoms = std::make_unique<AtomTable>();
    for (const std::string& name : names) benchmark::DoNotOptimize(atoms->intern(name));
    // The compiler never releases its table; keep the release out of the figure.
    state.PauseTiming();
    atoms.reset();
    state.ResumeTiming();
  }
  state.SetItemsProcessed(state.range(0) * state.iterations());
}
BENCHMARK(internNewNames)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

void internExistingNames(benchmark::State& state) {
  std::vector<std::string> names = sampleNames(static_cast<int32_t>(state.range(0)));
  AtomTable atoms;
  for (const std::string& name : names) atoms.intern(name);
  for (auto _ : state) {
    for (const std::string& name : names) benchmark::DoNotOptimize(atoms.intern(name));
  }
  state.SetItemsProcessed(state.range(0) * state.iterations());
}
BENCHMARK(internExistingNames)->Arg(1000)->Arg(100000)->Arg(1000000)->Unit(benchmark::kMillisecond);

}  // namespace
}  // namespace rpgc::bench
