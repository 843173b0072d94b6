// HeapPages: malloc's growth step and madvise(MADV_HUGEPAGE) on the stretches it adds.
#include "io/heap_pages.h"

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#define RPGC_HEAP_PAGES 1
#endif

namespace rpgc {

#ifdef RPGC_HEAP_PAGES

namespace {

constexpr uintptr_t kPageSize = 4096;
// The heap grows by this much beyond each request: an advised stretch is mostly untouched.
constexpr int kGrowthStep = 64 << 20;
constexpr int kNeverTrim = INT32_MAX;

uintptr_t heapEnd() {
  return reinterpret_cast<uintptr_t>(sbrk(0));
}

}  // namespace

HeapPages::HeapPages() {
  mallopt(M_TOP_PAD, kGrowthStep);
  // Every block comes from the heap, none from a mapping of its own: large buffers, lists
  // and indexes then get large pages too, and freed ones are reused rather than mapped
  // anew. (When the heap cannot grow, malloc still falls back to mappings.)
  mallopt(M_MMAP_MAX, 0);
  // Memory freed stays with the process for the rest of the run: given back, it would be
  // faulted in, and zeroed by the kernel, again by the next file's buffers.
  mallopt(M_TRIM_THRESHOLD, kNeverTrim);
  // The worker threads that compile source files allocate from this heap too, rather than
  // from arenas of their own: those are not advised, so their pages would fault one 4 KiB
  // page at a time, and each arena keeps its own slack.
  mallopt(M_ARENA_MAX, 1);
  advisedEnd_ = heapEnd();
}

void HeapPages::adviseGrowth() {
  uintptr_t end = heapEnd();
  if (end <= advisedEnd_ || advisedEnd_ == 0) return;
  uintptr_t start = advisedEnd_ & ~(kPageSize - 1);
  // A refusal (no transparent huge pages here) changes nothing; it is not an error.
  madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
  advisedEnd_ = end;
}

#else

HeapPages::HeapPages() = default;

void HeapPages::adviseGrowth() {}

#endif

}  // namespace rpgc
