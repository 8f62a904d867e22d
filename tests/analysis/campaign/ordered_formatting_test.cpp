// Blocks formatted on two threads reach the sink whole and in order, whatever each block's
// time; a failure on either side ends the work and reaches the caller.
#include "analysis/campaign/ordered_formatting.h"

#include <gtest/gtest.h>

#include <chrono>
#include <stdexcept>
#include <thread>

namespace analysis {
namespace {

// Block b is "b:" then b copies of 'x' and a newline; every seventh block takes a while.
void slowAndFast(std::size_t block, std::string& text) {
  if (block % 7 == 3) std::this_thread::sleep_for(std::chrono::milliseconds(2));
  text += std::to_string(block) + ':' + std::string(block, 'x') + '\n';
}

TEST(FormatInOrder, HandsEveryBlockOnInOrder) {
  for (const std::size_t count : {0, 1, 2, 3, 5, 64}) {
    std::string expected;
    for (std::size_t b = 0; b < count; ++b) slowAndFast(b, expected);
    std::string handed;
    formatInOrder(count, slowAndFast, [&handed](std::string_view piece) { handed += piece; });
    EXPECT_TRUE(handed == expected) << count << " blocks";
  }
}

TEST(FormatInOrder, AFailureOfTheFormatOrTheSinkReachesTheCaller) {
  const auto failingAt = [](std::size_t bad) {
    return [bad](std::size_t block, std::string& text) {
      if (block == bad) throw std::runtime_error("format");
      slowAndFast(block, text);
    };
  };
  std::size_t pieces = 0;
  const auto counting = [&pieces](std::string_view) { ++pieces; };
  EXPECT_THROW(formatInOrder(40, failingAt(0), counting), std::runtime_error);
  EXPECT_THROW(formatInOrder(40, failingAt(17), counting), std::runtime_error);
  pieces = 0;
  const auto failingSink = [&pieces](std::string_view) {
    if (++pieces == 9) throw std::length_error("sink");
  };
  EXPECT_THROW(formatInOrder(40, slowAndFast, failingSink), std::length_error);
  EXPECT_EQ(pieces, 9u);  // nothing handed on after the failure
}

}  // namespace
}  // namespace analysis
