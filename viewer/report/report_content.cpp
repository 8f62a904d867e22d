#include "viewer/report/report_content.h"

#include <algorithm>
#include <cmath>
#include <cstdio>
#include <limits>
#include <vector>

#include "analysis/campaign/time_grid.h"
#include "analysis/standards/noise_models.h"
#include "analysis/units/spectral_units.h"
#include "psd_version.h"
#include "viewer/report/report_compliance.h"

namespace viewer {

namespace {

std::string countsText(const analysis::CampaignCounts& n) {
  std::string text = std::to_string(n.used) + " used, " + std::to_string(n.vetoed) + " vetoed, " +
                     std::to_string(n.skipped) + " skipped, " + std::to_string(n.refused) +
                     " refused";
  if (n.pending > 0) text += ", " + std::to_string(n.pending) + " not computed";
  return text;
}

std::string hzText(double f) {
  char text[32];
  std::snprintf(text, sizeof text, "%g", f);
  return text;
}

std::string bandText(const analysis::RmsBand& band) {
  return hzText(band.fLow) + " Hz to " +
         (std::isfinite(band.fHigh) ? hzText(band.fHigh) + " Hz" : "the highest line");
}

std::string spanText(std::span<const std::optional<analysis::CivilSeconds>> starts) {
  std::optional<analysis::CivilSeconds> first, last;
  for (const auto& s : starts) {
    if (!s) continue;
    if (!first || *s < *first) first = s;
    if (!last || *s > *last) last = s;
  }
  if (!first) return "no record has a start time";
  char days[48];
  std::snprintf(days, sizeof days, " (%.2f days)", static_cast<double>(*last - *first) / 86400);
  return analysis::isoText(*first) + " to " + analysis::isoText(*last) + days;
}

struct Percentile {
  const char* label;
  double analysis::ChannelStatistics::*value;
  LineStyle style;
  double width;
};
constexpr Percentile kPercentiles[] = {
    {"5 %", &analysis::ChannelStatistics::p5, LineStyle::Dashed, 0.8},
    {"median", &analysis::ChannelStatistics::p50, LineStyle::Solid, 1.3},
    {"95 %", &analysis::ChannelStatistics::p95, LineStyle::Dashed, 0.8},
    {"mean of power", &analysis::ChannelStatistics::mean, LineStyle::Dotted, 0.8},
};

void addPercentiles(ReportPlot& plot, const analysis::CampaignStatistics& statistics,
                    bool compared) {
  for (int channel : {1, 2}) {
    for (const Percentile& p : kPercentiles) {
      if (compared && p.value == &analysis::ChannelStatistics::mean) continue;
      ReportCurve curve{.colour = compared ? channel + 2 : channel,
                        .style = compared ? LineStyle::Dashed : p.style,
                        .width = p.width};
      for (const analysis::BinStatistics& bin : statistics.bins) {
        // In the statistics' units: their values are linear densities of that quantity.
        const double v = analysis::formOf(statistics.units, bin.channel(channel).*p.value);
        if ((statistics.units.db || v > 0) && std::isfinite(v)) {
          curve.points.emplace_back(bin.fCentre, v);
        }
      }
      if (curve.points.empty()) continue;
      // Only the compared medians are listed: the dashes tell the rest.
      if (!compared || p.value == &analysis::ChannelStatistics::p50) {
        curve.label = std::string(compared ? "compared: " : "") + "channel " +
                      std::to_string(channel) + " " + p.label;
      }
      plot.curves.push_back(std::move(curve));
    }
  }
}

// The noise models over low .. high Hz (within where they are defined), 50 points a decade.
void addNoiseModels(ReportPlot& plot, double low, double high,
                    const analysis::SpectralUnits& units) {
  low = std::max(low, analysis::kNoiseModelLowestHz);
  high = std::min(high, analysis::kNoiseModelHighestHz);
  if (!(low < high)) return;
  for (auto [model, name] : {std::pair{analysis::NoiseModel::Low, "NLNM"},
                             std::pair{analysis::NoiseModel::High, "NHNM"}}) {
    ReportCurve curve{
        .label = name, .colour = 0, .style = LineStyle::Dashed, .width = 0.8, .reference = true};
    const int steps = std::max(2, static_cast<int>(std::ceil(50 * std::log10(high / low))));
    for (int i = 0; i <= steps; ++i) {
      const double f = low * std::pow(high / low, static_cast<double>(i) / steps);
      if (auto psd = analysis::noiseModelPsd(model, f)) {
        curve.points.emplace_back(f, analysis::shownValue(units, *psd, f));
      }
    }
    plot.curves.push_back(std::move(curve));
  }
}

ReportPlot percentilePlot(const CampaignReportInput& in) {
  // In the units the statistics were computed in, against frequency.
  const analysis::SpectralUnits& units = in.statistics->units;
  ReportPlot plot{.title = "percentiles of " + std::to_string(in.selectedUsed) + " used records",
                  .xLabel = "frequency (Hz)",
                  .yLabel = units.recorded() ? "PSD (mum^2/Hz)" : analysis::valueAxisTitle(units),
                  .logY = !units.db};
  if (in.compareStatistics) {
    plot.title += ", dashed: " + std::to_string(in.comparedUsed) + " compared records";
  }
  addPercentiles(plot, *in.statistics, false);
  if (in.compareStatistics) addPercentiles(plot, *in.compareStatistics, true);
  if (!in.statistics->bins.empty()) {
    addNoiseModels(plot, in.statistics->bins.front().fLow, in.statistics->bins.back().fHigh, units);
  }
  return plot;
}

ReportPlot timelinePlot(const CampaignReportInput& in) {
  const bool byTime =
      std::any_of(in.starts.begin(), in.starts.end(), [](const auto& s) { return s.has_value(); });
  ReportPlot plot{.title = "band rms per record, " + bandText(in.band),
                  .xLabel = byTime ? "start time" : "position in the list",
                  .yLabel = "rms (mum)",
                  .logX = false,
                  .timeAxis = byTime};
  struct Point {
    double x, rms1, rms2;
  };
  std::vector<Point> points;
  for (std::size_t i = 0; i < in.files.size(); ++i) {
    const analysis::CampaignFile& file = in.files[i];
    if (file.status != analysis::CampaignStatus::Used) continue;
    const bool timed = i < in.starts.size() && in.starts[i];
    if (byTime && !timed) continue;
    points.push_back({byTime ? static_cast<double>(*in.starts[i]) : static_cast<double>(i + 1),
                      file.rms1, file.rms2});
  }
  std::stable_sort(points.begin(), points.end(),
                   [](const Point& a, const Point& b) { return a.x < b.x; });
  const analysis::TimeGrid grid = analysis::timeGridOf(in.starts);
  const double breakAt = byTime && grid.cell > 0 ? 1.5 * static_cast<double>(grid.cell)
                                                 : std::numeric_limits<double>::infinity();
  for (int channel : {1, 2}) {
    ReportCurve curve{
        .label = "channel " + std::to_string(channel), .colour = channel, .width = 0.6};
    for (std::size_t i = 0; i < points.size(); ++i) {
      if (i > 0 && points[i].x - points[i - 1].x > breakAt) {
        curve.points.emplace_back(
            std::numeric_limits<double>::quiet_NaN(),
            std::numeric_limits<double>::quiet_NaN());  // the line stops over the gap
      }
      curve.points.emplace_back(points[i].x, channel == 1 ? points[i].rms1 : points[i].rms2);
    }
    if (std::any_of(curve.points.begin(), curve.points.end(),
                    [](const auto& p) { return p.second > 0; })) {
      plot.curves.push_back(std::move(curve));
    }
  }
  return plot;
}

ReportList refusedOf(std::span<const analysis::CampaignFile> files) {
  ReportList list;
  for (const analysis::CampaignFile& file : files) {
    if (file.status != analysis::CampaignStatus::Refused) continue;
    if (list.items.size() == kMostListed) {
      ++list.more;
      continue;
    }
    const std::string& path = file.relativePath;
    const std::size_t slash = path.rfind('/');
    list.items.push_back((slash == std::string::npos ? "" : path.substr(0, slash + 1)) +
                         file.message);
  }
  return list;
}

std::vector<std::string> definitions(const CampaignReportInput& in) {
  return {
      "Statistics are taken over the used records the selection takes (vetoed, skipped and "
      "refused records never count). A percentile is linear between order statistics: with the "
      "n values of a bin sorted, the p % percentile lies at position p (n - 1) / 100. The PSD is "
      "the displacement PSD in mum^2/Hz, binned in frequency and averaged over a record's lines "
      "in each bin; the noise models NLNM and NHNM (Peterson 1993) are drawn on the same axis.",
      "Each used record's one-third-octave rms velocity per band and channel is exactly what the "
      "third-octave view shows for it: the bands wholly inside its lines drawn.",
      "L_n of a band (n = 10, 50, 90) is the level exceeded by n % of the selected records that "
      "have the band, i.e. the (100 - n)th percentile of their values (the campaign's percentile "
      "rule: linear between order statistics); Lmax is the largest.",
      "A record meets a criterion when each of its bands within that criterion's frequency range "
      "is at or below the criterion's level there (the same limits and ranges as the verdict); a "
      "record with no band in the range is not judged for it. Percent meeting = meeting / "
      "judged. Weekdays and hours are those of the records' start times (" +
          in.startSource + ").",
      "The band rms of the timeline is the rms displacement over " + bandText(in.band) +
          ". A gap is a spacing of consecutive start times of more than 1.5 times the most "
          "common spacing.",
  };
}

}  // namespace

ReportList gapsOf(std::span<const std::optional<analysis::CivilSeconds>> starts,
                  std::size_t mostListed) {
  std::vector<analysis::CivilSeconds> sorted;
  for (const auto& s : starts) {
    if (s) sorted.push_back(*s);
  }
  std::sort(sorted.begin(), sorted.end());
  sorted.erase(std::unique(sorted.begin(), sorted.end()), sorted.end());
  ReportList list;
  const analysis::CivilSeconds cell = analysis::timeGridOf(starts).cell;
  if (cell <= 0) return list;
  for (std::size_t i = 1; i < sorted.size(); ++i) {
    const analysis::CivilSeconds spacing = sorted[i] - sorted[i - 1];
    if (2 * spacing <= 3 * cell) continue;  // at most 1.5 cells
    if (list.items.size() == mostListed) {
      ++list.more;
      continue;
    }
    const long long missing =
        std::llround(static_cast<double>(spacing) / static_cast<double>(cell)) - 1;
    list.items.push_back(analysis::isoText(sorted[i - 1]) + " to " + analysis::isoText(sorted[i]) +
                         ": " + std::to_string(missing) + (missing == 1 ? " record" : " records") +
                         " missing (every " + std::to_string(cell) + " s)");
  }
  return list;
}

ReportDocument campaignReport(const CampaignReportInput& in) {
  ReportDocument d;
  d.title = "Campaign report";
  const analysis::CampaignCounts& n = in.statistics->counts;
  std::string selection = in.selection.describe() + ": " + std::to_string(in.selectedUsed) +
                          " of " + std::to_string(n.used) + " used records";
  d.facts = {{"source", in.source},
             {"time span", spanText(in.starts)},
             {"start times", in.startSource},
             {"records", std::to_string(in.files.size()) + ": " + countsText(n)},
             {"selection", selection},
             {"compared with", in.compare ? in.compare->describe() + ": " +
                                                std::to_string(in.comparedUsed) + " used records"
                                          : "none"},
             {"band rms", bandText(in.band)},
             {"program", std::string("psd-display ") + PSD_DISPLAY_VERSION}};
  d.percentiles = percentilePlot(in);
  d.levelsMissing = "The one-third-octave levels were not computed for this report.";
  if (in.compliance)
    addComplianceSections(d, *in.compliance, in.compareCompliance, in.gridCriterion);
  d.timeline = timelinePlot(in);
  d.refused = refusedOf(in.files);
  d.gaps = gapsOf(in.starts);
  d.definitions = definitions(in);
  return d;
}

}  // namespace viewer
