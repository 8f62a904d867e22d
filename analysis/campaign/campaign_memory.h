// Where a process that holds a whole campaign in memory takes that memory from.
//
// A warm station-year (35,040 readings from the cache, their statistics and a 280 MB bins table
// laid out in pieces) touches about 280 MB of fresh memory in hundreds of thousands of small
// allocations. In 4 kB pages that is some 70,000 page faults, on the two-core machines of this
// project as much system time as the look-ups' own work (a profile: a third of the warm run's
// processor time in the kernel, most of it faulting in the heap). In 2 MB pages it is a few
// hundred. The system gives large pages to memory that asks for them (transparent huge pages in
// "madvise" mode); the C library's heap does not ask by default.
//
// So the heap is reserved in one step of kCampaignHeapReserve and that range asks for large
// pages; every thread allocates from that one heap (the C library's per-thread heaps lie
// elsewhere); blocks up to 32 MB stay in it, so that the statistics' columns reuse freed memory
// rather than mapping fresh pages each; and it is not given back while the process runs (given
// back, the range would be taken again without asking for large pages). What outgrows the
// reserve is taken as before, in small pages. The reserve is address space: only the pages
// touched are memory (rounded up to 2 MB).
#pragma once

#include <cstddef>

namespace analysis {

inline constexpr std::size_t kCampaignHeapReserve = std::size_t{512} << 20;

// Sets up the heap as above for the whole process, the first time it is called; early, before
// threads are made, so that they use that heap. Does nothing where the C library or the system
// offers no such settings.
void holdCampaignInLargePages();

}  // namespace analysis
