// What psd-analyze writes for the published reference curves: the noise-model and
// third-octave files, checked against figures computed here, and the verdict it prints.
#include "tools/reference_curve_outputs.h"

#include <gtest/gtest.h>

#include <cmath>
#include <cstdio>
#include <sstream>
#include <string>
#include <vector>

#include "analysis/record/file_analysis.h"
#include "analysis/standards/noise_models.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace tools {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

// Channel 1: velocity amplitude sqrt(2) x 9.81 mum/s at 12.5 Hz (line 750 of a 60 s record), so
// that its band reads 9.81 mum/s; channel 2: 0.1 mum/s on every line.
Coefficients toneAndFloor(int k) {
  return {k == 750 ? 9.81 * std::sqrt(2.0) : 0, 0, 0.1, 0};
}

std::vector<std::vector<double>> rowsOf(const std::string& csv, std::string& header) {
  std::vector<std::vector<double>> rows;
  std::istringstream in(csv);
  std::string line;
  std::getline(in, header);
  while (std::getline(in, line)) {
    EXPECT_EQ(line.back(), '\r');
    std::vector<double> row;
    std::istringstream fields(line);
    std::string field;
    while (std::getline(fields, field, ',')) row.push_back(std::stod(field));
    rows.push_back(row);
  }
  return rows;
}

class ReferenceCurveOutputsTest : public ::testing::Test {
 protected:
  void SetUp() override {
    dir.write("11111111.csvz", spectrumText(1501, 60, toneAndFloor));
    ASSERT_EQ(analysis.analyzeFile(state, dir.path(), "11111111.csvz", {}).kind,
              analysis::FileKind::Measurement);
    ASSERT_EQ(state.nPlot, 1200);  // lines 1 .. 1199 drawn, up to 19.98 Hz
  }

  testing_support::TempDir dir;
  analysis::AnalysisState state;
  analysis::FileAnalysis analysis;
};

TEST_F(ReferenceCurveOutputsTest, NoiseModelsAtTheLinesDrawnUpToTenHertz) {
  std::string header;
  const auto rows = rowsOf(noiseModelsCsv(state), header);
  EXPECT_EQ(header, "f,nlnm,nhnm\r");
  ASSERT_EQ(rows.size(), 600u);  // lines 1 .. 600: 1/60 .. 10 Hz
  for (std::size_t i = 0; i < rows.size(); ++i) {
    ASSERT_EQ(rows[i].size(), 3u);
    EXPECT_EQ(rows[i][0], static_cast<double>(i + 1) / 60);  // read back exactly
    EXPECT_EQ(rows[i][1], *analysis::noiseModelPsd(analysis::NoiseModel::Low, rows[i][0]));
    EXPECT_EQ(rows[i][2], *analysis::noiseModelPsd(analysis::NoiseModel::High, rows[i][0]));
  }
  EXPECT_EQ(rows.back()[0], 10.0);
}

TEST_F(ReferenceCurveOutputsTest, BandsWithExactCentresEdgesAndVelocities) {
  const analysis::ShownBandVelocities bands = analysis::shownBandVelocities(state);
  std::string header;
  const auto rows = rowsOf(thirdOctaveCsv(bands), header);
  EXPECT_EQ(header, "f_centre,f_low,f_high,v1,v2\r");
  ASSERT_FALSE(rows.empty());
  EXPECT_EQ(rows.back()[0], std::pow(10.0, 1.2));  // 16 Hz: the last band below 19.98 Hz
  bool sawTone = false;
  for (const auto& row : rows) {
    ASSERT_EQ(row.size(), 5u);
    const double m = std::round(10 * std::log10(row[0]));
    EXPECT_EQ(row[0], std::pow(10.0, m / 10));  // the exact centre, not the nominal one
    EXPECT_NEAR(row[1] / (row[0] * std::pow(10.0, -0.05)), 1, 1e-14);
    EXPECT_NEAR(row[2] / (row[0] * std::pow(10.0, 0.05)), 1, 1e-14);
    // Channel 2: 0.1 mum/s on each line of the band: sqrt(n x 0.01 / 2).
    int lines = 0;
    for (int k = 1; k < 1200; ++k) lines += k / 60.0 >= row[1] && k / 60.0 < row[2];
    EXPECT_NEAR(row[4], std::sqrt(lines * 0.01 / 2), 1e-12) << row[0];
    if (m == 11) {
      sawTone = true;
      EXPECT_NEAR(row[3], 9.81, 1e-6);
    } else {
      EXPECT_EQ(row[3], 0);
    }
  }
  EXPECT_TRUE(sawTone);
  // Channel 2's widest band, 16 Hz (lines 848 .. 1066), holds 219 lines: sqrt(219 x 0.005).
  EXPECT_EQ(criteriaVerdictLine(bands),
            "channel 1: VC-C (limit 12.5 Hz: 9.81 of 12.5 mum/s, partly covered)   "
            "channel 2: VC-F (limit 16 Hz: 1.05 of 1.56 mum/s, partly covered)");
}

