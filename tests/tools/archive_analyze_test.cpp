// psd-analyze on a station archive written by make-samples --mseed (one day at 20 Hz).
#include <gtest/gtest.h>

#include <sqlite3.h>

#include <chrono>
#include <cmath>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <functional>
#include <sstream>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/tools/run_analyze.h"

namespace {

using tools_testing::runAnalyze;

class ArchiveAnalyzeTest : public testing::Test {
 protected:
  static void SetUpTestSuite() {
    archive_ = new testing_support::TempDir;
    const std::string command = std::string(MAKE_SAMPLES) + " --mseed " +
                                (archive_->path() / "sds").string() + " --days 1 --rate 20";
    ASSERT_EQ(std::system(command.c_str()), 0);
  }
  static void TearDownTestSuite() { delete archive_; }

  static std::string sds() { return (archive_->path() / "sds").string(); }
  // Two hours of 60 s segments of both stations, 50 % overlap.
  static std::string span() {
    return "--sds " + sds() +
           " --channels XX.ST1..HHZ,XX.ST2..HHZ --segment 60 --from 2026-04-10T01:00Z --to "
           "2026-04-10T03:00";
  }

  // The numbers of a CSV, row by row, the header left out.
  std::vector<std::vector<double>> table(const std::string& name) const {
    std::vector<std::vector<double>> rows;
    std::istringstream in(dir_.read(name));
    std::string line;
    std::getline(in, line);
    while (std::getline(in, line)) {
      std::vector<double> row;
      std::istringstream fields(line);
      std::string field;
      while (std::getline(fields, field, ',')) row.push_back(std::strtod(field.c_str(), nullptr));
      rows.push_back(row);
    }
    return rows;
  }

