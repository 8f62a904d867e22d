#include "analysis/archive/segment_campaign.h"

#include <algorithm>
#include <cmath>
#include <map>

#include "analysis/record/psd_estimator.h"
#include "analysis/standards/third_octave.h"

namespace analysis::archive {
namespace {

// The bands of one channel over lines 1 .. lastUsed, leaving out each band that holds a line
// without an estimate: its velocity would read low.
BandVelocities estimatedBands(const datafiles::SpectrumRecords& s, std::span<const double> psd,
                              std::span<const std::uint8_t> estimated, double seconds,
                              std::size_t lastUsed) {
  const BandVelocities all = thirdOctaveVelocity(s.freq, psd, seconds, 1, lastUsed);
  std::vector<int> broken;  // bands holding a line without an estimate
  for (std::size_t q = 1; q <= lastUsed; ++q) {
    const double f = s.freq[q];
    if (estimated[q] != 0 || !(f > 0) || !std::isfinite(f)) continue;
    const int band = thirdOctaveBandOf(f);
    if (broken.empty() || broken.back() != band) broken.push_back(band);
  }
  std::sort(broken.begin(), broken.end());
  BandVelocities kept;
  for (std::size_t i = 0; i < all.bands.size(); ++i) {
    if (std::binary_search(broken.begin(), broken.end(), all.bands[i].index)) continue;
    kept.bands.push_back(all.bands[i]);
    kept.rms.push_back(all.rms[i]);
  }
  return kept;
}

}  // namespace

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
    double sum1 = 0, sum2 = 0;
    std::size_t lines1 = 0, lines2 = 0;
  };
  std::map<int, Sums> perBin;
  double band1 = 0, band2 = 0, bandRel = 0;
  std::size_t bandLines = 0;
  const double t = file.seconds;
  // Per line, for the one-third-octave velocities.
  std::vector<double> psd1(lastUsed + 1, 0.0), psd2(lastUsed + 1, 0.0);
  std::vector<std::uint8_t> has1s(lastUsed + 1, 0), has2s(lastUsed + 1, 0);
  for (std::size_t q = 1; q <= lastUsed; ++q) {
    const double f = s.freq[q];
    const bool has1 = s.re1[q] != 0 || s.im1[q] != 0;
    const bool has2 = s.re2[q] != 0 || s.im2[q] != 0;
    const double p1 = displacementPsd(f, s.re1[q], s.im1[q], t);
    const double p2 = displacementPsd(f, s.re2[q], s.im2[q], t);
    psd1[q] = p1;
    psd2[q] = p2;
    has1s[q] = has1;
    has2s[q] = has2;
    if (const auto k = bins.binOf(f); k && (has1 || has2)) {
      Sums& bin = perBin[*k];
      if (has1) bin.sum1 += p1, ++bin.lines1;
      if (has2) bin.sum2 += p2, ++bin.lines2;
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
    file.binned1.assign(size, kNoValue);
    if (file.twoChannels) file.binned2.assign(size, kNoValue);
    for (const auto& [k, bin] : perBin) {
      const auto i = static_cast<std::size_t>(k - file.firstBin);
      if (bin.lines1 > 0) file.binned1[i] = bin.sum1 / static_cast<double>(bin.lines1);
      if (file.twoChannels && bin.lines2 > 0) {
        file.binned2[i] = bin.sum2 / static_cast<double>(bin.lines2);
      }
    }
  }
  if (lastUsed > 0 && t > 0) {
    file.bands = recordBandsOf(
        estimatedBands(s, psd1, has1s, t, lastUsed),
        file.twoChannels ? estimatedBands(s, psd2, has2s, t, lastUsed) : BandVelocities{});
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
