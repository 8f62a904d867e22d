#include "analysis/campaign/binned_units.h"

#include <cmath>
#include <limits>

#include "analysis/campaign/bin_edges.h"
#include "analysis/campaign/campaign_file.h"

namespace analysis {
namespace {

// Float rounding of a ratio near 1, with room for the sums' own rounding.
constexpr double kRatioTolerance = 1e-6;

bool within(float r, double low, double high) {
  return std::isfinite(r) && r >= low * (1 - kRatioTolerance) && r <= high * (1 + kRatioTolerance);
}

}  // namespace

BinRatios binRatiosOf(const WeightedSums& sums) {
  if (!(sums.power > 0)) return {};  // all lines 0: the value is 0 in every quantity
  return {.velocity = static_cast<float>(sums.power2 / sums.power),
          .acceleration = static_cast<float>(sums.power4 / sums.power)};
}

double binnedDensity(const CampaignFile& file, int channel, std::size_t i, Quantity quantity,
                     const FrequencyBins& bins) {
  const std::vector<double>& values = channel == 1 ? file.binned1 : file.binned2;
  if (i >= values.size()) return kNoValue;
  const double value = values[i];
  if (quantity == Quantity::Recorded || std::isnan(value)) return value;
  const double fCentre = bins.centre(file.firstBin + static_cast<int>(i));
  double ratio = 1;
  if (quantity != Quantity::Displacement) {
    const std::vector<BinRatios>& ratios = channel == 1 ? file.ratios1 : file.ratios2;
    if (i >= ratios.size()) return kNoValue;  // a reading without ratios: no converted value
    ratio = quantity == Quantity::Velocity ? ratios[i].velocity : ratios[i].acceleration;
  }
  return densityOf(quantity, value, fCentre) * ratio;
}

std::optional<std::string> implausibleRatios(const CampaignFile& file, const FrequencyBins& bins) {
  const BinEdges& edges = BinEdges::of(bins);
  for (int c = 1; c <= 2; ++c) {
    const std::vector<double>& values = c == 1 ? file.binned1 : file.binned2;
    const std::vector<BinRatios>& ratios = c == 1 ? file.ratios1 : file.ratios2;
    if (ratios.size() != values.size()) {
      return "channel " + std::to_string(c) + " holds " + std::to_string(ratios.size()) +
             " ratios for " + std::to_string(values.size()) + " bins";
    }
    for (std::size_t i = 0; i < values.size(); ++i) {
      const int k = file.firstBin + static_cast<int>(i);
      const BinRatios r = ratios[i];
      if (std::isnan(values[i])) {
        if (std::isnan(r.velocity) && std::isnan(r.acceleration)) continue;
        return "a ratio in bin " + std::to_string(k) + " where it has no value";
      }
      const double centre = edges.centre(k);
      const double low = edges.lowEdge(k) / centre, high = edges.highEdge(k) / centre;
      if (!within(r.velocity, low * low, high * high) ||
          !within(r.acceleration, low * low * low * low, high * high * high * high)) {
        return "a ratio in bin " + std::to_string(k) + " beyond its lines' frequencies";
      }
    }
  }
  return std::nullopt;
}

}  // namespace analysis
