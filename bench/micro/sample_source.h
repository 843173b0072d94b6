// sampleSource: generated source text for the micro-benchmarks, held in memory.
//
// A smaller cousin of bench/generate_project.py: items, characters, quests, locations and
// shops in turn, a string section after every tenth object, every reference naming an
// object of the text. The text depends only on the object count.
#ifndef RPGC_BENCH_MICRO_SAMPLE_SOURCE_H_
#define RPGC_BENCH_MICRO_SAMPLE_SOURCE_H_

#include <cstdint>
#include <string>
#include <vector>

namespace rpgc::bench {

/// The text of one source file of objectCount objects, with its line ends.
std::string sampleSource(int32_t objectCount);

/// The lines of sampleSource(objectCount), without line ends.
std::vector<std::string> sampleLines(int32_t objectCount);

/// count distinct names shaped like the object names of the sources.
std::vector<std::string> sampleNames(int32_t count);

}  // namespace rpgc::bench

#endif  // RPGC_BENCH_MICRO_SAMPLE_SOURCE_H_
