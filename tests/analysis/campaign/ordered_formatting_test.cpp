// Blocks formatted on two threads reach the sink whole and in order, whatever each block's
// time; a failure on either side ends the work and reaches the caller.
#include "analysis/campaign/ordered_formatting.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <chrono>
#include <stdexcept>
#include <thread>
#include <utility>

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

// Nothing is handed on after the failing block or the failing sink call.
TEST(FormatInOrder, AFailureOfTheFormatOrTheSinkReachesTheCaller) {
  constexpr std::size_t kNever = 99;
  const std::pair<std::size_t, std::size_t> failing[] = {{0, kNever}, {17, kNever}, {kNever, 8}};
  for (const auto& [formatFails, sinkFails] : failing) {
    std::size_t handed = 0;
    const auto format = [&](std::size_t block, std::string& text) {
      if (block == formatFails) throw std::runtime_error("format");
      slowAndFast(block, text);
    };
    const auto sink = [&](std::string_view) {
      if (handed++ == sinkFails) throw std::runtime_error("sink");
    };
    EXPECT_THROW(formatInOrder(40, format, sink), std::runtime_error);
    EXPECT_LE(handed, std::min(formatFails, sinkFails + 1)) << formatFails << " " << sinkFails;
  }
}

}  // namespace
}  // namespace analysis
