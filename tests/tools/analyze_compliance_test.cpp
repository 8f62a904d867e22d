// psd-analyze --campaign --compliance: the records' velocities are those --third-octave-csv
// writes for each file, and the criteria tables cover the time selection's records.
#include <gtest/gtest.h>

#include <filesystem>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/campaign/start_time.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/tools/run_analyze.h"

namespace {

using analysis_testing::spectrumText;
using tools_testing::runAnalyze;

std::vector<std::string> linesOf(const std::string& text) {
  std::vector<std::string> lines;
  std::istringstream in(text);
  for (std::string line; std::getline(in, line);) {
    if (!line.empty() && line.back() == '\r') line.pop_back();
    lines.push_back(line);
  }
  return lines;
}

TEST(AnalyzeCompliance, TablesOfTheSelectedRecordsAndTheirThirdOctaveVelocities) {
  testing_support::TempDir dir;
  // Monday 7 and Tuesday 8 December at midnight, Monday 01:00, and a vetoed record; the
  // year is that of the modification time.
  const char* names[] = {"12070000.csvz", "12070100.csvz", "12070130xxx.csvz", "12080000.csvz"};
  std::string files;
  for (int i = 0; i < 4; ++i) {
    const double a = 1e-2 * (i + 1);
    dir.write(names[i], spectrumText(6001, 60, [a](int k) {
                return analysis_testing::Coefficients{a / (1 + k % 3), a, a / 2, -a};
              }));
    std::filesystem::last_write_time(
        dir.path() / names[i],
        analysis::fileTimeOfLocal(*analysis::parseIsoDateTime("2026-12-09T12:00:00")));
    files += " " + (dir.path() / names[i]).string();
  }
  std::string errors;
  ASSERT_EQ(runAnalyze(dir,
                       "--no-cache --compliance --hours 00:00-01:00 --campaign " +
                           (dir.path() / "site").string() + files,
                       errors),
            0)
      << errors;

  // Every used record's rows, selected or not, are the third-octave view's of the file.
  std::string expected = "name,start,channel,f_centre,v\n";
  for (int i : {0, 1, 3}) {
    const std::string csv = (dir.path() / "one.csv").string();
    ASSERT_EQ(runAnalyze(dir, "--third-octave-csv " + csv + " " + (dir.path() / names[i]).string(),
                         errors),
              0)
        << errors;
    const std::string start = std::string("2026-12-0") + names[i][3] + "T0" + names[i][5] + ":" +
                              std::string(names[i] + 6, 2) + ":00";
    const std::vector<std::string> bands = linesOf(dir.read("one.csv"));
    for (int channel : {1, 2}) {
      for (std::size_t b = 1; b < bands.size(); ++b) {
        std::vector<std::string> f;
        std::istringstream fields(bands[b]);
        for (std::string field; std::getline(fields, field, ',');) f.push_back(field);
        expected += std::string(names[i]) + "," + start + "," + std::to_string(channel) + "," +
                    f[0] + "," + f[channel == 1 ? 3 : 4] + "\n";
      }
    }
  }
  EXPECT_EQ(dir.read("site-thirdoct.csv"), expected);

  const std::vector<std::string> levels = linesOf(dir.read("site-levels.csv"));
  ASSERT_GT(levels.size(), 20u);
  EXPECT_EQ(levels[0],
            "f_centre,f_low,f_high,n1,L10_1,L50_1,L90_1,Lmax_1,n2,L10_2,L50_2,L90_2,"
            "Lmax_2");
  EXPECT_NE(levels[1].find(",2,"), std::string::npos) << "two selected records in a band";

  const std::vector<std::string> compliance = linesOf(dir.read("site-compliance.csv"));
  ASSERT_EQ(compliance.size(), 1u + 2 * 11);  // eleven criteria, two channels
  EXPECT_EQ(compliance[0], "criterion,channel,judged,meeting,percent");
  // Record 12070000 meets VC-G (0.25 mum/s at most), 12080000 only VC-F (1.01 mum/s at 63 Hz).
  EXPECT_EQ(compliance[1], "VC-G,1,2,1,50");
  EXPECT_EQ(compliance[3], "VC-F,1,2,2,100");
  EXPECT_EQ(compliance.back(), "workshop,2,2,2,100");

  // Only the hours of the selected records: Monday and Tuesday 0 h, per criterion and channel.
  const std::vector<std::string> hours = linesOf(dir.read("site-compliance-hours.csv"));
  ASSERT_EQ(hours.size(), 1u + 2 * 2 * 11);
  EXPECT_EQ(hours[0], "criterion,channel,weekday,hour,judged,meeting");
  EXPECT_EQ(hours[1], "VC-G,1,mon,0,1,1");
  EXPECT_EQ(hours[2], "VC-G,1,tue,0,1,0");
}

}  // namespace
