// The four CSV tables: header, LF line ends, one row per file / bin / cell in order, every number
// reading back as exactly the value computed, empty fields where there is no value.
#include "analysis/campaign/campaign_csv.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <ranges>

#include "analysis/campaign/campaign_tables.h"
#include "tests/analysis/campaign/campaign_samples.h"

namespace analysis {
namespace {

using Row = std::vector<std::string>;

// Rows of a CSV text ended by LF, with RFC 4180 quoting.
std::vector<Row> rowsOf(const std::string& text) {
  std::vector<Row> rows;
  Row row;
  std::string field;
  bool quoted = false;
  for (std::size_t i = 0; i < text.size(); ++i) {
    const char c = text[i];
    if (quoted) {
      if (c == '"' && i + 1 < text.size() && text[i + 1] == '"') {
        field += '"';
        ++i;
      } else if (c == '"') {
        quoted = false;
      } else {
        field += c;
      }
    } else if (c == '"') {
      quoted = true;
    } else if (c == ',' || c == '\n') {
      row.push_back(field);
      field.clear();
      if (c == '\n') {
        rows.push_back(row);
        row.clear();
      }
    } else {
      field += c;
    }
  }
  EXPECT_TRUE(row.empty() && field.empty()) << "the text does not end with a line end";
  return rows;
}

// The field read back, NaN for an empty field; the whole field must be the number.
double valueOf(const std::string& field) {
  if (field.empty()) return kNoValue;
  char* end = nullptr;
  const double v = std::strtod(field.c_str(), &end);
  EXPECT_EQ(*end, '\0') << field;
  return v;
}

void expectField(const std::string& field, double value, const std::string& what) {
  if (std::isnan(value)) {
    EXPECT_EQ(field, "") << what;
  } else {
    EXPECT_EQ(valueOf(field), value) << what << ": " << field;  // exactly, not nearly
  }
}

Campaign sampleComputed() {
  Campaign campaign;
  campaign.append(campaign_testing::sampleCampaign().entries);
  campaign.computePending();
  return campaign;
}

TEST(CampaignCsv, FilesTableOneRowPerFileInOrder) {
  const Campaign campaign = sampleComputed();
  // Every third file without a start, every other one selected; start i hours after
  // 2026-12-31T22:00:00, written out independently of the text routine.
  std::vector<FileTime> times(campaign.files().size());
  const CivilSeconds first = 1798754400;  // 2026-12-31T22:00:00
  for (std::size_t i = 0; i < times.size(); ++i) {
    if (i % 3 != 0) times[i].start = first + static_cast<CivilSeconds>(i) * 3600;
    times[i].selected = i % 2 == 0;
  }
  const std::string text = campaignFilesCsv(campaign.files(), times);
  EXPECT_EQ(text.find('\r'), std::string::npos);
  const auto rows = rowsOf(text);
  ASSERT_EQ(rows.size(), campaign.files().size() + 1);
  EXPECT_EQ(rows[0], (Row{"name", "samples", "seconds", "status", "rms1", "rms2", "start",
                          "selected", "rms_rel"}));
  EXPECT_EQ(rows[2][6], "2026-12-31T23:00:00");
  EXPECT_EQ(rows[3][6], "2027-01-01T00:00:00");
  EXPECT_EQ(rows[6][6], "2027-01-01T03:00:00");
  std::size_t emptyRms2 = 0, emptyRmsRel = 0;
  for (std::size_t i = 0; i < campaign.files().size(); ++i) {
    const CampaignFile& f = campaign.files()[i];
    const Row& row = rows[i + 1];
    ASSERT_EQ(row.size(), 9u);
    EXPECT_EQ(row[6].empty(), i % 3 == 0) << f.name;
    EXPECT_EQ(row[7], i % 2 == 0 ? "1" : "0") << f.name;
    EXPECT_EQ(row[0], f.name);
    EXPECT_EQ(row[1], f.samples > 0 ? std::to_string(f.samples) : "");
    expectField(row[2], f.samples > 0 ? f.seconds : kNoValue, f.name);
    EXPECT_EQ(row[3], statusName(f.status));
    expectField(row[4], f.rms1, f.name);
    expectField(row[5], f.rms2, f.name);
    expectField(row[8], f.rmsRel, f.name);
    if (f.hasSpectrum()) {
      EXPECT_FALSE(row[4].empty()) << f.name;
      emptyRms2 += row[5].empty();
      emptyRmsRel += row[8].empty();
    } else {
      EXPECT_TRUE(row[4].empty() && row[5].empty() && row[8].empty()) << f.name;
    }
  }
  EXPECT_EQ(emptyRms2, 1u);  // the one-channel file
  EXPECT_EQ(emptyRmsRel, 1u);
  EXPECT_EQ(rows[3], (Row{campaign_testing::kRefused, "", "", "refused", "", "",
                          "2027-01-01T00:00:00", "1", ""}));
  // Without times: no start, every file selected.
  for (const Row& row : rowsOf(campaignFilesCsv(campaign.files())) | std::views::drop(1)) {
    EXPECT_EQ(row[6] + "," + row[7], ",1") << row[0];
  }
  EXPECT_EQ(rows[1][2], "60");
  EXPECT_EQ(rows[5][2], "655.36");
}

TEST(CampaignCsv, PercentileAndDensityTablesHoldEveryBinAndCell) {
  const Campaign campaign = sampleComputed();
  const CampaignStatistics statistics = campaign.statistics();
  const auto rows = rowsOf(campaignPercentilesCsv(statistics));
  ASSERT_EQ(rows.size(), statistics.bins.size() + 1);
  EXPECT_EQ(rows[0], (Row{"f_low", "f_high", "f_centre", "n1", "p5_1", "p50_1", "p95_1", "mean1",
                          "n2", "p5_2", "p50_2", "p95_2", "mean2"}));
  std::size_t cells = 0;
  for (std::size_t i = 0; i < statistics.bins.size(); ++i) {
    const BinStatistics& bin = statistics.bins[i];
    const Row& row = rows[i + 1];
    ASSERT_EQ(row.size(), 13u);
    if (i > 0) {
      EXPECT_GT(bin.fLow, statistics.bins[i - 1].fLow);
    }
    expectField(row[0], bin.fLow, "f_low");
    expectField(row[1], bin.fHigh, "f_high");
    expectField(row[2], bin.fCentre, "f_centre");
    for (int c : {1, 2}) {
      const ChannelStatistics& s = bin.channel(c);
      const std::size_t at = c == 1 ? 3 : 8;
      EXPECT_EQ(row[at], std::to_string(s.n));
      expectField(row[at + 1], s.p5, "p5");
      expectField(row[at + 2], s.p50, "p50");
      expectField(row[at + 3], s.p95, "p95");
      expectField(row[at + 4], s.mean, "mean");
    }
    cells += std::max(bin.channel1.density.size(), bin.channel2.density.size());
  }

  const auto density = rowsOf(campaignDensityCsv(statistics));
  EXPECT_EQ(density[0], (Row{"f_centre", "db", "fraction1", "fraction2"}));
  EXPECT_GE(density.size(), cells + 1);
  std::size_t row = 1;
  for (const BinStatistics& bin : statistics.bins) {
    // Every cell of either channel, once, in increasing db; 0 where the other channel has none.
    std::map<int, std::pair<double, double>> expected;
    for (const DensityCell& cell : bin.channel1.density) expected[cell.db].first = cell.fraction;
    for (const DensityCell& cell : bin.channel2.density) expected[cell.db].second = cell.fraction;
    for (const auto& [db, fractions] : expected) {
      ASSERT_LT(row, density.size());
      const Row& r = density[row++];
      expectField(r[0], bin.fCentre, "f_centre");
      EXPECT_EQ(r[1], std::to_string(db));
      expectField(r[2], fractions.first, "fraction1");
      expectField(r[3], bin.channel2.n > 0 ? fractions.second : kNoValue, "fraction2");
    }
  }
  EXPECT_EQ(row, density.size());
}

TEST(CampaignCsv, EmptyFieldsWhereAChannelHasNoValue) {
  CampaignFile a, b;
  a.name = "a,\"b\"";  // a name that needs quoting
  b.name = "b";
  a.status = b.status = CampaignStatus::Used;
  a.firstBin = b.firstBin = 24;
  a.binned1 = {3, kNoValue};
  b.binned1 = {1, 2.5};
  b.binned2 = {kNoValue, 0.001};
  const std::vector<CampaignFile> files{a, b};
  const FrequencyBins bins{12};
  const CampaignStatistics statistics = campaignStatistics(files, bins);
  // Bins 24 and 25 of 12 per octave: 4 .. 2^(25/12) .. 2^(26/12) Hz.
  EXPECT_EQ(campaignPercentilesCsv(statistics),
            "f_low,f_high,f_centre,n1,p5_1,p50_1,p95_1,mean1,n2,p5_2,p50_2,p95_2,mean2\n"
            "4,4.237852377437181,4.117208946573967,2,1.1,2,2.9,2,0,,,,\n"
            "4.237852377437181,4.489848193237491,4.362030930661031,1,2.5,2.5,2.5,2.5,1,0.001,"
            "0.001,0.001,0.001\n");
  EXPECT_EQ(campaignDensityCsv(statistics),
            "f_centre,db,fraction1,fraction2\n"
            "4.117208946573967,0,0.5,\n"
            "4.117208946573967,4,0.5,\n"
            "4.362030930661031,-30,0,1\n"
            "4.362030930661031,3,1,0\n");
  EXPECT_EQ(campaignBinsCsv(files, bins),
            "name,f_centre,psd1,psd2\n"
            "\"a,\"\"b\"\"\",4.117208946573967,3,\n"
            "b,4.117208946573967,1,\n"
            "b,4.362030930661031,2.5,0.001\n");
}

TEST(CampaignCsv, BinsTableHoldsUsedAndVetoedSpectra) {
  const Campaign campaign = sampleComputed();
  const auto rows = rowsOf(campaignBinsCsv(campaign.files(), campaign.bins()));
  EXPECT_EQ(rows[0], (Row{"name", "f_centre", "psd1", "psd2"}));
  std::size_t row = 1;
  for (const CampaignFile& f : campaign.files()) {
    if (!f.hasSpectrum()) continue;
    for (int k = f.firstBin; k < f.firstBin + static_cast<int>(f.binned1.size()); ++k) {
      if (!f.binnedValue(1, k)) continue;  // channel 2 has a value only where channel 1 has
      ASSERT_LT(row, rows.size());
      const Row& r = rows[row++];
      EXPECT_EQ(r[0], f.name);
      expectField(r[1], campaign.bins().centre(k), "f_centre");
      expectField(r[2], *f.binnedValue(1, k), f.name);
      expectField(r[3], f.binnedValue(2, k).value_or(kNoValue), f.name);
    }
  }
  EXPECT_EQ(row, rows.size());
  EXPECT_GT(row, 8 * 100u);
}

TEST(CampaignCsv, FourFilesBesideThePrefixOrTheFailureNamingTheFile) {
  const Campaign campaign = sampleComputed();
  const CampaignStatistics statistics = campaign.statistics();
  testing_support::TempDir dir;
  ASSERT_FALSE(writeCampaignCsv(dir.path() / "site", campaign, statistics));
  EXPECT_EQ(dir.read("site-files.csv"), campaignFilesCsv(campaign.files()));
  EXPECT_EQ(dir.read("site-percentiles.csv"), campaignPercentilesCsv(statistics));
  EXPECT_EQ(dir.read("site-density.csv"), campaignDensityCsv(statistics));
  EXPECT_EQ(dir.read("site-bins.csv"), campaignBinsCsv(campaign.files(), campaign.bins()));

  const auto failure = writeCampaignCsv(dir.path() / "missing" / "site", campaign, statistics);
  ASSERT_TRUE(failure);
  EXPECT_NE(failure->find("site-files.csv"), std::string::npos) << *failure;

  // A table that cannot be replaced (here a directory of its name) is found before any is
  // written: the four stay those of one campaign.
  std::filesystem::create_directory(dir.path() / "other-density.csv");
  dir.write("other-files.csv", "earlier");
  const auto refused = writeCampaignCsv(dir.path() / "other", campaign, statistics);
  ASSERT_TRUE(refused);
  EXPECT_NE(refused->find("other-density.csv: is a directory"), std::string::npos) << *refused;
  EXPECT_EQ(dir.read("other-files.csv"), "earlier");
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "other-percentiles.csv"));
}

