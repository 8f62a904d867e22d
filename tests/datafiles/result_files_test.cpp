#include <gtest/gtest.h>

#include <cmath>
#include <filesystem>
#include <limits>
#include <vector>

#include "datafiles/average_file.h"
#include "datafiles/back_transformation_file.h"
#include "datafiles/line_count.h"
#include "datafiles/text_file.h"
#include "tests/support/temp_dir.h"

namespace datafiles {
namespace {

struct Sums {
  std::vector<double> freq = std::vector<double>(65537);
  std::vector<double> psd1 = freq, psd2 = freq, coh = freq;
};

TEST(AverageWriter, WritesTheExactLayout) {
  Sums s;
  s.freq[1] = 0.5;
  s.psd1[1] = 2;
  s.psd2[1] = 3e-10;
  s.coh[1] = 1;
  s.freq[2] = 1;
  s.psd1[2] = 4e20;
  s.psd2[2] = 0;
  s.coh[2] = -0.5;
  const AverageFileContents contents{2, "a.csvz", "b.csvz", 4, s.freq, s.psd1, s.psd2, s.coh};
  EXPECT_EQ(formatAverageFile(contents),
            "2,\"average for 2 files from a.csvz to b.csvz\"\r\n"
            "\"f\",\"psd1(mum^2/Hz)\",\"psd2(mum^2/Hz)\",\"coherence\"\r\n"
            "0.5,1,1.5E-10,0.5\r\n"
            "1,2E+20,0,-0.25\r\n");
}

TEST(AverageWriter, AnAverageOfNothingHasNoRows) {
  Sums s;
  const AverageFileContents contents{0, "", "12345678.csvz", 3000, s.freq, s.psd1, s.psd2, s.coh};
  EXPECT_EQ(formatAverageFile(contents),
            "0,\"average for 0 files from  to 12345678.csvz\"\r\n"
            "\"f\",\"psd1(mum^2/Hz)\",\"psd2(mum^2/Hz)\",\"coherence\"\r\n");
}

TEST(AverageWriter, ReadsBackExactlyWithTheSameSampleCount) {
  for (const int n : {3000, 12000, 32768, 131072, 6000}) {
    Sums s;
    for (int i = 1; i <= n / 2; ++i) {
      s.freq[i] = i / 60.0;
      s.psd1[i] = 7.0 / (i * 3.0);
      s.psd2[i] = 1e-12 * i;
      s.coh[i] = std::sin(i);
    }
    const std::string text =
        formatAverageFile({7, "first", "last", n, s.freq, s.psd1, s.psd2, s.coh});
    const std::int32_t back =
        normaliseSampleCount(2 * static_cast<std::int64_t>(countLinesAfterFirst(text)));
    EXPECT_EQ(back, n == 6000 ? n + 2 : n);
    AverageRecords records;
    ASSERT_FALSE(readAverage(text, records));
    EXPECT_EQ(records.weight, 7);
    ASSERT_EQ(records.count, static_cast<std::size_t>(n / 2));
    for (int i = 1; i <= n / 2; ++i) {
      ASSERT_EQ(records.freq[i], s.freq[i]);
      ASSERT_EQ(records.psd1[i], s.psd1[i] / 7);
      ASSERT_EQ(records.psd2[i], s.psd2[i] / 7);
      ASSERT_EQ(records.coh[i], s.coh[i] / 7);
    }
  }
}

TEST(AverageWriter, ControlCharactersInFileNamesKeepTheTitleOnItsLine) {
  Sums s;
  s.freq[1] = 0.5;
  s.psd1[1] = 2;
  const std::string text = formatAverageFile(
      {1, "2612\r\n0801.csvz", "26120802\t.csvz", 4, s.freq, s.psd1, s.psd2, s.coh});
  EXPECT_EQ(text.substr(0, text.find("\r\n")),
            "1,\"average for 1 files from 2612??0801.csvz to 26120802?.csvz\"");
  AverageRecords records;
  ASSERT_FALSE(readAverage(text, records));
  EXPECT_EQ(records.weight, 1);
  ASSERT_EQ(records.count, 2u);
  EXPECT_EQ(records.psd1[1], 2);
  EXPECT_EQ(normaliseSampleCount(2 * static_cast<std::int64_t>(countLinesAfterFirst(text))), 6);
}

TEST(BackTransformationWriter, HeaderAndPositionsZeroToN) {
  const std::vector<double> t1{0, 0.5, -1.25, 2}, t2{0, 1e-7, 3, 4};
  EXPECT_EQ(formatBackTransformationFile(t1, t2, 3),
            "\"rft1\",\"rft2\"\r\n0,0\r\n0.5,1E-07\r\n-1.25,3\r\n2,4\r\n");
}

TEST(BackTransformationWriter, TheWrittenFileIsTheFormattedTextForShortAndLongRecords) {
  testing_support::TempDir dir;
  for (const std::size_t n : {0, 3, 3000, 131072}) {
    SCOPED_TRACE(n);
    std::vector<double> t1(n + 1), t2(n + 1);
    for (std::size_t i = 0; i <= n; ++i) {
      t1[i] = std::sin(0.01 * static_cast<double>(i)) * 1e-3;
      t2[i] = -1e20 / static_cast<double>(i + 1);
    }
    const auto path = dir.path() / "backtransformation.csv";
    ASSERT_FALSE(writeBackTransformationFile(path, t1, t2, n));
    EXPECT_TRUE(dir.read("backtransformation.csv") == formatBackTransformationFile(t1, t2, n));
  }
}

TEST(BackTransformationWriter, TracesThatAreNotFiniteAreRefusedAndNothingIsWritten) {
  testing_support::TempDir dir;
  const auto target = dir.write("backtransformation.csv", "earlier result");
  for (const double bad :
       {std::numeric_limits<double>::infinity(), std::numeric_limits<double>::quiet_NaN()}) {
    const std::vector<double> t1{0, 0.5, -1.25, 2}, t2{0, 1e-7, bad, 4};
    const auto failure = writeBackTransformationFile(target, t1, t2, 3);
    ASSERT_TRUE(failure);
    EXPECT_EQ(*failure, "not written: position 2 of trace 2 is not a finite number");
    EXPECT_EQ(dir.read("backtransformation.csv"), "earlier result");
  }
}

TEST(SafeWrite, AFailedWriteLeavesTheOldFileAndNoLeftovers) {
  testing_support::TempDir dir;
  const auto target = dir.write("av.csv", "old contents");
  ASSERT_FALSE(writeFileAtomically(target, "new contents"));
  EXPECT_EQ(dir.read("av.csv"), "new contents");

  const auto missing = dir.path() / "no such directory" / "av.csv";
  const auto failure = writeFileAtomically(missing, "x");
  ASSERT_TRUE(failure);
  EXPECT_NE(failure->find("cannot be written"), std::string::npos);
  EXPECT_EQ(std::distance(std::filesystem::directory_iterator(dir.path()),
                          std::filesystem::directory_iterator()),
            1);
}

TEST(SafeWrite, AWriteProtectedFileIsNotReplaced) {
  testing_support::TempDir dir;
  const auto target = dir.write("av.csv", "protected");
  std::filesystem::permissions(target, std::filesystem::perms::owner_read);
  const auto failure = writeFileAtomically(target, "new");
  ASSERT_TRUE(failure);
  EXPECT_EQ(*failure, "is write-protected");
  EXPECT_EQ(dir.read("av.csv"), "protected");
}

TEST(WholeFileRead, ReportsMissingFilesAndDirectories) {
  testing_support::TempDir dir;
  std::string contents;
  auto failure = readWholeFile(dir.path() / "missing.csvz", contents);
  ASSERT_TRUE(failure);
  EXPECT_EQ(*failure, "cannot be opened (No such file or directory)");
  failure = readWholeFile(dir.path(), contents);
  ASSERT_TRUE(failure);
  EXPECT_EQ(*failure, "is a directory, not a file");
}

}  // namespace
}  // namespace datafiles
