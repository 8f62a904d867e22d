#include "analysis/compliance/record_bands.h"

#include <algorithm>
#include <cmath>

#include "analysis/campaign/campaign_file.h"

namespace analysis {
namespace {

// Places a channel's present bands at their offsets from `first`.
std::vector<double> denseValues(const BandVelocities& channel, int first, std::size_t size) {
  std::vector<double> values(size, kNoValue);
  for (std::size_t i = 0; i < channel.bands.size() && i < channel.rms.size(); ++i) {
    values[static_cast<std::size_t>(channel.bands[i].index - first)] = channel.rms[i];
  }
  return values;
}

}  // namespace

std::optional<double> RecordBands::value(int channel, int band) const {
  const std::vector<double>& all = values(channel);
  if (band < firstBand) return std::nullopt;
  const auto i = static_cast<std::size_t>(static_cast<long long>(band) - firstBand);
  if (i >= all.size() || std::isnan(all[i])) return std::nullopt;
  return all[i];
}

BandVelocities RecordBands::velocities(int channel) const {
  BandVelocities result;
  const std::vector<double>& all = values(channel);
  for (std::size_t i = 0; i < all.size(); ++i) {
    if (std::isnan(all[i])) continue;
    result.bands.push_back(thirdOctaveBand(firstBand + static_cast<int>(i)));
    result.rms.push_back(all[i]);
  }
  return result;
}

RecordBands recordBandsOf(const BandVelocities& channel1, const BandVelocities& channel2) {
  RecordBands packed;
  int first = 0, last = -1;
  bool any = false;
  for (const BandVelocities* channel : {&channel1, &channel2}) {
    if (channel->bands.empty()) continue;
    // Bands come rising from thirdOctaveVelocity.
    const int low = channel->bands.front().index, high = channel->bands.back().index;
    first = any ? std::min(first, low) : low;
    last = any ? std::max(last, high) : high;
    any = true;
  }
  if (!any) return packed;
  const auto size = static_cast<std::size_t>(last - first + 1);
  packed.firstBand = first;
  packed.channel1 = denseValues(channel1, first, size);
  if (!channel2.bands.empty()) packed.channel2 = denseValues(channel2, first, size);
  return packed;
}

}  // namespace analysis
