#include "analysis/campaign/reading_plausibility.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "analysis/campaign/bin_edges.h"
#include "analysis/campaign/binned_units.h"
#include "analysis/campaign/start_time.h"
#include "analysis/record/psd_estimator.h"
#include "analysis/record/record_length.h"
#include "datafiles/file_names.h"
#include "datafiles/measurement_file.h"

namespace analysis {
namespace {

// A segment's samples (analysis/archive/segment_grid.h).
constexpr std::int32_t kFewestSegmentSamples = 64;
constexpr std::int32_t kMostSegmentSamples = 131072;
constexpr std::int32_t kMostSamples = 2 * static_cast<std::int32_t>(datafiles::kMaxSpectrumRecords);

bool isValueOrNone(double v) {
  return std::isnan(v) || (std::isfinite(v) && v >= 0);
}

// Whether a line q / seconds (q a whole number) lies in bin k. Called only for bins between
// those of the first and the last used line, so q is within them.
bool hasLine(const FrequencyBins& bins, int k, double seconds) {
  const BinEdges& edges = BinEdges::of(bins);
  const double low = edges.lowEdge(k), high = edges.highEdge(k);
  // The first q with q / seconds >= low, the product's rounding mended either way.
  double q = std::ceil(low * seconds);
  if ((q - 1) / seconds >= low) --q;
  if (q / seconds < low) ++q;
  return q / seconds < high;
}

std::optional<std::string> spectrumProblem(const CampaignFile& file, std::string_view name,
                                           const FrequencyBins& bins) {
  // The kind of record (the lines drawn) follows its length where a file's own spacing
  // contradicts its name's rule.
  const RecordLength length =
      recordLengthOf(file.samples, datafiles::stemLengthOf(name), 1, 1 / file.seconds);
  const std::int32_t nPlot = plotPointCount(file.samples, length.stemLength);
  const std::size_t size = file.binned1.size();
  if (file.twoChannels ? file.binned2.size() != size : !file.binned2.empty()) {
    return "channel 2 holds " + std::to_string(file.binned2.size()) + " bins, channel 1 " +
           std::to_string(size);
  }
  if (nPlot < 2) {
    if (size == 0 && file.firstBin == 0) return std::nullopt;
    return "a spectrum where the record has no used line";
  }
  const auto first = bins.binOf(1 / file.seconds);
  const auto last = bins.binOf((nPlot - 1) / file.seconds);
  if (!first || !last || *first < bins.lowestBin() || *last > bins.highestBin()) {
    return "its lines lie beyond 2^-16 .. 2^16 Hz";
  }
  const auto expected = static_cast<std::size_t>(*last - *first + 1);
  if (file.firstBin != *first || size != expected) {
    return "bins " + std::to_string(file.firstBin) + " .. " +
           std::to_string(static_cast<long long>(file.firstBin) + static_cast<long long>(size) -
                          1) +
           ", its lines lie in " + std::to_string(*first) + " .. " + std::to_string(*last);
  }
  if (std::isnan(file.binned1.front()) || std::isnan(file.binned1.back())) {
    return "no value in its first or last bin";
  }
  for (std::size_t i = 0; i < size; ++i) {
    const int k = file.firstBin + static_cast<int>(i);
    const double v1 = file.binned1[i], v2 = file.twoChannels ? file.binned2[i] : v1;
    if (!isValueOrNone(v1) || !isValueOrNone(v2)) {
      return "an impossible value in bin " + std::to_string(k);
    }
    if (std::isnan(v1) != !hasLine(bins, k, file.seconds) || std::isnan(v2) != std::isnan(v1)) {
      return "a value in bin " + std::to_string(k) + " where it has no line, or none where it has";
    }
  }
  return std::nullopt;
}

// A segment's spectrum as segmentCampaignFile makes it (analysis/archive/segment_campaign.h):
// the used lines q = 1 .. min(nPlot, N/2 + 1) - 1 of nPlot = plotPointCount(N, 8), only those
// with an estimate binned, so its bins lie within those of the first and the last used line, the
// first and the last with a value in either channel and no value where no line lies.
std::optional<std::string> segmentSpectrumProblem(const CampaignFile& file,
                                                  const FrequencyBins& bins) {
  const std::size_t size = file.binned1.size();
  if (file.twoChannels ? file.binned2.size() != size : !file.binned2.empty()) {
    return "channel 2 holds " + std::to_string(file.binned2.size()) + " bins, channel 1 " +
           std::to_string(size);
  }
  if (size == 0) {
    if (file.firstBin == 0) return std::nullopt;
    return "a first bin without a spectrum";
  }
  const std::int32_t lines = std::min(plotPointCount(file.samples, 8), file.samples / 2 + 1);
  const auto first = bins.binOf(1 / file.seconds);
  const auto last = bins.binOf((lines - 1) / file.seconds);
  const long long end = static_cast<long long>(file.firstBin) + static_cast<long long>(size) - 1;
  if (lines < 2 || !first || !last || file.firstBin < *first || end > *last) {
    return "bins " + std::to_string(file.firstBin) + " .. " + std::to_string(end) +
           " beyond those of its lines";
  }
  const auto hasValue = [&](std::size_t i) {
    return !std::isnan(file.binned1[i]) || (file.twoChannels && !std::isnan(file.binned2[i]));
  };
  if (!hasValue(0) || !hasValue(size - 1)) return "no value in its first or last bin";
  for (std::size_t i = 0; i < size; ++i) {
    const int k = file.firstBin + static_cast<int>(i);
    const double v2 = file.twoChannels ? file.binned2[i] : kNoValue;
    if (!isValueOrNone(file.binned1[i]) || !isValueOrNone(v2)) {
      return "an impossible value in bin " + std::to_string(k);
    }
    if (hasValue(i) && !hasLine(bins, k, file.seconds)) {
      return "a value in bin " + std::to_string(k) + " where it has no line";
    }
  }
  return std::nullopt;
}

std::optional<std::string> segmentImplausibility(const CampaignFile& file, std::string_view name,
                                                 const FrequencyBins& bins) {
  switch (file.status) {
    case CampaignStatus::Refused:  // a grid place left out: nothing known but why
      if (file.samples != 0 || file.seconds != 0 || file.twoChannels || file.firstBin != 0 ||
          !file.binned1.empty() || !file.binned2.empty() || !file.ratios1.empty() ||
          !file.ratios2.empty()) {
        return "a left-out segment with a reading";
      }
      if (file.message.empty()) return "a left-out segment without a reason";
      return std::nullopt;
    case CampaignStatus::Used:
      break;
    default:
      return "status " + std::string(statusName(file.status)) + " for a segment";
  }
  const bool pair = name.substr(0, name.find('@')).find('+') != std::string_view::npos;
  if (file.twoChannels != pair) return "channels unlike its name's";
  if (file.samples < kFewestSegmentSamples || file.samples > kMostSegmentSamples) {
    return std::to_string(file.samples) + " samples";
  }
  if (!(std::isfinite(file.seconds) && file.seconds > 0)) {
    return "a record of " + std::to_string(file.seconds) + " s";
  }
  if (auto problem = segmentSpectrumProblem(file, bins)) return problem;
  if (auto problem = implausibleRatios(file, bins)) return problem;
  return implausibleRms(file.rms1, file.rms2, file.rmsRel, file.twoChannels);
}

}  // namespace

bool isSegmentName(std::string_view name) {
  // ID1[+ID2]@YYYY-MM-DDTHH:MM:SS.mmmZ
  constexpr std::string_view kPattern = "dddd-dd-ddTdd:dd:dd.dddZ";
  const std::size_t at = name.rfind('@');
  if (at == std::string_view::npos || at == 0 || name.size() - at - 1 != kPattern.size()) {
    return false;
  }
  for (std::size_t i = 0; i < kPattern.size(); ++i) {
    const char c = name[at + 1 + i];
    if (kPattern[i] == 'd' ? !(c >= '0' && c <= '9') : c != kPattern[i]) return false;
  }
  return name.substr(0, at).find_first_of("/@") == std::string_view::npos;
}

std::optional<std::string> implausibleRms(double rms1, double rms2, double rmsRel,
                                          bool twoChannels) {
  if (!isValueOrNone(rms1) || !isValueOrNone(rms2) || !isValueOrNone(rmsRel)) {
    return "a band rms neither a value nor none";
  }
  if (!twoChannels && !(std::isnan(rms2) && std::isnan(rmsRel))) {
    return "a channel-2 rms of a one-channel record";
  }
  return std::nullopt;
}

std::optional<std::string> implausibilityOf(const CampaignFile& file, std::string_view name,
                                            const FrequencyBins& bins) {
  if (isSegmentName(name)) return segmentImplausibility(file, name, bins);
  if (!isMeasurementName(name)) return "a reading of a name the campaign skips";
  const bool vetoedName = datafiles::isVetoedName(name, datafiles::stemLengthOf(name));
  switch (file.status) {
    case CampaignStatus::Refused:
      if (file.samples != 0 || file.seconds != 0 || file.twoChannels || file.firstBin != 0 ||
          !file.binned1.empty() || !file.binned2.empty() || !file.ratios1.empty() ||
          !file.ratios2.empty()) {
        return "a refused file with a reading";
      }
      if (file.message.empty()) return "a refused file without a reason";
      return std::nullopt;
    case CampaignStatus::Used:
    case CampaignStatus::Vetoed:
      if ((file.status == CampaignStatus::Vetoed) != vetoedName) {
        return std::string(statusName(file.status)) + " for a " +
               (vetoedName ? "vetoed" : "plain") + " name";
      }
      break;
    default:
      return "status " + std::string(statusName(file.status));
  }
  if (file.samples < 2 || file.samples > kMostSamples) {
    return std::to_string(file.samples) + " samples";
  }
  if (!(std::isfinite(file.seconds) && file.seconds > 0)) {
    return "a record of " + std::to_string(file.seconds) + " s";
  }
  if (auto problem = spectrumProblem(file, name, bins)) return problem;
  if (auto problem = implausibleRatios(file, bins)) return problem;
  return implausibleRms(file.rms1, file.rms2, file.rmsRel, file.twoChannels);
}

}  // namespace analysis