TEST(CampaignCsv, StatisticsComputedWhileTheBinsTableIsWrittenGiveTheSameTablesAndFailures) {
  const Campaign campaign = sampleComputed();
  const auto computing = [&campaign](const std::filesystem::path& prefix,
                                     CampaignStatistics& statistics) {
    return writeCampaignTablesComputing(
        prefix, campaign.files(), campaign.bins(), [&] { return campaign.statistics(); },
        statistics);
  };
  testing_support::TempDir dir;
  CampaignStatistics computed;
  ASSERT_FALSE(writeCampaignCsv(dir.path() / "given", campaign, campaign.statistics()));
  ASSERT_FALSE(computing(dir.path() / "computed", computed));
  for (const char* table : {"-files.csv", "-percentiles.csv", "-density.csv", "-bins.csv"}) {
    EXPECT_EQ(dir.read(std::string("computed") + table), dir.read(std::string("given") + table));
  }
  EXPECT_EQ(campaignDensityCsv(computed), campaignDensityCsv(campaign.statistics()));
  // A table that cannot be replaced is found before the bins table's thread writes anything.
  std::filesystem::create_directory(dir.path() / "other-density.csv");
  const auto refused = computing(dir.path() / "other", computed);
  ASSERT_TRUE(refused);
  EXPECT_NE(refused->find("other-density.csv: is a directory"), std::string::npos) << *refused;
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "other-bins.csv"));
}

}  // namespace
}  // namespace analysis
