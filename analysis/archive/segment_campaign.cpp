#include "analysis/archive/segment_campaign.h"

#include <algorithm>
#include <cmath>
#include <limits>
#include <map>

#include "analysis/record/psd_estimator.h"

namespace analysis::archive {

CampaignFile segmentCampaignFile(const SegmentRecord& record, const FrequencyBins& bins,
                                 const RmsBand& band) {
  const datafiles::SpectrumRecords& s = record.spectrum;
  CampaignFile file;
  file.name = record.name;
  file.status = CampaignStatus::Used;
  file.samples = record.samples;
  file.seconds = record.seconds;
  file.twoChannels = s.twoChannels;
  const auto nPlot = static_cast<std::size_t>(std::max(plotPointCount(record.samples, 8), 0));
  const std::size_t lastUsed = std::min(nPlot, s.count) > 0 ? std::min(nPlot, s.count) - 1 : 0;
  struct Sums {
    WeightedSums sum1, sum2;  // with the ratios to velocity and acceleration (binned_units.h)
    std::size_t lines1 = 0, lines2 = 0;
  };
  std::map<int, Sums> perBin;
  double band1 = 0, band2 = 0, bandRel = 0;
  std::size_t bandLines = 0;
  const double t = file.seconds;
  for (std::size_t q = 1; q <= lastUsed; ++q) {
    const double f = s.freq[q];
    const bool has1 = s.re1[q] != 0 || s.im1[q] != 0;
    const bool has2 = s.re2[q] != 0 || s.im2[q] != 0;
    const double p1 = displacementPsd(f, s.re1[q], s.im1[q], t);
    const double p2 = displacementPsd(f, s.re2[q], s.im2[q], t);
    if (const auto k = bins.binOf(f); k && (has1 || has2)) {
      Sums& bin = perBin[*k];
      const double x = f / bins.centre(*k);
      if (has1) bin.sum1.add(p1, x), ++bin.lines1;
      if (has2) bin.sum2.add(p2, x), ++bin.lines2;
    }
    if (f >= band.fLow && f <= band.fHigh && has1) {
      band1 += p1;
      band2 += p2;
      bandRel += displacementPsd(f, s.re1[q] - s.re2[q], s.im1[q] - s.im2[q], t);
      ++bandLines;
    }
  }
  if (!perBin.empty()) {
    file.firstBin = perBin.begin()->first;
    const auto size = static_cast<std::size_t>(perBin.rbegin()->first - file.firstBin + 1);
    const float none = std::numeric_limits<float>::quiet_NaN();
    file.binned1.assign(size, kNoValue);
    file.ratios1.assign(size, {none, none});
    if (file.twoChannels) {
      file.binned2.assign(size, kNoValue);
      file.ratios2.assign(size, {none, none});
    }
    for (const auto& [k, bin] : perBin) {
      const auto i = static_cast<std::size_t>(k - file.firstBin);
      if (bin.lines1 > 0) {
        file.binned1[i] = bin.sum1.power / static_cast<double>(bin.lines1);
        file.ratios1[i] = binRatiosOf(bin.sum1);
      }
      if (file.twoChannels && bin.lines2 > 0) {
        file.binned2[i] = bin.sum2.power / static_cast<double>(bin.lines2);
        file.ratios2[i] = binRatiosOf(bin.sum2);
      }
    }
  }
  if (bandLines > 0) {
    file.rms1 = std::sqrt(band1 / t / 2);
    if (file.twoChannels) {
      file.rms2 = std::sqrt(band2 / t / 2);
      file.rmsRel = std::sqrt(bandRel / t / 2);
    }
  }
  return file;
}

}  // namespace analysis::archive
