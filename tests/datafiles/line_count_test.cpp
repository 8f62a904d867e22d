#include "datafiles/line_count.h"

#include <gtest/gtest.h>

namespace datafiles {
namespace {

TEST(LineCount, CountsLinesAfterTheFirstWhateverTheLineEnds) {
  const struct {
    const char* text;
    std::size_t lines;
  } cases[] = {
      {"", 0},
      {"header only\r\n", 0},
      {"header\r\n\r\n  \r\n", 0},
      {"h\r\n1\r\n2\r\n", 2},
      {"h\r\n1\r\n2", 2},
      {"h\n1\n2\n", 2},
      {"h\r1\r2\r", 2},
      {"h\r\n1\r2\n3\r\n", 3},
      {"h\r\n1\r\n2\r\n\r\n\r\n", 2},  // blank lines at the very end are no records
      {"h\r\n1\r\n\r\n2\r\n", 3},      // a blank line inside still counts
      {"h\n1\n2\n \t\n", 2},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(countLinesAfterFirst(c.text), c.lines) << '"' << c.text << '"';
  }
}

TEST(LineCount, StandardRecordLengthsAreRestoredFromTheLineCount) {
  EXPECT_EQ(normaliseSampleCount(3002), 3000);
  EXPECT_EQ(normaliseSampleCount(12002), 12000);
  EXPECT_EQ(normaliseSampleCount(32770), 32768);
  EXPECT_EQ(normaliseSampleCount(131074), 131072);
  EXPECT_EQ(normaliseSampleCount(3000), 3000);
  EXPECT_EQ(normaliseSampleCount(6002), 6002);
  EXPECT_EQ(normaliseSampleCount(2), 2);
}

}  // namespace
}  // namespace datafiles
