// Heap tuning.
#include "large_pages.h"

#include <cstdint>
#include <cstdlib>  // defines __GLIBC__ where the C library is glibc

#if defined(__linux__) && defined(__GLIBC__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>
#endif

namespace zorvan {

void UseLargePagesForTheHeap() {
#if defined(__linux__) && defined(__GLIBC__)
    constexpr uintptr_t kLargePage = uintptr_t{2} << 20;
    constexpr int kReserve = 256 << 20;   // address space only: a page costs memory once it is written
    mallopt(M_MMAP_THRESHOLD, 32 << 20);  // blocks up to 32 MB come from the heap, so freed ones are reused
    mallopt(M_TRIM_THRESHOLD, 512 << 20);  // and the heap is not handed back between stages
    mallopt(M_TOP_PAD, kReserve);         // it grows in one step
    // The heap from the block just made to its end, which the first allocation after the settings moved by
    // the reserve.
    void* volatile block = std::malloc(1 << 20);
    const auto from = reinterpret_cast<uintptr_t>(block);
    const auto to = reinterpret_cast<uintptr_t>(sbrk(0));
    std::free(block);
    const uintptr_t start = (from + kLargePage - 1) & ~(kLargePage - 1), end = to & ~(kLargePage - 1);
    if (end > start) (void)madvise(reinterpret_cast<void*>(start), end - start, MADV_HUGEPAGE);
#endif
}

}  // namespace zorvan
