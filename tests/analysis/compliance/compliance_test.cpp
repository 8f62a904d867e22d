// Vibration criteria over a campaign's records: the velocities a campaign keeps per record are
// the third-octave view's, and the levels, compliance and weekday x hour tables of records with
// known velocities against counts and percentiles worked out here.
#include "analysis/compliance/compliance.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cmath>
#include <map>
#include <vector>

#include "analysis/archive/segment_campaign.h"
#include "analysis/campaign/campaign_file.h"
#include "analysis/record/file_analysis.h"
#include "analysis/standards/third_octave.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace analysis {
namespace {

// A used record with the same velocity v (mum/s) in bands m = first .. last of channel 1 and,
// when `two`, 2 v in channel 2.
CampaignFile recordWith(int first, int last, double v, bool two = false) {
  CampaignFile file;
  file.name = "r" + std::to_string(first) + "_" + std::to_string(v);
  file.status = CampaignStatus::Used;
  file.twoChannels = two;
  file.bands.firstBand = first;
  file.bands.channel1.assign(static_cast<std::size_t>(last - first + 1), v);
  if (two) file.bands.channel2.assign(file.bands.channel1.size(), 2 * v);
  return file;
}

// The textbook percentile: linear between the order statistics at p (n - 1) / 100.
double percentile(std::vector<double> v, double p) {
  std::sort(v.begin(), v.end());
  const double x = p * static_cast<double>(v.size() - 1) / 100;
  const auto i = static_cast<std::size_t>(x);
  return i + 1 < v.size() ? v[i] + (x - static_cast<double>(i)) * (v[i + 1] - v[i]) : v[i];
}

const ComplianceRow& rowOf(const ComplianceTables& t, std::string_view criterion, int channel) {
  const auto it = std::find_if(t.compliance.begin(), t.compliance.end(), [&](const auto& r) {
    return r.name() == criterion && r.channel == channel;
  });
  EXPECT_NE(it, t.compliance.end()) << criterion;
  return *it;
}

TEST(ComplianceLevels, LnAndLmaxOfKnownValuesOverTheSelection) {
  // Band 10 (10 Hz) holds 1 .. 10 mum/s in records 0 .. 9; band 20 (100 Hz) only in records
  // 0 .. 2; a vetoed record with a huge value and an unselected one count in no level.
  std::vector<CampaignFile> files;
  for (int i = 0; i < 10; ++i) files.push_back(recordWith(10, i < 3 ? 20 : 10, i + 1.0, true));
  files.push_back(recordWith(10, 10, 1e6));
  files.back().status = CampaignStatus::Vetoed;
  files.push_back(recordWith(10, 10, 5e5));
  std::vector<std::uint8_t> selected(files.size(), 1);
  selected.back() = 0;
  const ComplianceTables t = complianceTables(files, {}, selected);
  EXPECT_EQ(t.records, 10u);
  ASSERT_EQ(t.levels.size(), 11u);  // bands 10 .. 20
  const std::vector<double> all = {1, 2, 3, 4, 5, 6, 7, 8, 9, 10}, few = {1, 2, 3};
  const struct {
    std::size_t row;
    int channel;
    std::vector<double> values;
  } cases[] = {
      {0, 1, all}, {10, 1, few}, {10, 2, {2, 4, 6}}, {0, 2, {2, 4, 6, 8, 10, 12, 14, 16, 18, 20}}};
  for (const auto& c : cases) {
    const BandLevels& l = t.levels[c.row].channel(c.channel);
    EXPECT_EQ(l.n, c.values.size());
    EXPECT_DOUBLE_EQ(l.l10, percentile(c.values, 90)) << c.row;  // exceeded by 10 %
    EXPECT_DOUBLE_EQ(l.l50, percentile(c.values, 50)) << c.row;
    EXPECT_DOUBLE_EQ(l.l90, percentile(c.values, 10)) << c.row;
    EXPECT_EQ(l.lmax, c.values.back()) << c.row;
  }
  EXPECT_DOUBLE_EQ(t.levels[0].channel1.l10, 9.1);
  EXPECT_EQ(t.levels[0].band.index, 10);
}

TEST(ComplianceCriteria, EachCriterionJudgedOnItsOwnRange) {
  // VC-C is 12.5 and VC-D 6.25 mum/s flat from 1 to 80 Hz; VC-A and VC-B begin at 4 Hz, the
  // building curves and VC-C .. VC-G at 1 Hz, all end at 80 Hz.
  std::vector<CampaignFile> files = {
      recordWith(10, 19, 9.0),  // 10 .. 80 Hz at 9: meets VC-C, not VC-D
      recordWith(0, 5, 2.0),    // 1 .. 3.15 Hz: not judged for VC-A and VC-B
      recordWith(21, 30, 1e3),  // 125 Hz .. 1 kHz: judged for no criterion
      recordWith(10, 19, 9.0),  // above VC-C in its last band (80 Hz) alone
  };
  files[3].bands.channel1.back() = 13;
  const ComplianceTables t = complianceTables(files, {}, {});
  const struct {
    const char* criterion;
    std::size_t judged, meeting;
  } cases[] = {{"VC-G", 3, 0}, {"VC-E", 3, 1}, {"VC-D", 3, 1},    {"VC-C", 3, 2},
               {"VC-B", 2, 2}, {"VC-A", 2, 2}, {"workshop", 3, 3}};
  for (const auto& c : cases) {
    const ComplianceRow& row = rowOf(t, c.criterion, 1);
    EXPECT_EQ(row.judged, c.judged) << c.criterion;
    EXPECT_EQ(row.meeting, c.meeting) << c.criterion;
    EXPECT_DOUBLE_EQ(row.percent(), 100.0 * c.meeting / c.judged) << c.criterion;
  }
  EXPECT_EQ(t.compliance.front().name(), "VC-G");  // strictest first
  EXPECT_EQ(t.compliance.back().name(), "workshop");
  EXPECT_EQ(t.compliance.size(), vibrationCriteria().size());  // no two-channel record
  EXPECT_TRUE(std::isnan(complianceTables({files.data() + 2, 1}, {}, {}).compliance[0].percent()));
}

TEST(ComplianceHours, WeekdayAndHourOfStartTimesAcrossMidnightAndAWeek) {
  const auto at = [](int day, int hour, int minute) {
    return *civilSeconds({.year = 2026, .month = 12, .day = day, .hour = hour, .minute = minute});
  };
  // 2026-12-06 is a Sunday. Records meeting VC-C (9 mum/s) or not (20 mum/s).
  const struct {
    std::optional<CivilSeconds> start;
    double v;
  } records[] = {
      {at(6, 23, 59), 9},  {at(7, 0, 0), 20},   {at(7, 0, 59), 9}, {at(14, 0, 30), 9},
      {at(13, 23, 0), 20}, {at(20, 23, 30), 9}, {std::nullopt, 9},
  };
  std::vector<CampaignFile> files;
  std::vector<std::optional<CivilSeconds>> starts;
  for (const auto& r : records) {
    files.push_back(recordWith(10, 19, r.v));
    starts.push_back(r.start);
  }
  const ComplianceTables t = complianceTables(files, starts, {});
  std::map<std::tuple<std::string, int>, std::pair<std::size_t, std::size_t>> cells;
  for (const HourRow& row : t.hours) {
    if (ComplianceRow{.criterion = row.criterion}.name() != "VC-C") continue;
    cells[{std::string(weekdayName(row.weekday)), row.hour}] = {row.judged, row.meeting};
  }
  const std::map<std::tuple<std::string, int>, std::pair<std::size_t, std::size_t>> expected = {
      {{"sun", 23}, {3, 2}}, {{"mon", 0}, {3, 2}}};
  EXPECT_EQ(cells, expected);
  EXPECT_EQ(rowOf(t, "VC-C", 1).judged, 7u);  // the record without a start time counts here
}

TEST(CampaignRecordBands, AreTheThirdOctaveViewsOfEachRecord) {
  testing_support::TempDir dir;
  const auto coefficients = [](int k) {
    const double v = 1e-3 / (1 + k % 5);
    return analysis_testing::Coefficients{v, -v / 3, v / 2, v};
  };
  dir.write("12010000.csvz", analysis_testing::spectrumText(6001, 60, coefficients));
  dir.write("12010100.csvz", analysis_testing::spectrumText(6001, 60, coefficients, false));
  for (const char* name : {"12010000.csvz", "12010100.csvz"}) {
    AnalysisState state;
    FileAnalysis analysis;
    ASSERT_EQ(analysis.analyzeFile(state, dir.path(), name, {}).kind, FileKind::Measurement);
    const ShownBandVelocities shown = shownBandVelocities(state);
    CampaignFileReader reader;
    const CampaignFile file = reader.read({dir.path(), name}, FrequencyBins{}, {});
    ASSERT_GT(shown.channel1.bands.size(), 20u);
    for (int channel : {1, 2}) {
      const BandVelocities kept = file.bands.velocities(channel);
      const BandVelocities& view = channel == 1 ? shown.channel1 : shown.channel2;
      if (channel == 2 && !file.twoChannels) {
        EXPECT_TRUE(kept.bands.empty()) << name;
        continue;
      }
      EXPECT_EQ(kept.rms, view.rms) << name << " channel " << channel;
      ASSERT_EQ(kept.bands.size(), view.bands.size());
      EXPECT_EQ(kept.bands.front().index, view.bands.front().index);
    }
  }
}

// A station archive's segment: a band holding a line without an estimate (coefficient 0, below
// the instrument's passband) would read low and is left out; the others are sum |c|^2 / 2.
TEST(SegmentRecordBands, ABandWithALineWithoutAnEstimateIsLeftOut) {
  archive::SegmentRecord record{.name = "segment", .samples = 12000, .rate = 200, .seconds = 60};
  datafiles::SpectrumRecords& s = record.spectrum;
  s.twoChannels = true;
  s.count = 6001;
  for (auto* v : {&s.freq, &s.re2, &s.im2}) v->assign(s.count, 0.0);
  s.re1.assign(s.count, 0.0f);
  s.im1.assign(s.count, 0.0f);
  for (std::size_t k = 1; k < s.count; ++k) {
    s.freq[k] = static_cast<double>(k) / 60;
    s.re1[k] = k == 60 ? 0.0f : 1e-3f;  // no estimate at 1 Hz in channel 1
    s.re2[k] = 2e-3;
  }
  const CampaignFile file = archive::segmentCampaignFile(record, FrequencyBins{}, {});
  EXPECT_FALSE(file.bands.value(1, 0));  // the 1 Hz band of channel 1
  for (int band : {-1, 0, 1, 10}) {
    std::size_t lines = 0;
    for (std::size_t k = 1; k < s.count; ++k) {
      const double f = s.freq[k];
      lines += f >= std::pow(10, (2 * band - 1) / 20.0) && f < std::pow(10, (2 * band + 1) / 20.0);
    }
    const double c1 = static_cast<double>(1e-3f);  // channel 1 as the reader keeps it
    const double expected1 = std::sqrt(static_cast<double>(lines) * c1 * c1 / 2);
    const auto v1 = file.bands.value(1, band), v2 = file.bands.value(2, band);
    ASSERT_TRUE(v2) << band;
    EXPECT_NEAR(*v2 / std::sqrt(static_cast<double>(lines) * 4e-6 / 2), 1, 1e-12) << band;
    if (band == 0) continue;
    ASSERT_TRUE(v1) << band;
    EXPECT_NEAR(*v1 / expected1, 1, 1e-12) << band;
  }
}

}  // namespace
}  // namespace analysis