TEST_F(ReferenceCurveOutputsTest, FilesAreWrittenOnlyWhenAskedAndFailuresNamed) {
  std::ostringstream out, err;
  EXPECT_TRUE(writeReferenceCurveOutputs(state, {}, out, err));
  EXPECT_TRUE(out.str().empty());

  const ReferenceCurveOutputs both{(dir.path() / "nm.csv").string(),
                                   (dir.path() / "to.csv").string()};
  ASSERT_TRUE(writeReferenceCurveOutputs(state, both, out, err)) << err.str();
  EXPECT_EQ(dir.read("nm.csv"), noiseModelsCsv(state));
  EXPECT_EQ(dir.read("to.csv"), thirdOctaveCsv(analysis::shownBandVelocities(state)));
  EXPECT_EQ(out.str(), criteriaVerdictLine(analysis::shownBandVelocities(state)) + "\n");

  const std::string unwritable = (dir.path() / "missing" / "to.csv").string();
  std::ostringstream out2, err2;
  EXPECT_FALSE(writeReferenceCurveOutputs(state, {"", unwritable}, out2, err2));
  EXPECT_NE(err2.str().find(unwritable), std::string::npos);
  EXPECT_TRUE(out2.str().empty());  // no verdict without its file
}

// The program: the verdict on standard output, of the average with --average.
TEST_F(ReferenceCurveOutputsTest, PsdAnalyzePrintsTheVerdictOfTheLastFileOrTheAverage) {
  dir.write("22222222.csvz", spectrumText(1501, 60, [](int) { return Coefficients{}; }));
  const auto run = [this](const std::string& arguments) {
    const std::string command = std::string(PSD_ANALYZE) + " --third-octave-csv " +
                                (dir.path() / "to.csv").string() + " " + arguments + " 2>/dev/null";
    FILE* pipe = popen(command.c_str(), "r");
    std::string output;
    if (!pipe) return output;
    char buffer[4096];
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    EXPECT_EQ(pclose(pipe), 0) << command;
    return output;
  };
  const std::string a = (dir.path() / "11111111.csvz").string();
  const std::string b = (dir.path() / "22222222.csvz").string();
  EXPECT_EQ(run(b + " " + a),
            "channel 1: VC-C (limit 12.5 Hz: 9.81 of 12.5 mum/s, partly covered)   "
            "channel 2: VC-F (limit 16 Hz: 1.05 of 1.56 mum/s, partly covered)\n");
  // Averaged with a silent record, every band's mean square halves: 9.81 / sqrt 2 = 6.94 and
  // sqrt(219 x 0.005 / 2) = 0.74.
  EXPECT_EQ(run("--average " + a + " " + b),
            "channel 1: VC-C (limit 12.5 Hz: 6.94 of 12.5 mum/s, partly covered)   "
            "channel 2: VC-G (limit 16 Hz: 0.74 of 0.78 mum/s, partly covered)\n");
  EXPECT_EQ(run(b), "channel 1: no signal   channel 2: no signal\n");
}

}  // namespace
}  // namespace tools
