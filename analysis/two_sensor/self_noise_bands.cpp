#include "analysis/two_sensor/self_noise_bands.h"

#include <algorithm>
#include <limits>

namespace analysis {

void computeSelfNoiseBands(const SelfNoise& noise, std::size_t first, std::size_t last,
                           SelfNoiseBands& bands, const FrequencyBins& bins) {
  bands.freq.clear();
  bands.n1.clear();
  bands.n2.clear();
  if (!noise.available || !noise.freq) return;
  first = std::max<std::size_t>(first, 1);
  last = std::min({last, noise.lastLine, noise.n1.size() - 1, noise.n2.size() - 1});
  const auto shown = [](double mean) {
    return isSelfNoiseEstimate(mean) ? mean : std::numeric_limits<double>::quiet_NaN();
  };
  double sum1 = 0, sum2 = 0;
  std::size_t lines = 0;
  int band = 0;
  const auto close = [&] {
    if (lines == 0) return;
    bands.freq.push_back(bins.centre(band));
    bands.n1.push_back(shown(sum1 / static_cast<double>(lines)));
    bands.n2.push_back(shown(sum2 / static_cast<double>(lines)));
    sum1 = sum2 = 0;
    lines = 0;
  };
  for (std::size_t q = first; q <= last; ++q) {
    const std::optional<int> k = bins.binOf((*noise.freq)[q]);
    if (!k) continue;  // 0 Hz: in no band
    if (lines > 0 && *k != band) close();
    band = *k;
    sum1 += noise.n1[q];
    sum2 += noise.n2[q];
    ++lines;
  }
  close();
}

}  // namespace analysis
