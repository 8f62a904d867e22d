// psd-analyze's spectral tables in other units, written by the program for two records with
// known answers, and the "as recorded" tables unchanged.
#include <gtest/gtest.h>

#include <cmath>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/tools/run_analyze.h"

namespace tools {
namespace {

using Rows = std::vector<std::vector<std::string>>;

Rows fieldsOf(const std::string& csv) {
  Rows rows;
  std::istringstream lines(csv);
  for (std::string line; std::getline(lines, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    rows.emplace_back();
    std::istringstream fields(line + ',');
    for (std::string field; std::getline(fields, field, ',');) rows.back().push_back(field);
  }
  return rows;
}

// Record A: c1 = 3, c2 = 1; record B: c1 = 3i, c2 = 2i on every line of 60 s records. Averaged,
// the program's PSD of channel 1 is 9 T / w^2, so the one-sided velocity density G w^2 is
// 9 x 60 / 2 = 270 (mum/s)^2/Hz on every line; the relative motion's 5/2 T / w^2 gives 75, the
// self-noise of channel 1, (18 - 9) / 2 T / w^2, gives 135; channel 2's is negative: empty.
class UnitTablesTest : public ::testing::Test {
 protected:
  void SetUp() override {
    using analysis_testing::Coefficients;
    dir.write("11111111.csvz", analysis_testing::spectrumText(1501, 60, [](int) {
                return Coefficients{3, 0, 1, 0};
              }));
    dir.write("22222222.csvz", analysis_testing::spectrumText(1501, 60, [](int) {
                return Coefficients{0, 3, 0, 2};
              }));
  }

  // Runs psd-analyze --average with every spectral table, named with `tag`.
  int run(const std::string& tag, const std::string& units) {
    const auto path = [&](const char* table) {
      return " " + (dir.path() / (tag + table)).string();
    };
    std::string errors;
    return tools_testing::runAnalyze(
        dir,
        "--average" + units + " --csv" + path("-s.csv") + " --noise-models-csv" + path("-m.csv") +
            " --relative-csv" + path("-r.csv") + " --self-noise-csv" + path("-n.csv") + " " +
            (dir.path() / "11111111.csvz").string() + " " + (dir.path() / "22222222.csvz").string(),
        errors);
  }

  testing_support::TempDir dir;
};

TEST_F(UnitTablesTest, AsRecordedTablesAreByteForByteTheDefault) {
  ASSERT_EQ(run("default", ""), 0);
  ASSERT_EQ(run("recorded", " --units recorded"), 0);
  for (const char* table : {"-s.csv", "-m.csv", "-r.csv", "-n.csv"}) {
    EXPECT_EQ(dir.read(std::string("recorded") + table), dir.read(std::string("default") + table))
        << table;
  }
  EXPECT_EQ(dir.read("default-s.csv").substr(0, 41), "line,freq,psd1,psd2,coh,rmsCut1,rmsCut2\r\n");
}

TEST_F(UnitTablesTest, VelocityDecibelsAgainstPeriodOnLinesOfKnownFrequency) {
  ASSERT_EQ(run("vel", " --units vel --db --period"), 0);
  const std::string unit = "[dB re 1 (m/s)^2/Hz]";
  const auto dbOf = [](double density) { return 10 * std::log10(density * 1e-12); };
  const Rows spectrum = fieldsOf(dir.read("vel-s.csv"));
  ASSERT_EQ(spectrum.size(), 1501u);  // lines 1 .. 1500: line 0 has no period
  EXPECT_EQ(spectrum[0],
            (std::vector<std::string>{"line", "freq[Hz]", "period[s]", "psd1" + unit, "psd2" + unit,
                                      "coh", "rmsCut1[mum]", "rmsCut2[mum]"}));
  const Rows relative = fieldsOf(dir.read("vel-r.csv"));
  EXPECT_EQ(relative[0], (std::vector<std::string>{"line", "freq[Hz]", "period[s]",
                                                   "psd_rel" + unit, "rms_rel[mum]", "ratio"}));
  const Rows noise = fieldsOf(dir.read("vel-n.csv"));
  EXPECT_EQ(noise[0],
            (std::vector<std::string>{"line", "freq[Hz]", "period[s]", "n1" + unit, "n2" + unit}));
  for (std::size_t q : {1u, 60u, 600u, 1500u}) {
    SCOPED_TRACE(q);
    EXPECT_EQ(std::stoul(spectrum[q][0]), q);
    EXPECT_DOUBLE_EQ(std::stod(spectrum[q][2]), 60.0 / q);
    EXPECT_NEAR(std::stod(spectrum[q][3]), dbOf(270), 1e-9);
    EXPECT_NEAR(std::stod(relative[q][3]), dbOf(75), 1e-9);
    EXPECT_NEAR(std::stod(noise[q][3]), dbOf(135), 1e-9);
    EXPECT_EQ(noise[q][4], "");
  }
}

TEST_F(UnitTablesTest, AccelerationAmplitudeAndTheLowNoiseModelInDecibels) {
  ASSERT_EQ(run("asd", " --units acc --asd"), 0);
  const Rows spectrum = fieldsOf(dir.read("asd-s.csv"));
  ASSERT_EQ(spectrum.size(), 1502u);  // line 0 kept without the period axis
  EXPECT_EQ(spectrum[0][2], "psd1[mum/s^2/√Hz]");
  EXPECT_EQ(std::stod(spectrum[1][2]), 0);  // f = 0: no acceleration
  const double w = 6.28318 * 600 / 60;
  EXPECT_NEAR(std::stod(spectrum[601][2]) / std::sqrt(270 * w * w), 1, 1e-12);

  ASSERT_EQ(run("db", " --units acc --db"), 0);
  const Rows models = fieldsOf(dir.read("db-m.csv"));
  EXPECT_EQ(models[0], (std::vector<std::string>{"f[Hz]", "nlnm[dB re 1 (m/s^2)^2/Hz]",
                                                 "nhnm[dB re 1 (m/s^2)^2/Hz]"}));
  ASSERT_EQ(std::stod(models[60][0]), 1);  // the line of 1 Hz, a period of 1 s
  EXPECT_NEAR(std::stod(models[60][1]), -166.4, 1e-9);
}

// The campaign of the two records: every line's velocity density is 270 (channel 1) and 30 or
// 120 (channel 2, records A and B), so every bin's are too, whatever lines it holds; the
// acceleration ASD with the period axis; "as recorded" as the default, byte for byte.
TEST_F(UnitTablesTest, CampaignTablesOfConvertedLinesInVelocityAndAcceleration) {
  const std::string files =
      (dir.path() / "11111111.csvz").string() + " " + (dir.path() / "22222222.csvz").string();
  const auto campaign = [&](const std::string& tag, const std::string& units) {
    std::string errors;
    return tools_testing::runAnalyze(
        dir, "--no-cache --campaign " + (dir.path() / tag).string() + units + " " + files, errors);
  };
  ASSERT_EQ(campaign("vel", " --units vel --period"), 0);
  const std::string unit = "[(mum/s)^2/Hz]";
  const Rows percentiles = fieldsOf(dir.read("vel-percentiles.csv"));
  EXPECT_EQ(percentiles[0], (std::vector<std::string>{
                                "f_low[Hz]", "f_high[Hz]", "f_centre[Hz]", "period[s]", "n1",
                                "p5_1" + unit, "p50_1" + unit, "p95_1" + unit, "mean1" + unit, "n2",
                                "p5_2" + unit, "p50_2" + unit, "p95_2" + unit, "mean2" + unit}));
  ASSERT_GT(percentiles.size(), 50u);
  for (std::size_t row = 1; row < percentiles.size(); ++row) {
    SCOPED_TRACE(row);
    const auto& r = percentiles[row];
    EXPECT_DOUBLE_EQ(std::stod(r[3]), 1 / std::stod(r[2]));
    // Channel 2: 30 and 120, p5 = 30 + 0.05 x 90, the median and mean 75, p95 = 115.5.
    const double expected[] = {270, 270, 270, 270, 34.5, 75, 115.5, 75};
    for (std::size_t i = 0; i < 8; ++i) {
      EXPECT_NEAR(std::stod(r[i < 4 ? 5 + i : 6 + i]) / expected[i], 1, 1e-6) << i;
    }
  }
  const Rows density = fieldsOf(dir.read("vel-density.csv"));
  EXPECT_EQ(density[0],
            (std::vector<std::string>{"f_centre[Hz]", "period[s]", "db[dB re 1 (m/s)^2/Hz]",
                                      "fraction1", "fraction2"}));
  // Cells floor(10 log10(D 1e-12)): 270 in -96, 30 in -106, 120 in -100.
  EXPECT_EQ(density.size(), 3 * (percentiles.size() - 1) + 1);
  for (std::size_t row = 1; row + 2 < density.size(); row += 3) {
    EXPECT_EQ((std::vector<std::string>(density[row].begin() + 2, density[row].end())),
              (std::vector<std::string>{"-106", "0", "0.5"}));
    EXPECT_EQ(density[row + 1][2] + "," + density[row + 1][4], "-100,0.5");
    EXPECT_EQ(density[row + 2][2] + "," + density[row + 2][3], "-96,1");
  }

  ASSERT_EQ(campaign("acc", " --units acc --asd"), 0);
  const Rows amplitude = fieldsOf(dir.read("acc-percentiles.csv"));
  EXPECT_EQ(amplitude[0][5], "p50_1[mum/s^2/√Hz]");
  for (std::size_t row = 1; row < amplitude.size(); row += 20) {
    // sqrt(270 w^2) within the bin's lines: between its edges' values.
    const double low = 6.28318 * std::stod(amplitude[row][0]);
    const double high = 6.28318 * std::stod(amplitude[row][1]);
    const double p50 = std::stod(amplitude[row][5]);
    EXPECT_GE(p50, std::sqrt(270 * low * low) * (1 - 1e-7)) << row;
    EXPECT_LT(p50, std::sqrt(270 * high * high)) << row;
  }

  ASSERT_EQ(campaign("default", ""), 0);
  ASSERT_EQ(campaign("recorded", " --units recorded"), 0);
  for (const char* table : {"-percentiles.csv", "-density.csv", "-bins.csv"}) {
    EXPECT_EQ(dir.read(std::string("recorded") + table), dir.read(std::string("default") + table));
  }
  EXPECT_EQ(dir.read("default-density.csv").substr(0, 32), "f_centre,db,fraction1,fraction2\n");
}

TEST_F(UnitTablesTest, AFormWithoutAQuantityIsRefused) {
  std::string errors;
  for (const char* option : {"--asd", "--db", "--period"}) {
    EXPECT_EQ(tools_testing::runAnalyze(
                  dir, std::string(option) + " " + (dir.path() / "11111111.csvz").string(), errors),
              2);
    EXPECT_NE(errors.find(option), std::string::npos) << errors;
  }
}

}  // namespace
}  // namespace tools
