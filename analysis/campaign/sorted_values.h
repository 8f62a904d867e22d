// Ascending order of a column of values, as std::sort would leave it, found faster for the long
// columns of a station-year (35,040 values in each of ~250 columns): a least-significant-digit
// radix sort on the bits of each double, mapped so that their unsigned order is the numeric one
// (negative values with every bit flipped, the others with the sign bit set). Equal values are
// equal doubles, so the result is element for element that of std::sort; -0.0 comes before
// 0.0, which compare equal. NaN must not occur (a campaign's binned values never hold one).
#pragma once

#include <span>
#include <vector>

namespace analysis {

// Sorts `values` ascending; `scratch` is working space, reused between calls.
void sortAscending(std::vector<double>& values, std::vector<double>& scratch);

}  // namespace analysis
