// psd-analyze's two-sensor tables, written by the program for two records with known answers.
// (Its options are checked with the others in command_line_test.cpp.)
#include "tools/two_sensor_outputs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/record/psd_estimator.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/tools/run_analyze.h"

namespace tools {
namespace {

std::vector<std::vector<std::string>> fieldsOf(const std::string& csv) {
  std::vector<std::vector<std::string>> rows;
  std::istringstream lines(csv);
  for (std::string line; std::getline(lines, line);) {
    rows.emplace_back();
    std::istringstream fields(line + ',');
    for (std::string field; std::getline(fields, field, ',');) rows.back().push_back(field);
  }
  return rows;
}

// Record A: c1 = 3, c2 = 1; record B: c1 = 3i, c2 = 2i on every line. Pooled: S11 = 18,
// S22 = 5, S12 = 3 + 6 = 9, sum |c1 - c2|^2 = 4 + 1 = 5. So R = 10 / 23, H(1 -> 2) = 1/2 at
// 0 degrees, msc = 81 / 90, N1 = (18 - 9) / 2 T / w^2 and N2 = (5 - 9) / 2 < 0 (empty field).
void writeKnownRecords(const testing_support::TempDir& dir) {
  using analysis_testing::Coefficients;
  dir.write("11111111.csvz", analysis_testing::spectrumText(1501, 60, [](int) {
              return Coefficients{3, 0, 1, 0};
            }));
  dir.write("22222222.csvz", analysis_testing::spectrumText(1501, 60, [](int) {
              return Coefficients{0, 3, 0, 2};
            }));
}

TEST(TwoSensorOutputs, TheProgramWritesTheTablesOfKnownRecords) {
  testing_support::TempDir dir;
  writeKnownRecords(dir);
  const std::string files =
      " " + (dir.path() / "11111111.csvz").string() + " " + (dir.path() / "22222222.csvz").string();
  const auto run = [&](const std::string& options) {
    const std::string tables = " --relative-csv " + (dir.path() / "r.csv").string() +
                               " --transfer-csv " + (dir.path() / "t.csv").string() +
                               " --self-noise-csv " + (dir.path() / "n.csv").string();
    const int status =
        std::system((std::string(PSD_ANALYZE) + options + tables + files + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  ASSERT_EQ(run(" --average"), 0);
  const auto relative = fieldsOf(dir.read("r.csv")), transfer = fieldsOf(dir.read("t.csv"));
  const auto noise = fieldsOf(dir.read("n.csv"));
  ASSERT_EQ(relative.size(), 1501u);
  EXPECT_EQ(relative[0], (std::vector<std::string>{"line", "freq", "psd_rel", "rms_rel", "ratio"}));
  EXPECT_EQ(noise[0], (std::vector<std::string>{"line", "freq", "n1", "n2"}));
  for (std::size_t q : {1u, 600u, 1500u}) {
    const double perW2 = 60 / std::pow(analysis::kTwoPi * q / 60.0, 2);
    EXPECT_EQ(std::stoul(relative[q][0]), q);
    EXPECT_DOUBLE_EQ(std::stod(relative[q][2]), 5.0 / 2 * perW2);
    EXPECT_DOUBLE_EQ(std::stod(relative[q][4]), 10.0 / 23);
    EXPECT_DOUBLE_EQ(std::stod(transfer[q][2]), 0.5);
    EXPECT_EQ(std::stod(transfer[q][3]), 0);
    EXPECT_DOUBLE_EQ(std::stod(transfer[q][4]), 81.0 / 90);
    EXPECT_DOUBLE_EQ(std::stod(transfer[q][5]), 0.95);
    EXPECT_DOUBLE_EQ(std::stod(noise[q][2]), 9.0 / 2 * perW2);
    EXPECT_EQ(noise[q][3], "");
  }
  EXPECT_EQ(dir.read("t.csv").find('\r'), std::string::npos);

  // Without --average the last file alone: |3i - 2i|^2 = 1, and no self-noise of one record.
  std::filesystem::remove(dir.path() / "n.csv");
  EXPECT_EQ(run(""), 1);
  EXPECT_DOUBLE_EQ(std::stod(fieldsOf(dir.read("r.csv"))[600][4]), 2.0 / 13);
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "n.csv"));
}

// One-channel records (c1 = 5) starting the average and between the two records: the tables
// are the two records' alone, and standard error names each one-channel record once.
TEST(TwoSensorOutputs, OneChannelRecordsStayOutOfEveryTable) {
  testing_support::TempDir dir;
  writeKnownRecords(dir);
  for (const char* name : {"33333333.csvz", "44444444.csvz"}) {
    dir.write(name, analysis_testing::spectrumText(
                        1501, 60,
                        [](int) {
                          return analysis_testing::Coefficients{5, 0, 0, 0};
                        },
                        false));
  }
  const auto path = [&dir](const char* name) { return " " + (dir.path() / name).string(); };
  std::string arguments = "--average --relative-csv" + path("r.csv") + " --transfer-csv" +
                          path("t.csv") + " --self-noise-csv" + path("n.csv");
  for (const char* name : {"33333333.csvz", "11111111.csvz", "44444444.csvz", "22222222.csvz"}) {
    arguments += path(name);
  }
  std::string errors;
  ASSERT_EQ(tools_testing::runAnalyze(dir, arguments, errors), 0) << errors;
  const auto relative = fieldsOf(dir.read("r.csv")), transfer = fieldsOf(dir.read("t.csv"));
  const auto noise = fieldsOf(dir.read("n.csv"));
  ASSERT_EQ(relative.size(), 1501u);
  const double perW2 = 60 / std::pow(analysis::kTwoPi * 600 / 60.0, 2);
  EXPECT_DOUBLE_EQ(std::stod(relative[600][2]), 5.0 / 2 * perW2);
  EXPECT_DOUBLE_EQ(std::stod(relative[600][4]), 10.0 / 23);
  EXPECT_DOUBLE_EQ(std::stod(transfer[600][2]), 0.5);
  EXPECT_DOUBLE_EQ(std::stod(transfer[600][4]), 81.0 / 90);
  EXPECT_DOUBLE_EQ(std::stod(transfer[600][5]), 0.95);
  EXPECT_DOUBLE_EQ(std::stod(noise[600][2]), 9.0 / 2 * perW2);
  EXPECT_EQ(noise[600][3], "");
  for (const char* name : {"33333333.csvz", "44444444.csvz"}) {
    const std::string said = std::string("psd-analyze: ") + name +
                             ": one channel: in the channel-1 average, not in the two-sensor sums";
    EXPECT_NE(errors.find(said), std::string::npos) << errors;
    EXPECT_EQ(errors.find(said), errors.rfind(said)) << errors;
  }
  EXPECT_EQ(errors.find("11111111.csvz: one channel"), std::string::npos);
}

}  // namespace
}  // namespace tools
