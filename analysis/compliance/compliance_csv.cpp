#include "analysis/compliance/compliance_csv.h"

#include <cmath>

#include "analysis/campaign/csv_fields.h"
#include "datafiles/number_format.h"
#include "datafiles/text_file.h"

namespace analysis {
namespace {

void appendLevels(std::string& out, const BandLevels& levels) {
  out += ',';
  out += std::to_string(levels.n);
  for (double v : {levels.l10, levels.l50, levels.l90, levels.lmax}) appendField(out, v);
}

}  // namespace

void writeThirdOctaveRecordsCsv(std::span<const CampaignFile> files,
                                std::span<const std::optional<CivilSeconds>> starts,
                                const datafiles::ChunkSink& sink) {
  constexpr std::size_t kPiece = 1 << 20;
  std::string out = "name,start,channel,f_centre,v\n";
  for (std::size_t i = 0; i < files.size(); ++i) {
    const CampaignFile& file = files[i];
    if (file.status != CampaignStatus::Used) continue;
    std::string lead;  // name and start, the same on every row of the file
    appendName(lead, file.tableName());
    lead += ',';
    if (i < starts.size() && starts[i]) lead += isoText(*starts[i]);
    for (int channel = 1; channel <= (file.twoChannels ? 2 : 1); ++channel) {
      const std::vector<double>& values = file.bands.values(channel);
      for (std::size_t b = 0; b < values.size(); ++b) {
        if (std::isnan(values[b])) continue;
        out += lead;
        out += channel == 1 ? ",1" : ",2";
        appendField(out, thirdOctaveBand(file.bands.firstBand + static_cast<int>(b)).centre);
        appendField(out, values[b]);
        out += '\n';
      }
    }
    if (out.size() >= kPiece) {
      sink(out);
      out.clear();
    }
  }
  if (!out.empty()) sink(out);
}

std::string thirdOctaveRecordsCsv(std::span<const CampaignFile> files,
                                  std::span<const std::optional<CivilSeconds>> starts) {
  std::string out;
  writeThirdOctaveRecordsCsv(files, starts, [&out](std::string_view piece) { out += piece; });
  return out;
}

std::string complianceLevelsCsv(const ComplianceTables& tables) {
  std::string out =
      "f_centre,f_low,f_high,n1,L10_1,L50_1,L90_1,Lmax_1,n2,L10_2,L50_2,L90_2,Lmax_2\n";
  for (const LevelRow& row : tables.levels) {
    datafiles::appendDouble(out, row.band.centre);
    appendField(out, row.band.low);
    appendField(out, row.band.high);
    appendLevels(out, row.channel1);
    appendLevels(out, row.channel2);
    out += '\n';
  }
  return out;
}

std::string complianceCsv(const ComplianceTables& tables) {
  std::string out = "criterion,channel,judged,meeting,percent\n";
  for (const ComplianceRow& row : tables.compliance) {
    appendName(out, row.name());
    out += ',' + std::to_string(row.channel) + ',' + std::to_string(row.judged) + ',' +
           std::to_string(row.meeting);
    appendField(out, row.percent());
    out += '\n';
  }
  return out;
}

std::string complianceHoursCsv(const ComplianceTables& tables) {
  std::string out = "criterion,channel,weekday,hour,judged,meeting\n";
  for (const HourRow& row : tables.hours) {
    appendName(out, ComplianceRow{.criterion = row.criterion}.name());
    out += ',' + std::to_string(row.channel) + ',' + std::string(weekdayName(row.weekday)) + ',' +
           std::to_string(row.hour) + ',' + std::to_string(row.judged) + ',' +
           std::to_string(row.meeting) + '\n';
  }
  return out;
}

std::optional<std::string> writeComplianceCsv(const std::filesystem::path& prefix,
                                              std::span<const CampaignFile> files,
                                              std::span<const std::optional<CivilSeconds>> starts,
                                              const ComplianceTables& tables) {
  const std::string base = prefix.string();
  if (auto failure = datafiles::writeFileAtomically(
          base + "-thirdoct.csv", [&](const datafiles::ChunkSink& sink) {
            writeThirdOctaveRecordsCsv(files, starts, sink);
          })) {
    return failure;
  }
  const std::pair<const char*, std::string> outputs[] = {
      {"-levels.csv", complianceLevelsCsv(tables)},
      {"-compliance.csv", complianceCsv(tables)},
      {"-compliance-hours.csv", complianceHoursCsv(tables)},
  };
  for (const auto& [suffix, text] : outputs) {
    if (auto failure = datafiles::writeFileAtomically(base + suffix, text)) return failure;
  }
  return std::nullopt;
}

}  // namespace analysis
