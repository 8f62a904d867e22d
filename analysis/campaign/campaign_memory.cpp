#include "analysis/campaign/campaign_memory.h"

#if defined(__GLIBC__) && defined(__linux__)
#include <malloc.h>
#include <sys/mman.h>
#include <unistd.h>

#include <cstdint>
#include <cstdlib>
#endif

namespace analysis {

namespace {

void reserveHeapInLargePages() {
#if defined(__GLIBC__) && defined(__linux__) && defined(MADV_HUGEPAGE)
  constexpr std::uintptr_t kLargePage = std::uintptr_t{2} << 20;
  mallopt(M_ARENA_MAX, 1);
  mallopt(M_MMAP_THRESHOLD, 32 << 20);
  mallopt(M_TRIM_THRESHOLD, static_cast<int>(2 * kCampaignHeapReserve));
  mallopt(M_TOP_PAD, static_cast<int>(kCampaignHeapReserve));
  // A block larger than what is left of the heap makes it grow, by the reserve beside.
  void* growth = std::malloc(std::size_t{1} << 20);
  if (!growth) return;
  const auto from = (reinterpret_cast<std::uintptr_t>(growth) + kLargePage - 1) & ~(kLargePage - 1);
  const auto to = reinterpret_cast<std::uintptr_t>(sbrk(0)) & ~(kLargePage - 1);
  std::free(growth);
  mallopt(M_TOP_PAD, 128 << 10);  // the C library's default again for what outgrows it
  // Only the range just grown (the heap may have been placed elsewhere, when it could not grow
  // in place); where the system refuses, the pages are small ones, as before.
  if (to > from && to - from <= kCampaignHeapReserve + kLargePage)
    madvise(reinterpret_cast<void*>(from), to - from, MADV_HUGEPAGE);
#endif
}

}  // namespace

void holdCampaignInLargePages() {
  static const bool reserved = (reserveHeapInLargePages(), true);
  (void)reserved;
}

}  // namespace analysis
