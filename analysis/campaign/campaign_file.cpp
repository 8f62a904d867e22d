#include "analysis/campaign/campaign_file.h"

#include <algorithm>
#include <cmath>
#include <span>

#include "analysis/campaign/start_time.h"
#include "analysis/record/psd_estimator.h"
#include "analysis/record/record_length.h"
#include "analysis/record/record_text.h"
#include "datafiles/field_reader.h"
#include "datafiles/file_names.h"
#include "datafiles/number_format.h"

namespace analysis {
namespace {

// As in the per-file run: a larger PSD means coefficients no measurement can have.
constexpr double kLargestPsd = datafiles::kLargestAcceptedNumber;

// Sums of the used lines falling into one bin, in the order the lines come.
struct BinSums {
  int k = 0;
  double sum1 = 0, sum2 = 0;
  std::size_t lines = 0;
};

// Groups lines 1 .. lastLine into bins. Lines normally rise in frequency, so consecutive lines
// share a bin and the bin is looked up only when a line leaves the current one.
std::vector<BinSums> sumsPerBin(const FrequencyBins& bins, std::span<const double> freq,
                                std::span<const double> psd1, std::span<const double> psd2,
                                std::size_t lastLine) {
  std::vector<BinSums> sums;
  double low = 0, high = -1;  // edges of the bin of the last run; empty at first
  for (std::size_t q = 1; q <= lastLine; ++q) {
    const double f = freq[q];
    if (!(f >= low && f < high)) {
      const auto k = bins.binOf(f);
      if (!k) continue;
      sums.push_back({.k = *k});
      low = bins.lowEdge(*k);
      high = bins.highEdge(*k);
    }
    BinSums& bin = sums.back();
    bin.sum1 += psd1[q];
    bin.sum2 += psd2[q];
    ++bin.lines;
  }
  if (!std::is_sorted(sums.begin(), sums.end(),
                      [](const BinSums& a, const BinSums& b) { return a.k < b.k; })) {
    // Frequencies out of order: gather the runs of each bin.
    std::stable_sort(sums.begin(), sums.end(),
                     [](const BinSums& a, const BinSums& b) { return a.k < b.k; });
  }
  std::vector<BinSums> merged;
  for (const BinSums& run : sums) {
    if (!merged.empty() && merged.back().k == run.k) {
      merged.back().sum1 += run.sum1;
      merged.back().sum2 += run.sum2;
      merged.back().lines += run.lines;
    } else {
      merged.push_back(run);
    }
  }
  return merged;
}

}  // namespace

std::string_view statusName(CampaignStatus status) {
  switch (status) {
    case CampaignStatus::Pending:
      return "pending";
    case CampaignStatus::Used:
      return "used";
    case CampaignStatus::Vetoed:
      return "vetoed";
    case CampaignStatus::Skipped:
      return "skipped";
    case CampaignStatus::Refused:
      return "refused";
  }
  return "";
}

std::optional<double> CampaignFile::binnedValue(int channel, int k) const {
  const std::vector<double>& values = channel == 1 ? binned1 : binned2;
  if (k < firstBin) return std::nullopt;
  const auto i = static_cast<std::size_t>(static_cast<long long>(k) - firstBin);
  if (i >= values.size() || std::isnan(values[i])) return std::nullopt;
  return values[i];
}

std::optional<BinRange> CampaignFile::binnedRange(const FrequencyBins& bins) const {
  const auto size = static_cast<long long>(std::max(binned1.size(), binned2.size()));
  const long long first = firstBin;
  if (size == 0 || first < bins.lowestBin() || first + size - 1 > bins.highestBin()) {
    return std::nullopt;
  }
  return BinRange{firstBin, static_cast<int>(first + size - 1)};
}

CampaignFileReader::CampaignFileReader() = default;

std::optional<std::string> CampaignFileReader::load(const std::filesystem::path& directory,
                                                    std::string_view fileName,
                                                    std::int32_t stemLength) {
  std::int32_t nSamples = 0;
  if (auto problem = readRecordText(directory, fileName, text_, nSamples)) return problem;
  if (auto problem = datafiles::readSpectrum(text_, spectrum_)) {
    return datafiles::describe(*problem, fileName);
  }
  samples_ = nSamples;
  const std::size_t count = spectrum_.count;
  const std::size_t lastLine = count > 0 ? count - 1 : 0;
  const RecordLength length =
      recordLengthOf(nSamples, stemLength, lastLine, spectrum_.freq[lastLine]);
  seconds_ = length.seconds;
  if (psd1_.size() < count) {  // grown to the longest file read, not cleared to the largest
    psd1_.resize(count);
    psd2_.resize(count);
    psdRel_.resize(count);
  }
  bool sound = true;
  for (std::size_t q = 1; q < count; ++q) {
    psd1_[q] = displacementPsd(spectrum_.freq[q], spectrum_.re1[q], spectrum_.im1[q], seconds_);
    psd2_[q] = displacementPsd(spectrum_.freq[q], spectrum_.re2[q], spectrum_.im2[q], seconds_);
    sound &= (psd1_[q] <= kLargestPsd) & (psd2_[q] <= kLargestPsd);
  }
  if (!sound) {
    std::size_t q = 1;
    while (psd1_[q] <= kLargestPsd && psd2_[q] <= kLargestPsd) ++q;
    return datafiles::describe(
        {datafiles::lineOfSpectrumRecord(text_, q), "coefficients too large to analyse"}, fileName);
  }
  if (spectrum_.twoChannels) {
    // Both channels below kLargestPsd bound P_rel by 4 kLargestPsd: always finite.
    for (std::size_t q = 1; q < count; ++q) {
      psdRel_[q] = displacementPsd(spectrum_.freq[q], spectrum_.re1[q] - spectrum_.re2[q],
                                   spectrum_.im1[q] - spectrum_.im2[q], seconds_);
    }
  }
  const auto nPlot =
      static_cast<std::size_t>(std::max(plotPointCount(nSamples, length.stemLength), 0));
  lastUsedLine_ = std::min(nPlot, count);
  if (lastUsedLine_ > 0) --lastUsedLine_;
  return std::nullopt;
}

CampaignFileReader::BandRms CampaignFileReader::bandRms(const RmsBand& band) const {
  const bool two = spectrum_.twoChannels;
  double sum1 = 0, sum2 = 0, sumRel = 0;
  std::size_t lines = 0;
  for (std::size_t q = 1; q <= lastUsedLine_; ++q) {
    const double f = spectrum_.freq[q];
    if (f >= band.fLow && f <= band.fHigh) {
      sum1 += psd1_[q];
      sum2 += psd2_[q];
      if (two) sumRel += psdRel_[q];
      ++lines;
    }
  }
  BandRms rms;
  rms.bytes = text_.size();
  if (lines == 0) return rms;  // no line in the band: no value rather than a false 0
  rms.rms1 = std::sqrt(sum1 / seconds_ / 2);
  if (two) {
    rms.rms2 = std::sqrt(sum2 / seconds_ / 2);
    rms.rmsRel = std::sqrt(sumRel / seconds_ / 2);
  }
  return rms;
}

RecordBands CampaignFileReader::bandVelocities() const {
  const std::size_t count = spectrum_.count;
  const std::span<const double> freq = std::span<const double>(spectrum_.freq).first(count);
  const BandVelocities one = thirdOctaveVelocity(freq, std::span<const double>(psd1_).first(count),
                                                 seconds_, 1, lastUsedLine_);
  if (!spectrum_.twoChannels) return recordBandsOf(one, {});
  return recordBandsOf(one, thirdOctaveVelocity(freq, std::span<const double>(psd2_).first(count),
                                                seconds_, 1, lastUsedLine_));
}

CampaignFile CampaignFileReader::read(const CampaignEntry& entry, const FrequencyBins& bins,
                                      const RmsBand& band) {
  CampaignFile file;
  file.directory = entry.directory;
  file.name = entry.fileName;
  file.relativePath = entry.relativePath;
  const std::string_view name = entry.fileName;
  if (datafiles::isAverageFileName(name)) {
    file.status = CampaignStatus::Skipped;
    file.message = withFileName(name, "an average file, not a single record");
    return file;
  }
  const std::int32_t stemLength = datafiles::stemLengthOf(name);
  if (datafiles::stemValueOf(name, stemLength) == 0) {
    file.status = CampaignStatus::Skipped;
    file.message = withFileName(name, "not a measurement (its stem has no numeric value)");
    return file;
  }
  if (!datafiles::hasSpectrumExtension(name, stemLength)) {
    file.status = CampaignStatus::Skipped;
    file.message = withFileName(name, "not a spectrum file (extension neither .csv nor .csw)");
    return file;
  }
  std::error_code error;
  const auto modified = std::filesystem::last_write_time(entry.directory / entry.fileName, error);
  if (!error) file.modified = localCivilSeconds(modified);
  if (auto problem = load(entry.directory, name, stemLength)) {
    file.status = CampaignStatus::Refused;
    file.message = std::move(*problem);
    return file;
  }
  const std::vector<BinSums> sums = sumsPerBin(bins, spectrum_.freq, psd1_, psd2_, lastUsedLine_);
  if (!sums.empty() && sums.back().k - sums.front().k >= kMostOctavesSpanned * bins.perOctave) {
    file.status = CampaignStatus::Refused;
    file.message = withFileName(
        name, "its lines spread from " + datafiles::formatDouble(bins.lowEdge(sums.front().k)) +
                  " to " + datafiles::formatDouble(bins.highEdge(sums.back().k)) +
                  " Hz, over more than " + std::to_string(kMostOctavesSpanned) +
                  " octaves: no record does");
    return file;
  }
  if (!sums.empty() && (sums.front().k < bins.lowestBin() || sums.back().k > bins.highestBin())) {
    file.status = CampaignStatus::Refused;
    file.message =
        withFileName(name, "its lines reach from " + datafiles::formatDouble(spectrum_.freq[1]) +
                               " to " + datafiles::formatDouble(spectrum_.freq[lastUsedLine_]) +
                               " Hz, beyond 2^-16 .. 2^16 Hz: no record does");
    return file;
  }
  file.status =
      datafiles::isVetoedName(name, stemLength) ? CampaignStatus::Vetoed : CampaignStatus::Used;
  file.samples = samples_;
  file.seconds = seconds_;
  file.twoChannels = spectrum_.twoChannels;
  file.bytes = text_.size();

  if (!sums.empty()) {
    file.firstBin = sums.front().k;
    const auto size = static_cast<std::size_t>(sums.back().k - sums.front().k + 1);
    file.binned1.assign(size, kNoValue);
    if (file.twoChannels) file.binned2.assign(size, kNoValue);
    for (const BinSums& bin : sums) {
      const auto i = static_cast<std::size_t>(bin.k - file.firstBin);
      const double lines = static_cast<double>(bin.lines);
      file.binned1[i] = bin.sum1 / lines;
      if (file.twoChannels) file.binned2[i] = bin.sum2 / lines;
    }
  }
  const BandRms rms = bandRms(band);
  file.rms1 = rms.rms1;
  file.rms2 = rms.rms2;
  file.rmsRel = rms.rmsRel;
  file.bands = bandVelocities();
  return file;
}

CampaignFileReader::BandRms CampaignFileReader::readBandRms(const CampaignFile& file,
                                                            const RmsBand& band) {
  const std::int32_t stemLength = datafiles::stemLengthOf(file.name);
  if (auto problem = load(file.directory, file.name, stemLength)) {
    return {.problem = std::move(*problem)};  // the text may be an earlier file's
  }
  if (samples_ != file.samples || spectrum_.twoChannels != file.twoChannels) {
    return {.bytes = text_.size(),
            .problem = withFileName(file.name, "is no longer the record first read")};
  }
  return bandRms(band);
}

}  // namespace analysis
