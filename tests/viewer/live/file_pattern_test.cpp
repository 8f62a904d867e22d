#include "viewer/live/file_pattern.h"

#include <gtest/gtest.h>

namespace viewer {
namespace {

TEST(FilePattern, ThreeLetterExtensionsAlsoMatchLongerOnes) {
  const struct {
    const char* name;
    const char* pattern;
    bool listed;
  } cases[] = {
      {"12345678.csvz", "*.csvz", true},   {"12345678.CSVZ", "*.csvz", true},
      {"12345678.csvn", "*.csvz", false},  {"12345678.csvz", "*.csv", true},
      {"12345678.csve", "*.csv", true},    {"12345678.csv", "*.csv", true},
      {"12345678.csvzz", "*.csvz", false}, {"12345678.cswn", "*.cswn", true},
      {"12345678.cswn", "*.csv", false},   {"12345678.prn", "*.csv", false},
      {"av.csv", "*.csv", true},           {"noextension", "*.csv", false},
      {"a.b.csvz", "*.csvz", true},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(matchesFilePattern(c.name, c.pattern), c.listed) << c.name << " " << c.pattern;
  }
}

}  // namespace
}  // namespace viewer
