// A zero-filled array whose size is fixed when it is made: it cannot be resized or reallocated,
// so views of it stay valid for the owner's lifetime.
#pragma once

#include <cstddef>
#include <memory>
#include <span>

namespace analysis {

template <typename T>
class FixedArray {
 public:
  explicit FixedArray(std::size_t size) : values_(std::make_unique<T[]>(size)), size_(size) {}

  T& operator[](std::size_t i) { return values_[i]; }
  const T& operator[](std::size_t i) const { return values_[i]; }
  std::size_t size() const { return size_; }
  T* data() { return values_.get(); }
  const T* data() const { return values_.get(); }
  std::span<T> span() { return {values_.get(), size_}; }
  std::span<const T> span() const { return {values_.get(), size_}; }

 private:
  std::unique_ptr<T[]> values_;  // make_unique<T[]> value-initialises: all zero
  std::size_t size_;
};

}  // namespace analysis
