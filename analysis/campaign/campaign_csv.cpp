#include "analysis/campaign/campaign_csv.h"

#include <algorithm>
#include <cmath>
#include <vector>

#include "analysis/campaign/campaign_tables.h"
#include "analysis/campaign/csv_fields.h"
#include "analysis/campaign/ordered_formatting.h"
#include "datafiles/number_format.h"

namespace analysis {
namespace {

// The values are linear densities of units.quantity: shown in its form (ASD, dB), an empty
// field where the form has none.
void appendChannel(std::string& out, const ChannelStatistics& c, const SpectralUnits& units) {
  out += ',';
  out += std::to_string(c.n);
  for (double v : {c.p5, c.p50, c.p95, c.mean}) appendField(out, formOf(units, v));
}

// "f_centre" or, in other units, "f_centre[Hz]" and with the period axis ",period[s]" after it.
std::string centreColumns(const SpectralUnits& units) {
  std::string columns = columnName("f_centre", "Hz", units);
  if (!units.recorded() && units.period) columns += ",period[s]";
  return columns;
}

// ",1/f" with the period axis.
void appendPeriod(std::string& out, double fCentre, const SpectralUnits& units) {
  if (!units.recorded() && units.period) appendField(out, axisX(units, fCentre));
}

// Appends ",start,selected".
void appendTimeFields(std::string& out, const FileTime& time) {
  out += ',';
  if (time.start) out += isoText(*time.start);
  out += time.selected ? ",1" : ",0";
}

// The fraction of cell `db` in `c`: 0 when no value lies there, NaN when n = 0.
double fractionIn(const ChannelStatistics& c, int db) {
  if (c.n == 0) return kNoValue;
  for (const DensityCell& cell : c.density) {
    if (cell.db == db) return cell.fraction;
  }
  return 0;
}

// The rows of one file. Every file repeats the same bin centres, so their text (",centre") is
// made once per bin (`centres`, bin `range.first` first) rather than per row. A file whose bins
// cannot be placed (CampaignFile::binnedRange) has none: binRangeOf left it out too.
void appendBinsRows(std::string& out, const CampaignFile& file, const FrequencyBins& bins,
                    const BinRange& range, std::span<const std::string> centres) {
  if (!file.hasSpectrum()) return;
  const std::optional<BinRange> own = file.binnedRange(bins);
  if (!own) return;
  std::string name;  // quoted when it must be, once for all its rows
  appendName(name, file.tableName());
  for (int k = own->first; k <= own->last; ++k) {
    const auto i = static_cast<std::size_t>(k - own->first);
    const double psd1 = i < file.binned1.size() ? file.binned1[i] : kNoValue;
    const double psd2 = i < file.binned2.size() ? file.binned2[i] : kNoValue;
    if (std::isnan(psd1) && std::isnan(psd2)) continue;
    out += name;
    out += centres[static_cast<std::size_t>(k - range.first)];
    appendField(out, psd1);
    appendField(out, psd2);
    out += '\n';
  }
}

}  // namespace

std::string campaignFilesCsv(std::span<const CampaignFile> files, std::span<const FileTime> times) {
  std::string out = "name,samples,seconds,status,rms1,rms2,start,selected,rms_rel\n";
  for (std::size_t i = 0; i < files.size(); ++i) {
    const CampaignFile& file = files[i];
    const FileTime time = i < times.size() ? times[i] : FileTime{};
    appendName(out, file.tableName());
    out += ',';
    if (file.samples > 0) out += std::to_string(file.samples);
    appendField(out, file.samples > 0 ? file.seconds : kNoValue);
    out += ',';
    out += statusName(file.status);
    appendField(out, file.rms1);
    appendField(out, file.rms2);
    appendTimeFields(out, time);
    appendField(out, file.rmsRel);
    out += '\n';
  }
  return out;
}

std::string campaignPercentilesCsv(const CampaignStatistics& statistics) {
  const SpectralUnits& u = statistics.units;
  std::string out =
      columnName("f_low", "Hz", u) + "," + columnName("f_high", "Hz", u) + "," + centreColumns(u);
  for (const char* c : {"1", "2"}) {
    out += std::string(",n") + c;
    for (const char* p : {"p5_", "p50_", "p95_", "mean"})
      out += "," + columnName(p + std::string(c), u);
  }
  out += '\n';
  for (const BinStatistics& bin : statistics.bins) {
    datafiles::appendDouble(out, bin.fLow);
    appendField(out, bin.fHigh);
    appendField(out, bin.fCentre);
    appendPeriod(out, bin.fCentre, u);
    appendChannel(out, bin.channel1, u);
    appendChannel(out, bin.channel2, u);
    out += '\n';
  }
  return out;
}

std::string campaignDensityCsv(const CampaignStatistics& statistics) {
  const SpectralUnits& u = statistics.units;
  std::string out = centreColumns(u) + "," + columnName("db", cellUnitText(u.quantity), u) +
                    ",fraction1,fraction2\n";
  for (const BinStatistics& bin : statistics.bins) {
    // The cells of both channels merged in increasing db.
    const auto& cells1 = bin.channel1.density;
    const auto& cells2 = bin.channel2.density;
    std::size_t i = 0, j = 0;
    while (i < cells1.size() || j < cells2.size()) {
      const int db = j == cells2.size()                                  ? cells1[i].db
                     : i == cells1.size() || cells2[j].db < cells1[i].db ? cells2[j].db
                                                                         : cells1[i].db;
      datafiles::appendDouble(out, bin.fCentre);
      appendPeriod(out, bin.fCentre, u);
      out += ',';
      out += std::to_string(db);
      appendField(out, fractionIn(bin.channel1, db));
      appendField(out, fractionIn(bin.channel2, db));
      out += '\n';
      if (i < cells1.size() && cells1[i].db == db) ++i;
      if (j < cells2.size() && cells2[j].db == db) ++j;
    }
  }
  return out;
}

void writeCampaignBinsCsv(std::span<const CampaignFile> files, const FrequencyBins& bins,
                          const datafiles::ChunkSink& sink) {
  sink("name,f_centre,psd1,psd2\n");
  const std::optional<BinRange> range = binRangeOf(files, bins);
  if (!range) return;
  std::vector<std::string> centres;
  for (int k = range->first; k <= range->last; ++k) {
    centres.emplace_back();
    appendField(centres.back(), bins.centre(k));
  }
  // Numbers are most of the cost (two per row, millions of rows in a station-year): blocks of
  // files are formatted on two threads while the blocks before them are handed on.
  constexpr std::size_t kFilesPerBlock = 128;
  formatInOrder((files.size() + kFilesPerBlock - 1) / kFilesPerBlock,
                [&](std::size_t block, std::string& out) {
                  const std::size_t begin = block * kFilesPerBlock;
                  const std::size_t end = std::min(files.size(), begin + kFilesPerBlock);
                  for (std::size_t i = begin; i < end; ++i) {
                    appendBinsRows(out, files[i], bins, *range, centres);
                  }
                },
                sink);
}

std::string campaignBinsCsv(std::span<const CampaignFile> files, const FrequencyBins& bins) {
  std::string text;
  writeCampaignBinsCsv(files, bins, [&text](std::string_view chunk) { text += chunk; });
  return text;
}

std::optional<std::string> writeCampaignCsv(const std::filesystem::path& prefix,
                                            const Campaign& campaign,
                                            const CampaignStatistics& statistics,
                                            std::span<const FileTime> times) {
  return writeCampaignTables(prefix, campaign.files(), campaign.bins(), statistics, times);
}

}  // namespace analysis
