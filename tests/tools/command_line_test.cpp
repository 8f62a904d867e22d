// psd-analyze's command line: every option reaches the run as it always did, and help, version
// and mistakes end the program with the documented exit status and text.
#include "tools/analyze_command_line.h"

#include <gtest/gtest.h>

#include <algorithm>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <initializer_list>
#include <sstream>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/tools/run_analyze.h"

namespace tools {
namespace {

struct Parsed {
  std::optional<int> status;
  AnalyzeOptions options;
  std::string out, err;
};

Parsed parse(std::initializer_list<const char*> arguments) {
  std::vector<const char*> argv{"psd-analyze"};
  argv.insert(argv.end(), arguments);
  Parsed p;
  std::ostringstream out, err;
  p.status = parseCommandLine(static_cast<int>(argv.size()), argv.data(), p.options, out, err);
  p.out = out.str();
  p.err = err.str();
  return p;
}

TEST(CommandLine, EveryOptionReachesTheRunAsBefore) {
  const Parsed p = parse({"a.csvz",
                          "--average",
                          "--coherence",
                          "imag",
                          "--cal1",
                          "--cal2",
                          "--no-dc-offset",
                          "b.csvz",
                          "--save-average",
                          "av.csv",
                          "--first-name",
                          "first.csvz",
                          "--csv",
                          "s.csv",
                          "--raw-csv",
                          "r.csv",
                          "--back-transform",
                          "0.5",
                          "2Hz",
                          "--velocity",
                          "--bt-csv",
                          "bt.csv",
                          "--noise-models-csv",
                          "nm.csv",
                          "--third-octave-csv",
                          "to.csv",
                          "c.csvz"});
  ASSERT_FALSE(p.status) << p.err;
  const AnalyzeOptions& o = p.options;
  EXPECT_TRUE(o.average);
  EXPECT_FALSE(o.settings.coherence.real);
  EXPECT_TRUE(o.settings.coherence.imaginary);
  EXPECT_FALSE(o.settings.coherence.magnitude);
  EXPECT_TRUE(o.settings.raw.cal1);
  EXPECT_TRUE(o.settings.raw.cal2);
  EXPECT_FALSE(o.settings.raw.subtractDcOffset);
  EXPECT_EQ(o.saveAverage, "av.csv");
  EXPECT_EQ(o.firstName, "first.csvz");
  EXPECT_EQ(o.csv, "s.csv");
  EXPECT_EQ(o.rawCsv, "r.csv");
  EXPECT_TRUE(o.backTransform);
  EXPECT_EQ(o.band.fLow, 0.5);
  EXPECT_EQ(o.band.fHigh, 2.0);  // the number at the start of the text, as the boxes read it
  EXPECT_FALSE(o.band.displacement);
  EXPECT_EQ(o.backTransformCsv, "bt.csv");
  EXPECT_EQ(o.referenceCurves.noiseModelsCsv, "nm.csv");
  EXPECT_EQ(o.referenceCurves.thirdOctaveCsv, "to.csv");
  ASSERT_EQ(o.files.size(), 3u);  // files among the options keep their order
  EXPECT_EQ(o.files[0], "a.csvz");
  EXPECT_EQ(o.files[1], "b.csvz");
  EXPECT_EQ(o.files[2], "c.csvz");
}

TEST(CommandLine, DefaultsAndRepeatedOptions) {
  const Parsed plain = parse({"a.csvz"});
  ASSERT_FALSE(plain.status);
  EXPECT_FALSE(plain.options.average);
  EXPECT_TRUE(plain.options.settings.coherence.real);
  EXPECT_TRUE(plain.options.settings.raw.subtractDcOffset);
  EXPECT_FALSE(plain.options.backTransform);
  EXPECT_TRUE(plain.options.band.displacement);
  EXPECT_TRUE(plain.options.referenceCurves.noiseModelsCsv.empty());
  EXPECT_TRUE(plain.options.referenceCurves.thirdOctaveCsv.empty());

  for (const char* which : {"real", "imag", "abs"}) {
    const Parsed p = parse({"--coherence", which, "a.csvz"});
    ASSERT_FALSE(p.status) << which;
    const auto& c = p.options.settings.coherence;
    EXPECT_EQ(c.real, std::string(which) == "real");
    EXPECT_EQ(c.imaginary, std::string(which) == "imag");
    EXPECT_EQ(c.magnitude, std::string(which) == "abs");
  }

  // An option given twice keeps its last value.
  const Parsed twice = parse({"--csv", "one.csv", "--back-transform", "1", "2", "a.csvz", "--csv",
                              "two.csv", "--back-transform", "3", "-4", "--bt-csv", "bt.csv"});
  ASSERT_FALSE(twice.status) << twice.err;
  EXPECT_EQ(twice.options.csv, "two.csv");
  EXPECT_EQ(twice.options.band.fLow, 3.0);
  EXPECT_EQ(twice.options.band.fHigh, -4.0);
  ASSERT_EQ(twice.options.files.size(), 1u);
}

TEST(CommandLine, CampaignOptions) {
  const Parsed p = parse({"a.csvz", "--campaign", "out/site", "--band", "0.5", "4",
                          "--bins-per-octave", "24", "--threads", "1", "b.csvz"});
  ASSERT_FALSE(p.status) << p.err;
  const CampaignOptions& c = p.options.campaign;
  EXPECT_EQ(c.prefix, "out/site");
  EXPECT_EQ(c.settings.band.fLow, 0.5);
  EXPECT_EQ(c.settings.band.fHigh, 4);
  EXPECT_EQ(c.settings.binsPerOctave, 24);
  EXPECT_EQ(c.threads, 1u);
  ASSERT_EQ(p.options.files.size(), 2u);
  EXPECT_EQ(p.options.files[1], "b.csvz");

  const Parsed plain = parse({"--campaign", "site", "a.csvz"});
  ASSERT_FALSE(plain.status) << plain.err;
  EXPECT_EQ(plain.options.campaign.settings.band, analysis::RmsBand{});
  EXPECT_EQ(plain.options.campaign.settings.binsPerOctave, 12);
  EXPECT_EQ(plain.options.campaign.threads, 0u);
  EXPECT_TRUE(parse({"a.csvz"}).options.campaign.prefix.empty());  // no campaign
  // The per-file settings do not change a campaign and may stay on the line.
  EXPECT_FALSE(parse({"--campaign", "site", "--coherence", "abs", "a.csvz"}).status);
}

TEST(CommandLine, HelpAndVersionGoToStandardOutputWithStatusZero) {
  const Parsed help = parse({"--help"});
  ASSERT_TRUE(help.status);
  EXPECT_EQ(*help.status, 0);
  EXPECT_TRUE(help.err.empty());
  for (const char* text : {"per-file run:",
                           "averaging:",
                           "outputs:",
                           "back transformation:",
                           "reference curves:",
                           "--average",
                           "--coherence",
                           "--cal1",
                           "--cal2",
                           "--no-dc-offset",
                           "--save-average",
                           "--first-name",
                           "--csv",
                           "--raw-csv",
                           "--back-transform",
                           "--velocity",
                           "--bt-csv",
                           "--noise-models-csv",
                           "--third-octave-csv",
                           "--version",
                           "FILE",
                           "campaign:",
                           "--campaign",
                           "--band",
                           "--bins-per-octave",
                           "--threads"}) {
    EXPECT_NE(help.out.find(text), std::string::npos) << text;
  }

  const Parsed version = parse({"--version"});
  ASSERT_TRUE(version.status);
  EXPECT_EQ(*version.status, 0);
  EXPECT_EQ(version.out, "psd-analyze " + programVersion() + "\n");
  EXPECT_FALSE(programVersion().empty());
}

TEST(CommandLine, MistakesEndWithStatusTwoNamingTheOption) {
  struct Case {
    std::initializer_list<const char*> arguments;
    const char* named;
  };
  const Case cases[] = {
      {{"a.csvz", "--csv"}, "--csv"},
      {{"a.csvz", "--save-average"}, "--save-average"},
      {{"--coherence", "phase", "a.csvz"}, "--coherence"},
      {{"--coherence"}, "--coherence"},
      {{"--back-transform", "1", "--bt-csv", "bt.csv", "a.csvz"}, "--back-transform"},
      {{"--back-transform", "1", "2", "a.csvz"}, "--bt-csv"},
      {{"--bt-csv", "bt.csv", "a.csvz"}, "--back-transform"},
      {{"--back-transform", "1", "2", "--bt-csv", "", "a.csvz"}, "--bt-csv"},
      // Given twice, one of the times with a value missing: not the last two values gathered.
      {{"--back-transform", "1", "2", "--back-transform", "3", "--bt-csv", "bt.csv", "a.csvz"},
       "--back-transform"},
      {{"--back-transform", "1", "--back-transform", "2", "3", "--bt-csv", "bt.csv", "a.csvz"},
       "--back-transform"},
      {{"--campaign", "site", "--band", "1", "2", "--band", "3", "a.csvz"}, "--band"},
      {{"--campaign", "site", "--band", "1", "--band", "2", "3", "a.csvz"}, "--band"},
      {{"--bogus", "a.csvz"}, "--bogus"},
      {{"--velocity", "a.csvz"}, "--velocity"},
      {{"--average"}, "FILE"},
      {{"a.csvz", "--noise-models-csv"}, "--noise-models-csv"},
      {{"a.csvz", "--third-octave-csv"}, "--third-octave-csv"},
      {{"a.csvz", "--campaign"}, "--campaign"},
      {{"--campaign", "", "a.csvz"}, "--campaign"},
      {{"--campaign", "site", "--band", "1", "a.csvz"}, "--band"},
      {{"--campaign", "site", "a.csvz", "--band"}, "--band"},
      {{"--campaign", "site", "--band", "1", "x", "a.csvz"}, "--band"},
      {{"--campaign", "site", "--band", "4", "2", "a.csvz"}, "--band"},
      {{"--campaign", "site", "--band", "-1", "2", "a.csvz"}, "--band"},
      {{"--band", "1", "2", "a.csvz"}, "--campaign"},
      {{"--campaign", "site", "--bins-per-octave", "0", "a.csvz"}, "--bins-per-octave"},
      {{"--campaign", "site", "a.csvz", "--bins-per-octave"}, "--bins-per-octave"},
      {{"--bins-per-octave", "24", "a.csvz"}, "--campaign"},
      {{"--campaign", "site", "--threads", "0", "a.csvz"}, "--threads"},
      {{"--campaign", "site", "--csv", "s.csv", "a.csvz"}, "--campaign"},
      {{"--campaign", "site", "--average", "a.csvz"}, "--campaign"},
      {{"--campaign", "site", "--noise-models-csv", "nm.csv", "a.csvz"}, "--noise-models-csv"},
      {{"--third-octave-csv", "t.csv", "--campaign", "site", "a.csvz"}, "--third-octave-csv"},
      {{"a.csvz", "--relative-csv"}, "--relative-csv"},
      {{"--transfer", "1to2", "a.csvz"}, "--transfer-csv"},
      {{"--transfer-csv", "t.csv", "--transfer", "3to1", "a.csvz"}, "--transfer"},
      {{"--self-noise-csv", "", "a.csvz"}, "--self-noise-csv"},
      {{"--campaign", "site", "--relative-csv", "r.csv", "a.csvz"}, "--relative-csv"},
      {{"--campaign", "site", "--tree", ".", "a.csvz"}, "--tree"},
      {{"--campaign", "site", "--tree", "/nonexistent-tree"}, "--tree"},
      {{"--campaign", "site", "--component", "n", "a.csvz"}, "--tree"},
      {{"--campaign", "site", "--tree", ".", "--component", "x"}, "--component"},
      {{"--campaign", "site", "--no-cache", "--cache", "c.sqlite", "a.csvz"}, "--cache"},
      {{"--campaign", "site"}, "FILE"},
      {{"--report", "r.pdf", "a.csvz"}, "--campaign"},
      {{"--campaign", "site", "--report", "site-files.csv", "a.csvz"}, "--report"},
      {{"--campaign", "site", "--report", ".pdf", "a.csvz"}, "--report"},
  };
  for (const Case& c : cases) {
    Parsed p;
    {
      std::vector<const char*> argv{"psd-analyze"};
      argv.insert(argv.end(), c.arguments);
      std::ostringstream out, err;
      p.status = parseCommandLine(static_cast<int>(argv.size()), argv.data(), p.options, out, err);
      p.err = err.str();
    }
    ASSERT_TRUE(p.status) << c.named;
    EXPECT_EQ(*p.status, 2) << c.named;
    EXPECT_NE(p.err.find(c.named), std::string::npos) << p.err;
    EXPECT_NE(p.err.find("--help"), std::string::npos) << p.err;
  }
}

// The program itself: help on standard output with status 0, a mistake on standard error
// with status 2.
TEST(CommandLine, TheProgramExitsAsItsParserSays) {
  const auto run = [](const std::string& arguments, std::string& output) {
    FILE* pipe = popen((std::string(PSD_ANALYZE) + " " + arguments + " 2>/dev/null").c_str(), "r");
    if (!pipe) return -1;
    char buffer[4096];
    output.clear();
    while (std::size_t n = fread(buffer, 1, sizeof buffer, pipe)) output.append(buffer, n);
    const int status = pclose(pipe);
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  std::string output;
  EXPECT_EQ(run("--help", output), 0);
  EXPECT_NE(output.find("back transformation:"), std::string::npos);
  EXPECT_EQ(run("--csv", output), 2);
  EXPECT_TRUE(output.empty());
}

TEST(CommandLine, TheTwoSensorTables) {
  const TwoSensorOutputs o = parse({"--relative-csv", "r.csv", "--transfer-csv", "t.csv",
                                    "--transfer", "2to1", "--self-noise-csv", "n.csv", "a.csvz"})
                                 .options.twoSensor;
  EXPECT_EQ(o.relativeCsv + o.transferCsv + o.selfNoiseCsv, "r.csvt.csvn.csv");
  EXPECT_EQ(o.direction, analysis::TransferDirection::TwoToOne);
  EXPECT_EQ(parse({"--transfer-csv", "t.csv", "a.csvz"}).options.twoSensor.direction,
            analysis::TransferDirection::OneToTwo);
}

TEST(CommandLine, ThePooledCoherenceTableComesWithTheAverage) {
  const Parsed p = parse({"--average", "a.csvz", "--msc-csv", "msc.csv", "b.csvz"});
  ASSERT_FALSE(p.status) << p.err;
  EXPECT_EQ(p.options.mscCsv, "msc.csv");
  EXPECT_TRUE(parse({"a.csvz"}).options.mscCsv.empty());

  const Parsed alone = parse({"--msc-csv", "msc.csv", "a.csvz", "b.csvz"});
  ASSERT_TRUE(alone.status);
  EXPECT_EQ(*alone.status, 2);
  EXPECT_NE(alone.err.find("--msc-csv requires --average"), std::string::npos) << alone.err;
  const Parsed missing = parse({"--average", "a.csvz", "--msc-csv"});
  ASSERT_TRUE(missing.status);
  EXPECT_NE(missing.err.find("--msc-csv"), std::string::npos) << missing.err;

  const Parsed help = parse({"--help"});
  EXPECT_NE(help.out.find("pooled coherence:"), std::string::npos);
  EXPECT_NE(help.out.find("--msc-csv"), std::string::npos);
}

// Two records of 1501 lines, 11111111 and 22222222: channel 2 equals channel 1 in the first and
// is turned by 90 degrees in the second, so that their pooled gamma^2 is 0.5 wherever there is
// signal.
void writeTurnedPair(const testing_support::TempDir& dir) {
  using analysis_testing::Coefficients;
  dir.write("11111111.csvz", analysis_testing::spectrumText(1501, 60, [](int k) {
              return Coefficients{1.0 * k, 2, 1.0 * k, 2};
            }));
  dir.write("22222222.csvz", analysis_testing::spectrumText(1501, 60, [](int k) {
              return Coefficients{1.0 * k, 2, -2, 1.0 * k};
            }));
}

// The table of two records: channel 2 equals channel 1 in the first and is turned by 90
// degrees in the second, so gamma^2 = |1 - i|^2 / (2 x 2) = 0.5 wherever there is signal; the
// level of two records is 1 - 0.05 = 0.95. A record of other line spacing given after them
// stays out of the table. Fewer than two records write no table.
TEST(CommandLine, TheProgramWritesThePooledCoherenceTable) {
  testing_support::TempDir dir;
  using analysis_testing::Coefficients;
  writeTurnedPair(dir);
  dir.write("33333333.csvz", analysis_testing::spectrumText(16385, 655.36, [](int k) {
              return Coefficients{1.0 * k, 2, 2, -1.0 * k};
            }));
  const std::string a = (dir.path() / "11111111.csvz").string();
  const std::string b = (dir.path() / "22222222.csvz").string();
  const std::string longRecord = (dir.path() / "33333333.csvz").string();
  const std::string table = (dir.path() / "msc.csv").string();
  const auto run = [](const std::string& arguments) {
    const int status =
        std::system((std::string(PSD_ANALYZE) + " " + arguments + " 2>/dev/null").c_str());
    return WIFEXITED(status) ? WEXITSTATUS(status) : -1;
  };
  ASSERT_EQ(run("--average --msc-csv " + table + " " + a + " " + b + " " + longRecord), 0);
  const std::string text = dir.read("msc.csv");
  std::istringstream lines(text);
  std::string line;
  std::getline(lines, line);
  EXPECT_EQ(line, "line,freq,msc,level95\r");
  int rows = 0;
  while (std::getline(lines, line)) {
    ++rows;
    int q = 0;
    double f = 0, msc = 0, level = 0;
    ASSERT_EQ(std::sscanf(line.c_str(), "%d,%lf,%lf,%lf", &q, &f, &msc, &level), 4) << line;
    EXPECT_EQ(q, rows);
    EXPECT_DOUBLE_EQ(f, q / 60.0);
    EXPECT_NEAR(msc, 0.5, 1e-12) << q;
    EXPECT_NEAR(level, 0.95, 1e-12);
  }
  EXPECT_EQ(rows, 1500);

  std::filesystem::remove(table);
  EXPECT_EQ(run("--average --msc-csv " + table + " " + a), 1);
  EXPECT_FALSE(std::filesystem::exists(table));
}

// --average takes each record once and only records of the average's lines: a record of the
// same spacing but another number of lines, and a file given again, are reported and left out
// of the saved average and of the pooled coherence (the two records' 0.5 as above).
TEST(CommandLine, TheAverageLeavesOutOtherLineCountsAndRecordsGivenTwice) {
  testing_support::TempDir dir;
  using analysis_testing::Coefficients;
  writeTurnedPair(dir);
  dir.write("44444444.csvz", analysis_testing::spectrumText(6001, 60, [](int k) {
              return Coefficients{1.0 * k, 2, 2, -1.0 * k};
            }));
  const auto path = [&dir](const char* name) { return (dir.path() / name).string(); };
  std::string errors;
  ASSERT_EQ(tools_testing::runAnalyze(dir,
                                      "--average --msc-csv " + path("msc.csv") +
                                          " --save-average " + path("av.csv") + " " +
                                          path("11111111.csvz") + " " + path("22222222.csvz") +
                                          " " + path("44444444.csvz") + " " + path("11111111.csvz"),
                                      errors),
            0);
  for (const char* message : {"psd-analyze: 44444444.csvz: not averaged: 6001 lines, the "
                              "average's 1501\n",
                              "psd-analyze: 11111111.csvz: already in the average\n"}) {
    EXPECT_NE(errors.find(message), std::string::npos) << errors;
  }
  EXPECT_NE(errors.find("11111111.csvz: measurement, nSamples 3000, nPlot 1200, k 1, kv 2\n"),
            std::string::npos)
      << errors;
  EXPECT_EQ(dir.read("av.csv").substr(0, 2), "2,");
  const std::string msc = dir.read("msc.csv");
  EXPECT_EQ(std::count(msc.begin(), msc.end(), '\n'), 1501);
  int q = 0;
  double f = 0, gamma2 = 0, level = 0;
  const std::size_t last = msc.rfind("\r\n", msc.size() - 3) + 2;
  ASSERT_EQ(std::sscanf(msc.c_str() + last, "%d,%lf,%lf,%lf", &q, &f, &gamma2, &level), 4);
  EXPECT_EQ(q, 1500);
  EXPECT_NEAR(gamma2, 0.5, 1e-12);
  EXPECT_NEAR(level, 0.95, 1e-12);  // two records
}

}  // namespace
}  // namespace tools
