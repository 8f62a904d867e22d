#include "analysis/campaign/sorted_values.h"

#include <algorithm>
#include <array>
#include <bit>
#include <cstdint>

namespace analysis {
namespace {

// Below this a comparison sort costs less than the passes over the counts.
constexpr std::size_t kRadixFrom = 512;
constexpr int kDigitBits = 11;  // 6 passes over 64 bits
constexpr std::size_t kDigits = std::size_t{1} << kDigitBits;

std::uint64_t keyOf(double value) {
  const auto bits = std::bit_cast<std::uint64_t>(value);
  return (bits >> 63) != 0 ? ~bits : bits | (std::uint64_t{1} << 63);
}

}  // namespace

void sortAscending(std::vector<double>& values, std::vector<double>& scratch) {
  if (values.size() < kRadixFrom) {
    std::sort(values.begin(), values.end());
    return;
  }
  scratch.resize(values.size());
  std::vector<double>* from = &values;
  std::vector<double>* to = &scratch;
  std::array<std::size_t, kDigits> counts;
  for (int shift = 0; shift < 64; shift += kDigitBits) {
    counts.fill(0);
    for (double v : *from) ++counts[(keyOf(v) >> shift) & (kDigits - 1)];
    // A digit that every value shares leaves the order as it is.
    if (std::find(counts.begin(), counts.end(), from->size()) != counts.end()) continue;
    std::size_t at = 0;
    for (std::size_t& count : counts) {
      const std::size_t n = count;
      count = at;
      at += n;
    }
    for (double v : *from) (*to)[counts[(keyOf(v) >> shift) & (kDigits - 1)]++] = v;
    std::swap(from, to);
  }
  if (from != &values) values.swap(scratch);
}

}  // namespace analysis
