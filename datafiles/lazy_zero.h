// Buffers sized for the largest file that cost only the pages a file uses.
//
// Large blocks are fresh pages that the system hands out zero when they are first touched;
// nothing writes the zeros. A buffer of 65537 lines thus costs, for a file of 1501
// lines, the few pages those lines occupy, and the program starts without filling megabytes.
#pragma once

#include <cstdlib>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace datafiles {

// `bytes` of zero storage aligned for any type, whose pages the system fills on first touch.
// Buffers of 32 kB and more come from large mappings that ask for 2 MB pages, each touched
// huge page costing one fault instead of 512; smaller ones from calloc. Safe from any thread.
// Throws std::bad_alloc.
void* allocateZeroPages(std::size_t bytes);
// Gives back what allocateZeroPages(bytes) returned.
void releaseZeroPages(void* p, std::size_t bytes) noexcept;

// Deleter of what allocateZeroPages(bytes) returned.
struct ZeroPagesRelease {
  std::size_t bytes = 0;
  void operator()(void* p) const noexcept { releaseZeroPages(p, bytes); }
};

// An allocator whose storage is zero without being written. Elements made without a value
// (vector(n), resize(n)) are left as the storage holds them: zero in a new allocation. A vector
// that shrinks and grows again keeps its earlier values in the regained part; the buffers here
// are made at their full size once and never resized.
template <typename T>
struct LazyZeroAllocator {
  static_assert(std::is_trivially_copyable_v<T> && std::is_trivially_default_constructible_v<T>,
                "zero bytes must be a valid value");
  using value_type = T;

  LazyZeroAllocator() = default;
  template <typename U>
  LazyZeroAllocator(const LazyZeroAllocator<U>&) noexcept {}

  T* allocate(std::size_t n) {
    if (n == 0) return nullptr;
    if (n > std::size_t(-1) / sizeof(T)) throw std::bad_alloc();
    return static_cast<T*>(allocateZeroPages(n * sizeof(T)));
  }
  void deallocate(T* p, std::size_t n) noexcept { releaseZeroPages(p, n * sizeof(T)); }

  template <typename U>
  void construct(U*) noexcept {}  // already zero
  template <typename U, typename... Args>
  void construct(U* p, Args&&... args) {
    ::new (static_cast<void*>(p)) U(std::forward<Args>(args)...);
  }

  template <typename U>
  bool operator==(const LazyZeroAllocator<U>&) const noexcept {
    return true;
  }
};

// A vector of `size` zeros whose pages are first touched by whoever uses them.
template <typename T>
using LazyZeroVector = std::vector<T, LazyZeroAllocator<T>>;

}  // namespace datafiles
