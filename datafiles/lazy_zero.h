// Buffers sized for the largest file that cost only the pages a file uses.
//
// Large blocks from calloc are fresh pages that the system hands out zero when they are first
// touched; nothing writes the zeros. A buffer of 65537 lines thus costs, for a file of 1501
// lines, the few pages those lines occupy, and the program starts without filling megabytes.
#pragma once

#include <cstdlib>
#include <new>
#include <type_traits>
#include <utility>
#include <vector>

namespace datafiles {

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
    void* p = std::calloc(n, sizeof(T));
    if (!p) throw std::bad_alloc();
    return static_cast<T*>(p);
  }
  void deallocate(T* p, std::size_t) noexcept { std::free(p); }

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
