// Drops the last reference to a large shared object on a thread of its own. Freeing a
// station-year's time view with the snapshot it holds (35,040 files' readings, their statistics
// and criteria tables) takes 30 to 60 ms, which the GUI thread must not spend in one piece.
// An object someone else still holds is left to them.
#pragma once

#include <memory>
#include <thread>
#include <utility>

namespace viewer {

class OffThreadRelease {
 public:
  template <typename T>
  void release(std::shared_ptr<T> object) {
    if (!object || object.use_count() > 1) return;
    // The previous one has long been freed: a release is one per time view at most.
    if (thread_.joinable()) thread_.join();
    thread_ = std::jthread([last = std::move(object)]() mutable { last.reset(); });
  }

 private:
  std::jthread thread_;  // joined on destruction: nothing outlives the window
};

}  // namespace viewer
