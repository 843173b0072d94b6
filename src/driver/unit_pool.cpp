// UnitPool: a ring of units, a counter of files handed out and one of files merged.
#include "driver/unit_pool.h"

#include <algorithm>
#include <cstdlib>
#include <thread>

#include "driver/command_line.h"

namespace rpgc {

namespace {

// Units per worker: one compiling, one compiled and waiting for its merge.
constexpr int32_t kUnitsPerWorker = 2;

}  // namespace

UnitPool::UnitPool(int32_t workers) : workers_(workers < 0 ? 0 : workers) {}

UnitPool::~UnitPool() = default;

void UnitPool::work(int32_t count, const Prepare& prepare) {
  auto ring = static_cast<int32_t>(ring_.size());
  while (true) {
    int32_t k;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      slotFree_.wait(lock, [&] { return stop_ || next_ >= count || next_ < merged_ + ring; });
      if (stop_ || next_ >= count) return;
      k = next_++;
    }
    CompilationUnit& unit = *ring_[static_cast<size_t>(k % ring)];
    try {
      prepare(unit, k);
    } catch (...) {
      unit.failure = std::current_exception();
    }
    if (!unit.failure) compileUnit(unit, false);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      compiled_[static_cast<size_t>(k % ring)] = k;
    }
    unitDone_.notify_all();
  }
}

void UnitPool::run(int32_t count, const Prepare& prepare, const Merge& merge) {
  int32_t workers = std::min(workers_, count);
  auto ring = static_cast<size_t>(workers > 0 ? workers * kUnitsPerWorker : 1);
  while (ring_.size() < ring) ring_.push_back(std::make_unique<CompilationUnit>());
  if (workers == 0) {
    CompilationUnit& unit = *ring_[0];
    for (int32_t k = 0; k < count; ++k) {
      prepare(unit, k);
      compileUnit(unit, true);
      if (!merge(unit, k)) return;
    }
    return;
  }
  ring = ring_.size();
  compiled_.assign(ring, -1);
  next_ = 0;
  merged_ = 0;
  stop_ = false;
  std::vector<std::thread> threads;
  // The workers stop and are joined however the merging ends (a merge may throw).
  struct Joiner {
    UnitPool& pool;
    std::vector<std::thread>& threads;
    ~Joiner() {
      {
        std::lock_guard<std::mutex> lock(pool.mutex_);
        pool.stop_ = true;
      }
      pool.slotFree_.notify_all();
      for (std::thread& thread : threads) thread.join();
    }
  } joiner{*this, threads};
  threads.reserve(static_cast<size_t>(workers));
  for (int32_t w = 0; w < workers; ++w) threads.emplace_back([&] { work(count, prepare); });
  for (int32_t k = 0; k < count; ++k) {
    size_t slot = static_cast<size_t>(k) % ring;
    {
      std::unique_lock<std::mutex> lock(mutex_);
      unitDone_.wait(lock, [&] { return compiled_[slot] == k; });
    }
    CompilationUnit& unit = *ring_[slot];
    // A file left unread (not a regular file) is read now that its turn has come.
    if (!unit.read) compileUnit(unit, true);
    bool goOn = merge(unit, k);
    {
      std::lock_guard<std::mutex> lock(mutex_);
      merged_ = k + 1;
      if (!goOn) stop_ = true;
    }
    slotFree_.notify_all();
    if (!goOn) return;
  }
}

int32_t jobsWanted(int32_t asked) {
  if (asked > 0) return asked;
  if (const char* variable = std::getenv("RPGC_JOBS")) {
    if (int32_t jobs = jobsOfText(variable); jobs > 0) return jobs;
  }
  unsigned cores = std::thread::hardware_concurrency();
  return cores == 0 ? 1 : static_cast<int32_t>(std::min<unsigned>(cores, kMostJobs));
}

}  // namespace rpgc
