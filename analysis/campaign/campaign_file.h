// One file of a campaign: how it is classified, read and reduced to what the campaign keeps.
//
// Classification by name (datafiles/file_names.h):
//   - a name beginning with "av" (an average file), whose stem has the value 0 (no
//     measurement) or whose extension is neither ".csv" nor ".csw" (not a spectrum file, e.g.
//     a raw-data file caught by a wildcard) is skipped: not read;
//   - a measurement whose stem is followed by "xxx" is vetoed: read and reduced like any other,
//     shown in the per-file table and the timeline, left out of every statistic;
//   - any other measurement is used.
// A file that cannot be read, or that the window's per-file run would refuse (no data records,
// more than 65537 of them, a malformed record, a PSD beyond 1e250 on any line), is refused with
// the reader's message naming the file and the line; it never stops the campaign. So is a file
// whose used lines spread over kMostOctavesSpanned octaves or more (a record's lines q / T,
// q = 1 .. N/2, span at most 16): its binned spectrum would hold a value for every bin between
// its lowest and its highest line. So is a file with a used line outside 2^-16 .. 2^16 Hz, the
// frequencies of every spectrum (frequency_bins.h).
//
// PSD per line, exactly the window's: nSamples from the line count (normalised as the per-file
// run does), T and the record's kind from recordLengthOf (analysis/record/record_length.h: the
// name's rule, 60 s, 655.36 s above 20000 samples, 6 s for 10-character stems, unless the
// file's own line spacing contradicts it), psd = displacementPsd(f, re, im, T) in mum^2/Hz with
// the channel-1 coefficients in single precision as the reader keeps them.
// Lines used: q = 1 .. min(nPlot, records) - 1 with nPlot = plotPointCount(nSamples, kind): the
// lines the PSD plot draws, without line 0 (and never a line the file lacks).
//
// Binned spectrum: the value of a file in bin k (frequency_bins.h) is the arithmetic mean of its
// PSD over the used lines whose frequency lies in the bin; a bin without such a line has no value
// (NaN), never 0. One-channel files have no channel-2 values.
//
// Band rms per channel, mum: sqrt( sum of psd(q) / T / 2 over used lines q with
// FLOW <= f(q) <= FHIGH ), the rms displacement of the band, the quantity of the window's rms
// curve. The default band is 1 Hz up to the highest used line. One-channel files have no
// channel-2 rms.
//
// Relative band rms (rmsRel), mum: the same sum over the same lines and the same T applied to
// the displacement PSD of channel 1 minus channel 2 (analysis/two_sensor/relative_motion.h
// for one record),
//     P_rel(q) = |c1 - c2|^2 T / w^2,   w = kTwoPi x f(q), 0 where w = 0,
//     rmsRel   = sqrt( sum of P_rel(q) / T / 2 over used lines q with FLOW <= f(q) <= FHIGH ),
// c1 in single precision as the reader keeps it, c2 in double. It is 0 for identical channels,
// 2 rms1 for opposite ones (c2 = -c1). One-channel files have none (NaN).
//
// What is kept per file is bounded by the number of bins (a few hundred values), never by the
// number of lines, so a campaign's memory does not grow with record length. The line PSDs are
// not kept: the rms of another band is found by reading the file again (readBandRms).
#pragma once

#include <cstdint>
#include <filesystem>
#include <limits>
#include <optional>
#include <string>
#include <string_view>
#include <vector>

#include "analysis/campaign/frequency_bins.h"
#include "analysis/compliance/record_bands.h"
#include "datafiles/measurement_file.h"

namespace analysis {

struct CampaignEntry {
  std::filesystem::path directory;
  std::string fileName;
  // The file's path relative to a directory tree's root, '/' between the parts, as the tables
  // name it (campaign_tree.h); empty outside a tree, where tables name the file by its name.
  std::string relativePath = {};
};

enum class CampaignStatus {
  Pending,  // not computed yet (a run was cancelled before it, or it was added since)
  Used,
  Vetoed,
  Skipped,
  Refused,
};

// "pending", "used", "vetoed", "skipped", "refused".
std::string_view statusName(CampaignStatus status);

// Lines with fLow <= f <= fHigh (Hz) count for the band rms.
struct RmsBand {
  double fLow = 1;
  double fHigh = std::numeric_limits<double>::infinity();  // up to the highest used line

