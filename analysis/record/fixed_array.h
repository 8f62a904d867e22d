// A zero-filled array whose size is fixed when it is made: it cannot be resized or reallocated,
// so views of it stay valid for the owner's lifetime.
#pragma once

#include <cstddef>
#include <span>

#include "datafiles/lazy_zero.h"

namespace analysis {

template <typename T>
class FixedArray {
 public:
  // The zeros are the system's fresh pages: an array costs only the pages that get used.
  explicit FixedArray(std::size_t size) : values_(size) {}
  FixedArray(const FixedArray&) = delete;
  FixedArray& operator=(const FixedArray&) = delete;
  FixedArray(FixedArray&&) = default;
  FixedArray& operator=(FixedArray&&) = default;

  T& operator[](std::size_t i) { return values_[i]; }
  const T& operator[](std::size_t i) const { return values_[i]; }
  std::size_t size() const { return values_.size(); }
  T* data() { return values_.data(); }
  const T* data() const { return values_.data(); }
  std::span<T> span() { return {values_.data(), values_.size()}; }
  std::span<const T> span() const { return {values_.data(), values_.size()}; }

 private:
  datafiles::LazyZeroVector<T> values_;  // never resized
};

}  // namespace analysis