  static testing_support::TempDir* archive_;
  testing_support::TempDir dir_;
  std::string errors_;
};

testing_support::TempDir* ArchiveAnalyzeTest::archive_ = nullptr;

// The segments are the records: 2 h of 60 s segments every 30 s are 240 starts, averaged; the
// responses of StationXML and of the pole-zero files beside the archive give the same numbers.
TEST_F(ArchiveAnalyzeTest, SegmentsAreRecordsWithEitherResponseFile) {
  const std::string xml = " --response " + sds() + "/response.xml";
  const std::string pz = " --response XX.ST1..HHZ=" + sds() +
                         "/XX.ST1..HHZ.pz --response XX.ST2..HHZ=" + sds() + "/XX.ST2..HHZ.pz";
  const std::string out = " --average --csv " + (dir_.path() / "xml.csv").string();
  ASSERT_EQ(runAnalyze(dir_, span() + xml + out, errors_), 0) << errors_;
  EXPECT_NE(errors_.find("XX.ST1..HHZ+XX.ST2..HHZ@2026-04-10T01:00:00.000Z: segment"),
            std::string::npos);
  EXPECT_NE(errors_.find("240 segments, 0 left out"), std::string::npos) << errors_;
  EXPECT_NE(errors_.find("kv 240"), std::string::npos);
  ASSERT_EQ(runAnalyze(dir_, span() + pz + " --average --csv " + (dir_.path() / "pz.csv").string(),
                       errors_),
            0)
      << errors_;
  const auto a = table("xml.csv"), b = table("pz.csv");
  ASSERT_EQ(a.size(), 601u);  // lines 0 .. N/2 of 1200 samples
  ASSERT_EQ(b.size(), a.size());
  for (std::size_t q = 0; q < a.size(); ++q) {
    for (std::size_t c : {2, 3}) EXPECT_NEAR(a[q][c], b[q][c], 1e-9 * a[q][c]) << q;
  }
  // The common 7.3 Hz motion of 0.1 mum/s: its lines hold the band's displacement. Channel 2,
  // the broadband sensor, is flat there; the geophone's digital realisation in make-samples is
  // exact only well below the Nyquist frequency (10 Hz here).
  double sum2 = 0;
  for (const auto& row : a) {
    if (row[1] > 7.0 && row[1] < 7.6) sum2 += row[3] / 60 / 2;
  }
  const double rms = 0.1 / std::sqrt(2.0) / (2 * 3.14159265358979 * 7.3);  // mum
  EXPECT_NEAR(std::sqrt(sum2), rms, 0.02 * rms);
}

TEST_F(ArchiveAnalyzeTest, CampaignTakesEverySegmentAsARecord) {
  const std::string prefix = (dir_.path() / "site").string();
  ASSERT_EQ(runAnalyze(dir_, span() + " --response " + sds() + "/response.xml --campaign " + prefix,
                       errors_),
            0)
      << errors_;
  const std::string files = dir_.read("site-files.csv");
  std::size_t rows = 0;
  for (std::size_t at = files.find("XX.ST1..HHZ+XX.ST2..HHZ@"); at != std::string::npos;
       at = files.find("XX.ST1..HHZ+XX.ST2..HHZ@", at + 1)) {
    ++rows;
  }
  EXPECT_EQ(rows, 240u);
  EXPECT_NE(files.find("XX.ST1..HHZ+XX.ST2..HHZ@2026-04-10T02:59:30.000Z"), std::string::npos);
}

// Segments computed several at a time give the tables of one thread, byte for byte, in the
// same order: 240 segments in blocks of 2 and of 7 (the last block part full).
TEST_F(ArchiveAnalyzeTest, CampaignTablesDoNotDependOnThreads) {
  const auto tablesWith = [&](const std::string& threads) {
    const std::string prefix = (dir_.path() / ("t" + threads)).string();
    EXPECT_EQ(runAnalyze(dir_,
                         span() + " --response " + sds() + "/response.xml --no-cache --campaign " +
                             prefix + " --threads " + threads,
                         errors_),
              0)
        << errors_;
    std::string all;
    for (const char* table : {"-files.csv", "-percentiles.csv", "-density.csv", "-bins.csv"}) {
      all += dir_.read("t" + threads + table) + '\n';
    }
    return all;
  };
  const std::string one = tablesWith("1");
  EXPECT_NE(one.find("XX.ST1..HHZ+XX.ST2..HHZ@2026-04-10T02:59:30.000Z"), std::string::npos);
  EXPECT_EQ(tablesWith("2"), one);
  EXPECT_EQ(tablesWith("7"), one);
}

// The campaign cache gives a run the tables of reading the segments, byte for byte, and decodes
// nothing when every segment is current; a day file touched, other response files or an
// implausible row read the segments concerned again.
TEST_F(ArchiveAnalyzeTest, CachedSegmentsGiveTheTablesOfReadingThem) {
  const std::string xml = " --response " + sds() + "/response.xml";
  const std::string pz = " --response XX.ST1..HHZ=" + sds() +
                         "/XX.ST1..HHZ.pz --response XX.ST2..HHZ=" + sds() + "/XX.ST2..HHZ.pz";
  const std::filesystem::path cache = dir_.path() / "segments.sqlite";
  const auto tables = [&](const std::string& responses, const std::string& cacheOption) {
    const std::string prefix = (dir_.path() / "t").string();
    EXPECT_EQ(runAnalyze(dir_, span() + responses + cacheOption + " --campaign " + prefix, errors_),
              0)
        << errors_;
    std::string all;
    for (const char* table : {"-files.csv", "-percentiles.csv", "-density.csv", "-bins.csv"}) {
      all += dir_.read(std::string("t") + table) + '\n';
    }
    return all;
  };
  const std::string readXml = tables(xml, " --no-cache"), readPz = tables(pz, " --no-cache");
  const auto touchDay = [&] {
    const std::filesystem::path day = sds() + "/2026/XX/ST2/HHZ.D/XX.ST2..HHZ.D.2026.100";
    std::filesystem::last_write_time(day,
                                     std::filesystem::last_write_time(day) + std::chrono::hours(1));
  };
  // One row spoilt in a way a file's row may be too.
  const auto spoil = [&](const std::string& change) {
    return [&cache, change] {
      sqlite3* db = nullptr;
      ASSERT_EQ(sqlite3_open(cache.c_str(), &db), SQLITE_OK);
      const std::string sql = "UPDATE readings SET " + change +
                              " WHERE path LIKE '%+XX.ST2..HHZ@2026-04-10T01:00:00.000Z'";
      EXPECT_EQ(sqlite3_exec(db, sql.c_str(), nullptr, nullptr, nullptr), SQLITE_OK);
      EXPECT_EQ(sqlite3_changes(db), 1);
      sqlite3_close(db);
    };
  };
  struct Step {
    std::string what;
    std::function<void()> change;
    const std::string& responses;
    const std::string& expected;
    std::string fromCache;  // the summary's count, or empty: no segment from the cache
  };
  const Step steps[] = {
      {"the first run", [] {}, xml, readXml, ""},
      {"again", [] {}, xml, readXml, "240 of 240 segments from the cache"},
      {"a day file touched", touchDay, xml, readXml, ""},
      {"other response files", [] {}, pz, readPz, ""},
      {"again with them", [] {}, pz, readPz, "240 of 240"},
      {"too few samples", spoil("samples = 10"), pz, readPz, "239 of 240"},
      {"vetoed", spoil("status = 2"), pz, readPz, "239 of 240"},
      {"one channel", spoil("two_channels = 0, binned2 = zeroblob(0)"), pz, readPz, "239 of 240"},
      {"a negative value", spoil("binned1 = X'000000000000F0BF' || substr(binned1, 9)"), pz, readPz,
       "239 of 240"},
  };
  for (const Step& step : steps) {
    step.change();
    EXPECT_TRUE(tables(step.responses, " --cache " + cache.string()) == step.expected) << step.what;
    const std::size_t at = errors_.find("segments from the cache");
    if (step.fromCache.empty()) {
      EXPECT_EQ(at, std::string::npos) << step.what << ": " << errors_;
    } else {
      EXPECT_NE(errors_.find(step.fromCache), std::string::npos) << step.what << ": " << errors_;
    }
    if (step.fromCache.starts_with("240")) {
      EXPECT_NE(errors_.find("archive: 0 files read"), std::string::npos) << errors_;
    }
    if (step.fromCache.starts_with("239")) {
      EXPECT_NE(errors_.find("@2026-04-10T01:00:00.000Z was implausible ("), std::string::npos)
          << step.what << ": " << errors_;
    }
  }
}

// The last hour of the archive, to the end of its data, as an SDS tree and as its day files
// given as miniSEED files: without a cache, with a cold one and a warm one (which reads no
// file), the same tables and the same counts of segments and of segments left out.
TEST_F(ArchiveAnalyzeTest, BothSourcesGiveTheSameTablesWithAndWithoutTheCache) {
  const std::string common =
      " --channels XX.ST1..HHZ,XX.ST2..HHZ --segment 60 --from "
      "2026-04-10T23:00Z --response " +
      sds() + "/response.xml --campaign " + (dir_.path() / "t").string();
  std::string first, counts;
  for (const std::string& source : {"--sds " + sds(), "--mseed " + sds() + "/2026"}) {
    const std::string cache =
        (dir_.path() / (source.starts_with("--sds") ? "sds.sqlite" : "mseed.sqlite")).string();
    for (const std::string& mode :
         {std::string("--no-cache"), "--cache " + cache, "--cache " + cache}) {
      const bool warm = mode.starts_with("--cache") && std::filesystem::exists(cache);
      ASSERT_EQ(runAnalyze(dir_, source + common + " " + mode, errors_), 0) << errors_;
      std::string all;
      for (const char* table : {"-files.csv", "-percentiles.csv", "-density.csv", "-bins.csv"}) {
        all += dir_.read(std::string("t") + table) + '\n';
      }
      const std::size_t at = errors_.find(" segments, ");
      ASSERT_NE(at, std::string::npos) << errors_;
      const std::string runCounts = errors_.substr(at, errors_.find('\n', at) - at);
      if (first.empty()) {
        first = all;
        counts = runCounts;
        EXPECT_EQ(counts, " segments, 0 left out (incomplete)");  // the data end at midnight
      }
      EXPECT_TRUE(all == first) << source << ' ' << mode;
      EXPECT_EQ(runCounts, counts) << source << ' ' << mode;
      EXPECT_EQ(errors_.find("archive: 0 files read, 119 segments") != std::string::npos, warm)
          << source << ' ' << mode << ": " << errors_;
      EXPECT_EQ(errors_.find("119 of 119 segments from the cache") != std::string::npos, warm)
          << source << ' ' << mode << ": " << errors_;
    }
  }
}

struct RefusalCase {
  std::string arguments;  // after the span
  int status;
  std::string message;
};

// Names the case by its arguments in test listings (not by its bytes).
void PrintTo(const RefusalCase& c, std::ostream* os) {
  *os << '"' << c.arguments << '"';
}

class ArchiveRefusal : public ArchiveAnalyzeTest,
                       public testing::WithParamInterface<RefusalCase> {};

TEST_P(ArchiveRefusal, IsReportedWithItsStatus) {
  EXPECT_EQ(runAnalyze(dir_, span() + GetParam().arguments, errors_), GetParam().status);
  EXPECT_NE(errors_.find(GetParam().message), std::string::npos) << errors_;
}

INSTANTIATE_TEST_SUITE_P(
    Table, ArchiveRefusal,
    testing::Values(
        RefusalCase{" --sensitivity XX.ST1..HHZ=1e8", 1, "XX.ST2..HHZ: no instrument response"},
        RefusalCase{" --sensitivity XX.ST1..HHZ=1e8 --sensitivity XX.ST2..HHZ=1e8 --segment 3", 2,
                    "a segment of 3 s at 20 samples/s holds 60 samples, below the limit of 64"},
        RefusalCase{" --sensitivity XX.ST1..HHZ=abc", 2, "the sensitivity is no positive number"}));

}  // namespace
