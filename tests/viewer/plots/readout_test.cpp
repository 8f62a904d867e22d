#include <gtest/gtest.h>

#include "viewer/plots/readout_format.h"

namespace viewer {
namespace {

TEST(ReadoutFormat, NumberPatterns) {
  EXPECT_EQ(fixedPattern(3.14159, 3), "3.142");
  EXPECT_EQ(fixedPattern(12.5, 3), "12.500");
  EXPECT_EQ(fixedPattern(0.0004, 3), "0.000");
  EXPECT_EQ(fixedPattern(9.9996, 3), "10.000");
  EXPECT_EQ(fixedPattern(-0.25, 2), "-0.25");
  EXPECT_EQ(scientificPattern(0.00001234), "1.23E-5");
  EXPECT_EQ(scientificPattern(37.99550805271493), "3.80E1");
  EXPECT_EQ(scientificPattern(1234567), "1.23E6");
  EXPECT_EQ(scientificPattern(9.996e-3), "1.00E-2");
  EXPECT_EQ(scientificPattern(0), "0.00E0");
  EXPECT_EQ(optionalDigitsPattern(12.345), "12.35");
  EXPECT_EQ(optionalDigitsPattern(0.5), ".5");
  EXPECT_EQ(optionalDigitsPattern(3), "3.");
  EXPECT_EQ(optionalDigitsPattern(453.96), "453.96");
}

TEST(ReadoutFormat, TheLineNearestTheCursor) {
  EXPECT_EQ(lineAtFrequency(12.34, 3000, 10), 74);   // 6 s records: 74.04
  EXPECT_EQ(lineAtFrequency(1, 32768, 8), 655);      // 655.36 s records
  EXPECT_EQ(lineAtFrequency(1000, 3000, 8), 1500);   // capped at the last line
  EXPECT_EQ(lineAtFrequency(2.5 / 60, 3000, 8), 2);  // halves go to the even line
  EXPECT_EQ(lineAtFrequency(3.5 / 60, 3000, 8), 4);
  EXPECT_EQ(lineAtFrequency(5, 0, 8), 0);  // nothing loaded yet
  EXPECT_EQ(lineAtFrequency(-3, 3000, 8), 0);
}

}  // namespace
}  // namespace viewer