  bool operator==(const RmsBand&) const = default;
};

inline constexpr double kNoValue = std::numeric_limits<double>::quiet_NaN();
inline constexpr int kMostOctavesSpanned = 32;  // a file's used lines, lowest to highest

struct CampaignFile {
  std::filesystem::path directory;
  std::string name;
  std::string relativePath;  // as CampaignEntry::relativePath
  CampaignStatus status = CampaignStatus::Pending;
  // Refused: the reader's message ("name: line 17: 'abc' is not a number"); skipped: why;
  // used or vetoed: empty, or why the rms of the current band could not be found again.
  std::string message;
  std::int32_t samples = 0;  // nSamples of the record; 0 when not read
  double seconds = 0;        // record length T, s; 0 when not read
  bool twoChannels = false;
  std::uintmax_t bytes = 0;  // size of the text read
  // The modification time when read, local time of this machine as seconds since
  // 1970-01-01T00:00:00 (start_time.h); nothing when not read or not a measurement.
  std::optional<std::int64_t> modified;
  // Binned spectrum, mum^2/Hz: binned1[i] is the value in bin firstBin + i, NaN for no value.
  // Both empty unless used or vetoed; binned2 also empty for one-channel files.
  int firstBin = 0;
  std::vector<double> binned1, binned2;
  double rms1 = kNoValue, rms2 = kNoValue;  // band rms, mum; NaN when not computed
  // Band rms of channel 1 minus channel 2, mum; NaN for one-channel files and when not computed.
  double rmsRel = kNoValue;
  // One-third-octave rms velocities per band, mum/s, as the third-octave view shows them
  // (record_bands.h); empty unless used or vetoed.
  RecordBands bands;

  // The name the tables and the window show: the path in the tree, else the name.
  const std::string& tableName() const { return relativePath.empty() ? name : relativePath; }
  bool hasSpectrum() const {
    return status == CampaignStatus::Used || status == CampaignStatus::Vetoed;
  }
  // The value of channel 1 or 2 in bin k; nothing where the file has none.
  std::optional<double> binnedValue(int channel, int k) const;
  // The bins its binned spectrum occupies, both channels taken together: firstBin up to
  // firstBin + the longer channel's size - 1. Nothing when both are empty or they reach beyond
  // bins.lowestBin() .. bins.highestBin(), which no reading does: code placing spectra in
  // arrays refuses such a file rather than index by it.
  std::optional<BinRange> binnedRange(const FrequencyBins& bins) const;
};

// Reads campaign files one after the other, reusing its scratch space (about 2.5 MB, the longest
// file's line PSDs and the largest file's text). One reader per thread.
class CampaignFileReader {
 public:
  CampaignFileReader();

  // Classifies, reads and reduces one file. Never throws on bad input.
  CampaignFile read(const CampaignEntry& entry, const FrequencyBins& bins, const RmsBand& band);

  // The band rms of a file read before, for another band: reads the file again. Returns the
  // problem (naming the file) when it can no longer be read as the same record.
  struct BandRms {
    double rms1 = kNoValue, rms2 = kNoValue;
    double rmsRel = kNoValue;  // channel 1 minus channel 2; NaN for one channel
    std::uintmax_t bytes = 0;
    std::string problem;  // empty when the values are sound
  };
  BandRms readBandRms(const CampaignFile& file, const RmsBand& band);

 private:
  std::optional<std::string> load(const std::filesystem::path& directory, std::string_view fileName,
                                  std::int32_t stemLength);
  BandRms bandRms(const RmsBand& band) const;
  // The one-third-octave velocities of the file last loaded (record_bands.h).
  RecordBands bandVelocities() const;

  std::string text_;
  datafiles::SpectrumRecords spectrum_;
  std::vector<double> psd1_, psd2_;  // per line of the file last loaded
  std::vector<double> psdRel_;       // P_rel per line; filled for two-channel files only
  std::int32_t samples_ = 0;
  double seconds_ = 0;
  std::size_t lastUsedLine_ = 0;  // lines 1 .. lastUsedLine_ are used
};

}  // namespace analysis
