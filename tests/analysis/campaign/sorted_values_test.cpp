// The radix sort of a column against std::sort: the same doubles in the same places.
#include "analysis/campaign/sorted_values.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <functional>
#include <limits>
#include <random>

namespace analysis {
namespace {

TEST(SortedValues, TheOrderOfStdSort) {
  std::mt19937_64 random(7);
  std::lognormal_distribution<double> psd(-10, 6);
  const struct {
    const char* what;
    std::size_t n;
    std::function<double(std::size_t)> value;
  } cases[] = {
      {"a short column", 100, [&](std::size_t) { return psd(random); }},
      {"a station-year's column", 35040, [&](std::size_t) { return psd(random); }},
      {"signs, zeros, repeats and extremes", 5000,
       [&](std::size_t i) {
         const double extremes[] = {0.0,
                                    -3.5,
                                    3.5,
                                    std::numeric_limits<double>::denorm_min(),
                                    -std::numeric_limits<double>::infinity(),
                                    1e300};
         return i % 3 == 0 ? extremes[i % 6] : (i % 2 ? -1 : 1) * psd(random);
       }},
      {"one value throughout", 4000, [](std::size_t) { return 2.5; }},
  };
  std::vector<double> scratch;
  for (const auto& c : cases) {
    std::vector<double> values(c.n);
    for (std::size_t i = 0; i < c.n; ++i) values[i] = c.value(i);
    std::vector<double> expected = values;
    std::sort(expected.begin(), expected.end());
    sortAscending(values, scratch);
    EXPECT_EQ(values, expected) << c.what;
  }
}

}  // namespace
}  // namespace analysis
