// Generated segment records reduced to a campaign's reading (bins with their ratios, band rms,
// one-third octaves) equal, to the bit, a model taking the lines one by one in rising order. The
// records run to thousands of lines, so bins and bands crossing the reduction's stretches occur.
#include <gtest/gtest.h>
#include <rapidcheck/gtest.h>

#include <cmath>
#include <limits>
#include <map>
#include <set>

#include "analysis/archive/segment_campaign.h"
#include "analysis/record/psd_estimator.h"
#include "analysis/standards/third_octave.h"

namespace properties {
namespace {

namespace archive = analysis::archive;

struct BinModel {  // per channel: sums of P, P x^2, P x^4 (x = f / centre) and lines
  double power[2] = {0, 0}, power2[2] = {0, 0}, power4[2] = {0, 0};
  std::size_t lines[2] = {0, 0};
};

archive::SegmentRecord generatedRecord() {
  archive::SegmentRecord record;
  record.samples = *rc::gen::element(64, 1000, 2048, 6000, 12000);
  record.rate = *rc::gen::element(1.0, 20.0, 100.0, 250.0);
  record.seconds = record.samples / record.rate;
  datafiles::SpectrumRecords& s = record.spectrum;
  s.twoChannels = *rc::gen::arbitrary<bool>();
  s.count = static_cast<std::size_t>(record.samples / 2 + 1);
  // Per channel: lines without an estimate up to a passband edge and a per mille scattered.
  const std::size_t below[2] = {*rc::gen::inRange<std::size_t>(1, s.count / 3 + 2),
                                *rc::gen::inRange<std::size_t>(1, s.count / 3 + 2)};
  const auto scatter = static_cast<std::size_t>(*rc::gen::inRange(0, 40));
  const auto values = *rc::gen::container<std::vector<int>>(s.count, rc::gen::inRange(-999, 999));
  for (std::size_t k = 0; k < s.count; ++k) {
    s.freq[k] = static_cast<double>(k) / record.seconds;
    const double v = values[k] * 1e-3 + 1e-6;  // mum/s
    const bool has1 = k >= below[0] && (k * 7919 + 13) % 1000 >= scatter;
    const bool has2 = s.twoChannels && k >= below[1] && (k * 6007 + 5) % 1000 >= scatter;
    s.re1[k] = has1 ? static_cast<float>(v) : 0.0f;
    s.im1[k] = has1 ? static_cast<float>(0.5 * v - 1e-4) : 0.0f;
    s.re2[k] = has2 ? 0.7 * v + 2e-4 : 0.0;
    s.im2[k] = has2 ? -0.3 * v : 0.0;
  }
  return record;
}

RC_GTEST_PROP(SegmentReductionProperties, ReadingEqualsTheLineByLineModel, ()) {
  const archive::SegmentRecord record = generatedRecord();
  const analysis::FrequencyBins bins{*rc::gen::element(3, 8, 24)};
  const analysis::RmsBand band{
      .fLow = *rc::gen::element(0.0, 0.5, 1.0, 5.0),
      .fHigh = *rc::gen::element(std::numeric_limits<double>::infinity(), 20.0)};
  const analysis::CampaignFile file = archive::segmentCampaignFile(record, bins, band);

  const datafiles::SpectrumRecords& s = record.spectrum;
  const double t = record.seconds;
  const auto drawn = static_cast<std::size_t>(analysis::plotPointCount(record.samples, 8));
  const std::size_t last = std::min(drawn, s.count) - 1;
  std::map<int, BinModel> perBin;
  double inBand[3] = {0, 0, 0};
  std::size_t bandLines = 0;
  std::vector<double> psd[2] = {std::vector<double>(last + 1), std::vector<double>(last + 1)};
  std::set<int> broken[2];
  for (std::size_t q = 1; q <= last; ++q) {
    const double f = s.freq[q];
    const double re[2] = {s.re1[q], s.re2[q]}, im[2] = {s.im1[q], s.im2[q]};
    const std::optional<int> k = bins.binOf(f);
    for (int c = 0; c < 2; ++c) {
      psd[c][q] = analysis::displacementPsd(f, re[c], im[c], t);
      if (re[c] == 0 && im[c] == 0) {
        broken[c].insert(analysis::thirdOctaveBandOf(f));
        continue;
      }
      if (!k) continue;
      BinModel& bin = perBin[*k];
      const double x = f / bins.centre(*k), x2 = x * x;
      bin.power[c] += psd[c][q];
      bin.power2[c] += psd[c][q] * x2;
      bin.power4[c] += psd[c][q] * x2 * x2;
      ++bin.lines[c];
    }
    if (f >= band.fLow && f <= band.fHigh && (re[0] != 0 || im[0] != 0)) {
      inBand[0] += psd[0][q];
      inBand[1] += psd[1][q];
      inBand[2] += analysis::displacementPsd(f, re[0] - re[1], im[0] - im[1], t);
      ++bandLines;
    }
  }

  // The bins from the first to the last with a line with an estimate in either channel.
  std::erase_if(perBin,
                [](const auto& bin) { return bin.second.lines[0] + bin.second.lines[1] == 0; });
  RC_ASSERT(file.binned1.size() ==
            (perBin.empty()
                 ? 0
                 : static_cast<std::size_t>(perBin.rbegin()->first - perBin.begin()->first + 1)));
  for (std::size_t i = 0; i < file.binned1.size(); ++i) {
    const int k = file.firstBin + static_cast<int>(i);
    RC_ASSERT(i > 0 || k == perBin.begin()->first);
    const BinModel model = perBin.contains(k) ? perBin.at(k) : BinModel{};
    for (int c = 0; c < (s.twoChannels ? 2 : 1); ++c) {
      const double value = (c == 0 ? file.binned1 : file.binned2)[i];
      const analysis::BinRatios ratios = (c == 0 ? file.ratios1 : file.ratios2)[i];
      RC_ASSERT(model.lines[c] > 0 || std::isnan(value));
      if (model.lines[c] == 0) continue;
      RC_ASSERT(value == model.power[c] / static_cast<double>(model.lines[c]));
      if (model.power[c] > 0) {
        RC_ASSERT(ratios.velocity == static_cast<float>(model.power2[c] / model.power[c]));
        RC_ASSERT(ratios.acceleration == static_cast<float>(model.power4[c] / model.power[c]));
      }
    }
  }
  RC_ASSERT(file.binned2.empty() == !s.twoChannels);

  const double rms[3] = {file.rms1, file.rms2, file.rmsRel};
  for (int j = 0; j < (s.twoChannels ? 3 : 1); ++j) {
    const bool expected =
        bandLines > 0 ? rms[j] == std::sqrt(inBand[j] / t / 2) : std::isnan(rms[j]);
    RC_ASSERT(expected);
  }

  for (int c = 0; c < (s.twoChannels ? 2 : 1); ++c) {
    const analysis::BandVelocities all = analysis::thirdOctaveVelocity(s.freq, psd[c], t, 1, last);
    std::size_t kept = 0;
    for (std::size_t b = 0; b < all.bands.size(); ++b) {
      const std::optional<double> got = file.bands.value(c + 1, all.bands[b].index);
      const bool left = broken[c].contains(all.bands[b].index);
      const bool right = left ? !got : got && *got == all.rms[b];
      RC_ASSERT(right);
      kept += left ? 0 : 1;
    }
    RC_ASSERT(kept == file.bands.velocities(c + 1).bands.size());
  }
}

}  // namespace
}  // namespace properties
