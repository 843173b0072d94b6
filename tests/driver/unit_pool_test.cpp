// Tests of UnitPool and compileUnit: files merge in order whatever the threads, a merge
// that says stop ends the run, and a file that is not a regular one waits for its turn.
#include "driver/unit_pool.h"

#include <gtest/gtest.h>
#include <sys/stat.h>

#include <fstream>
#include <string>
#include <vector>

#include "driver/compilation_unit.h"
#include "support/temp_dir.h"

namespace rpgc {
namespace {

class NoFindings : public FindingSink {
 public:
  void report(Finding) override {}
};

TEST(UnitPoolTest, MergesInOrderAndStopsWhenAsked) {
  test::TempDir dir;
  constexpr int32_t kCount = 40;
  std::vector<std::string> paths;
  for (int32_t k = 0; k < kCount; ++k) {
    paths.push_back(dir.file("f" + std::to_string(k) + ".txt"));
    std::ofstream(paths.back()) << "BEGIN quest Q" << k << "\nINTEGER N = " << k << "\nEND\n\n";
  }
  NoFindings sink;
  for (int32_t workers : {0, 1, 3, 8}) {
    for (int32_t stopAt : {kCount, 0, 7}) {
      UnitPool pool(workers);
      std::vector<int32_t> merged;
      pool.run(
          kCount,
          [&](CompilationUnit& unit, int32_t k) {
            unit.prepare(paths[static_cast<size_t>(k)], k, sink, false);
          },
          [&](CompilationUnit& unit, int32_t k) {
            EXPECT_EQ(unit.file, k);
            EXPECT_TRUE(unit.readOk);
            EXPECT_EQ(unit.state.registry.count(), 1);
            merged.push_back(k);
            return k != stopAt;
          });
      std::vector<int32_t> expected;
      for (int32_t k = 0; k < kCount && (k == 0 || k - 1 != stopAt); ++k) expected.push_back(k);
      EXPECT_EQ(merged, expected) << workers << " workers, stop at " << stopAt;
    }
  }
}

TEST(UnitPoolTest, OnlyRegularFilesAreReadAheadOfTheirTurn) {
  test::TempDir dir;
  ASSERT_EQ(::mkfifo(dir.file("pipe").c_str(), 0600), 0);
  NoFindings sink;
  CompilationUnit unit;
  unit.prepare(dir.file("pipe"), 0, sink, false);
  compileUnit(unit, false);  // would block on the pipe if it read it
  EXPECT_FALSE(unit.read);
  unit.prepare(dir.file("missing.txt"), 1, sink, false);
  compileUnit(unit, false);  // missing: its turn gives the failure
  EXPECT_FALSE(unit.read);
  compileUnit(unit, true);
  EXPECT_TRUE(unit.read);
  EXPECT_FALSE(unit.readOk);
  unit.prepare("", 2, sink, false);  // an empty name compiles as an empty file
  compileUnit(unit, false);
  EXPECT_TRUE(unit.read && unit.readOk && unit.walked);
}

}  // namespace
}  // namespace rpgc
