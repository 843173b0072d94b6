// UnitPool: compiles the run's source files on worker threads and hands them, in file
// order, to the one thread that merges them.
//
// Workers take the files in order, each into one of a fixed ring of units, and run at most
// a ring's length ahead of the merge: a unit is compiled again only once it was merged,
// so its memory serves file after file and the run's memory stays bounded by the ring,
// whatever the number of files. Without workers the calling thread compiles each file
// right before merging it.
#ifndef RPGC_DRIVER_UNIT_POOL_H_
#define RPGC_DRIVER_UNIT_POOL_H_

#include <condition_variable>
#include <cstdint>
#include <functional>
#include <memory>
#include <mutex>
#include <vector>

#include "driver/compilation_unit.h"

namespace rpgc {

class UnitPool {
 public:
  /// Makes ready unit for file number k (called on a worker thread: it may only read
  /// what no other thread changes).
  using Prepare = std::function<void(CompilationUnit& unit, int32_t k)>;
  /// Merges unit k (called on the calling thread, in order of k); false stops the run.
  using Merge = std::function<bool(CompilationUnit& unit, int32_t k)>;

  /// A pool of workers threads (0: none).
  explicit UnitPool(int32_t workers);
  UnitPool(const UnitPool&) = delete;
  UnitPool& operator=(const UnitPool&) = delete;
  ~UnitPool();

  /// Compiles files 0 .. count - 1 and merges them in order, until a merge says stop.
  /// Returns once every worker has finished.
  void run(int32_t count, const Prepare& prepare, const Merge& merge);

 private:
  void work(int32_t count, const Prepare& prepare);

  int32_t workers_;
  std::vector<std::unique_ptr<CompilationUnit>> ring_;
  std::mutex mutex_;
  std::condition_variable slotFree_;
  std::condition_variable unitDone_;
  // Guarded by mutex_: the next file to compile, the files merged, whether the run stops,
  // and which file each unit of the ring holds compiled (-1: none).
  int32_t next_ = 0;
  int32_t merged_ = 0;
  bool stop_ = false;
  std::vector<int32_t> compiled_;
};

/// How many source files compile at once: asked (the command line's -j), else the
/// RPGC_JOBS variable when it holds a valid number, else one per core.
int32_t jobsWanted(int32_t asked);

}  // namespace rpgc

#endif  // RPGC_DRIVER_UNIT_POOL_H_
