// HeapPages: asks the kernel to back the compiler's heap with large pages.
//
// A compilation keeps millions of small blocks (objects, property lists, names) in
// malloc's main heap, and every fresh 4 KiB page of it costs a page fault; on a virtual
// machine a fault costs several microseconds, a quarter of a run. Where transparent huge
// pages are enabled on request ("madvise" mode, the usual default), advising the heap
// as it grows makes one fault per 2 MiB and fewer TLB misses. The heap is asked to grow
// in large steps, so each new stretch is advised before most of it is touched. Freed
// memory is never given back during the run, and the worker threads allocate from the
// same heap, so every page is faulted in once, as a large page.
//
// Nothing observable depends on it: where the platform lacks any of this (another C
// library, a sanitizer's allocator, no transparent huge pages) it does nothing.
#ifndef RPGC_IO_HEAP_PAGES_H_
#define RPGC_IO_HEAP_PAGES_H_

#include <cstdint>

namespace rpgc {

class HeapPages {
 public:
  /// Sets malloc's growth step and records where the heap ends now.
  HeapPages();
  HeapPages(const HeapPages&) = delete;
  HeapPages& operator=(const HeapPages&) = delete;

  /// Advises the stretch the heap grew by since the last call. Cheap when it did not grow:
  /// call it often (after each source file).
  void adviseGrowth();

 private:
  uintptr_t advisedEnd_ = 0;
};

}  // namespace rpgc

#endif  // RPGC_IO_HEAP_PAGES_H_
