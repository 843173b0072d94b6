// Micro-benchmarks of integerOfText and floatOfText on the numbers sources hold.
#include <benchmark/benchmark.h>

#include <array>
#include <cstdint>
#include <string_view>

#include "source/number_text.h"

namespace rpgc::bench {
namespace {

constexpr std::array<std::string_view, 8> kIntegers = {"14", "-7",    "573", "1387",
                                                       "2",  "65535", "0",   "4294967297"};
constexpr std::array<std::string_view, 8> kFloats = {"3.5",  "0.25", "-4182.11", "1.05",
                                                     "1983", "0.1",  "24.85",    "1e3"};

void integerOfTypicalText(benchmark::State& state) {
  for (auto _ : state) {
    for (std::string_view text : kIntegers) benchmark::DoNotOptimize(integerOfText(text));
  }
  state.SetItemsProcessed(static_cast<int64_t>(kIntegers.size()) * state.iterations());
}
BENCHMARK(integerOfTypicalText);

void floatOfTypicalText(benchmark::State& state) {
  for (auto _ : state) {
    for (std::string_view text : kFloats) benchmark::DoNotOptimize(floatOfText(text));
  }
  state.SetItemsProcessed(static_cast<int64_t>(kFloats.size()) * state.iterations());
}
BENCHMARK(floatOfTypicalText);

// A long decimal expansion: the slow path of correct rounding.
void floatOfLongText(benchmark::State& state) {
  constexpr std::string_view kText = "0.10000000149011611938476562500000000000000000001";
  for (auto _ : state) benchmark::DoNotOptimize(floatOfText(kText));
  state.SetItemsProcessed(state.iterations());
}
BENCHMARK(floatOfLongText);

}  // namespace
}  // namespace rpgc::bench
