#include "analysis/campaign/ordered_formatting.h"

#include <algorithm>
#include <array>
#include <condition_variable>
#include <exception>
#include <mutex>
#include <thread>
#include <vector>

namespace analysis {

void formatInOrder(std::size_t count, const std::function<void(std::size_t, std::string&)>& format,
                   const datafiles::ChunkSink& sink) {
  constexpr std::size_t kThreads = 2;
  // Two blocks per thread: each can format its next while its last waits to be handed on.
  constexpr std::size_t kSlots = 2 * kThreads;
  constexpr std::size_t kNone = static_cast<std::size_t>(-1);
  std::array<std::string, kSlots> texts;
  std::mutex lock;
  std::condition_variable changed;
  std::array<std::size_t, kSlots> readyBlock;  // the block whose text a slot holds, guarded
  readyBlock.fill(kNone);
  std::size_t handedOn = 0;    // blocks given to the sink, guarded
  bool stopping = false;       // guarded
  std::exception_ptr failure;  // guarded
  // The first failure on either side stops both.
  const auto halt = [&](std::exception_ptr thrown) {
    {
      const std::lock_guard held(lock);
      if (!failure) failure = std::move(thrown);
      stopping = true;
    }
    changed.notify_all();
  };

  const auto formatter = [&](std::size_t first) {
    try {
      for (std::size_t block = first; block < count; block += kThreads) {
        {
          // Its slot is free once the block kSlots before it has been handed on.
          std::unique_lock held(lock);
          changed.wait(held, [&] { return stopping || block < handedOn + kSlots; });
          if (stopping) return;
        }
        std::string& text = texts[block % kSlots];
        text.clear();
        format(block, text);
        {
          const std::lock_guard held(lock);
          readyBlock[block % kSlots] = block;
        }
        changed.notify_all();
      }
    } catch (...) {
      halt(std::current_exception());
    }
  };

  {
    std::vector<std::jthread> threads;
    for (std::size_t t = 0; t < std::min(kThreads, count); ++t) threads.emplace_back(formatter, t);
    try {
      for (std::size_t block = 0; block < count; ++block) {
        {
          std::unique_lock held(lock);
          changed.wait(held, [&] { return stopping || readyBlock[block % kSlots] == block; });
          if (stopping) break;
        }
        sink(texts[block % kSlots]);
        {
          const std::lock_guard held(lock);
          ++handedOn;
        }
        changed.notify_all();
      }
    } catch (...) {
      halt(std::current_exception());
    }
  }  // the threads joined
  if (failure) std::rethrow_exception(failure);
}

}  // namespace analysis
