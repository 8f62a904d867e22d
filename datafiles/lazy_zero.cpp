#include "datafiles/lazy_zero.h"

#include <sys/mman.h>

#include <cstdint>
#include <cstdlib>
#include <map>
#include <mutex>
#include <new>

namespace datafiles {
namespace {

constexpr std::size_t kHugePage = std::size_t{2} << 20;
constexpr std::size_t kRegionBytes = 16 * kHugePage;  // 32 MB of address space per region
constexpr std::size_t kPooledFrom = std::size_t{32} << 10;
constexpr std::size_t kOwnMappingFrom = kRegionBytes / 4;
constexpr std::size_t kAlignment = 64;

std::size_t roundUp(std::size_t bytes, std::size_t to) {
  return (bytes + to - 1) / to * to;
}

// A mapping of `bytes` (a multiple of kHugePage) that starts on a huge-page boundary and asks
// for huge pages: first touches then cost one fault per 2 MB instead of one per 4 kB.
char* mapZeroPages(std::size_t bytes) {
  void* raw = ::mmap(nullptr, bytes + kHugePage, PROT_READ | PROT_WRITE,
                     MAP_PRIVATE | MAP_ANONYMOUS, -1, 0);
  if (raw == MAP_FAILED) throw std::bad_alloc();
  auto* start = static_cast<char*>(raw);
  auto* aligned =
      reinterpret_cast<char*>(roundUp(reinterpret_cast<std::uintptr_t>(start), kHugePage));
  if (aligned > start) ::munmap(start, static_cast<std::size_t>(aligned - start));
  const std::size_t tail = kHugePage - static_cast<std::size_t>(aligned - start);
  if (tail > 0) ::munmap(aligned + bytes, tail);
  ::madvise(aligned, bytes, MADV_HUGEPAGE);  // a hint: without it the pages are small
  return aligned;
}

// Large buffers are cut one after the other from regions of fresh zero pages and never reused
// within a region: a region is unmapped when the last buffer cut from it is released, and new
// buffers come from a fresh region, zero again.
struct Region {
  char* start = nullptr;
  std::size_t used = 0;
  std::size_t live = 0;
};

class Pool {
 public:
  void* take(std::size_t bytes) {
    const std::lock_guard lock(mutex_);
    bytes = roundUp(bytes, kAlignment);
    if (!current_ || current_->used + bytes > kRegionBytes) {
      // A full region stays until its last buffer is released (a region with none left has
      // already been unmapped by give).
      current_ = new Region{mapZeroPages(kRegionBytes), 0, 0};
    }
    char* p = current_->start + current_->used;
    current_->used += bytes;
    ++current_->live;
    regions_[current_->start] = current_;
    return p;
  }

  void give(void* p, std::size_t bytes) {
    const std::lock_guard lock(mutex_);
    auto it = regions_.upper_bound(static_cast<char*>(p));  // the region starting at or before p
    --it;
    Region* region = it->second;
    if (--region->live > 0) {
      // The region lives on for its other buffers; the whole pages of this one go back to the
      // system (they are never handed out again).
      auto* first = reinterpret_cast<char*>(roundUp(reinterpret_cast<std::uintptr_t>(p), 4096));
      auto* last = reinterpret_cast<char*>(
          (reinterpret_cast<std::uintptr_t>(p) + roundUp(bytes, kAlignment)) / 4096 * 4096);
      if (last > first) ::madvise(first, static_cast<std::size_t>(last - first), MADV_DONTNEED);
      return;
    }
    regions_.erase(it);
    if (region == current_) current_ = nullptr;
    ::munmap(region->start, kRegionBytes);
    delete region;
  }

 private:
  std::mutex mutex_;
  Region* current_ = nullptr;
  std::map<char*, Region*> regions_;  // by start address
};

Pool& pool() {
  static Pool* instance = new Pool;  // lives to the end of the process
  return *instance;
}

}  // namespace

// Under AddressSanitizer every buffer comes from calloc, so that reads and writes past a
// buffer's end are caught (the sanitizer cannot guard memory cut from a mapping).
#if defined(__SANITIZE_ADDRESS__)
constexpr bool kSanitized = true;
#elif defined(__has_feature)
#if __has_feature(address_sanitizer)
constexpr bool kSanitized = true;
#else
constexpr bool kSanitized = false;
#endif
#else
constexpr bool kSanitized = false;
#endif

void* allocateZeroPages(std::size_t bytes) {
  if (kSanitized || bytes < kPooledFrom) {
    void* p = std::calloc(bytes, 1);
    if (!p) throw std::bad_alloc();
    return p;
  }
  if (bytes >= kOwnMappingFrom) return mapZeroPages(roundUp(bytes, kHugePage));
  return pool().take(bytes);
}

void releaseZeroPages(void* p, std::size_t bytes) noexcept {
  if (!p) return;
  if (kSanitized || bytes < kPooledFrom) {
    std::free(p);
  } else if (bytes >= kOwnMappingFrom) {
    ::munmap(p, roundUp(bytes, kHugePage));
  } else {
    pool().give(p, bytes);
  }
}

}  // namespace datafiles
