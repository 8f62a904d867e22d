#include <gtest/gtest.h>

#include <limits>

#include <string>

#include "datafiles/average_file.h"
#include "datafiles/measurement_file.h"
#include "datafiles/raw_data_file.h"

namespace datafiles {
namespace {

TEST(SpectrumReader, TwoChannelRecordsMayBeSplitOverLines) {
  SpectrumRecords records;
  const auto problem = readSpectrum(
      "\"f\",\"ft1re\",\"ft1im\",\"ft2re\",\"ft2im\"\r\n0,1,2,3,4\r\n0.5,5,6\r\n7,8\r\n", records);
  ASSERT_FALSE(problem) << problem->what;
  EXPECT_TRUE(records.twoChannels);
  ASSERT_EQ(records.count, 2u);
  EXPECT_EQ(records.freq[1], 0.5);
  EXPECT_EQ(records.re1[1], 5.0f);
  EXPECT_EQ(records.im1[1], 6.0f);
  EXPECT_EQ(records.re2[1], 7.0);
  EXPECT_EQ(records.im2[1], 8.0);
}

TEST(SpectrumReader, OneChannelFilesHaveZeroSecondChannel) {
  std::string text = "f,ft1re,ft1im\n";
  for (int k = 0; k <= 1500; ++k) text += std::to_string(k / 60.0) + ",1,1\n";
  SpectrumRecords records;
  records.re2[700] = 9;  // left from an earlier file
  ASSERT_FALSE(readSpectrum(text, records));
  EXPECT_FALSE(records.twoChannels);
  EXPECT_EQ(records.count, 1501u);
  EXPECT_EQ(records.re2[700], 0.0);
  EXPECT_EQ(records.im2[1500], 0.0);
}

TEST(SpectrumReader, ChannelOneIsKeptInSinglePrecision) {
  SpectrumRecords records;
  ASSERT_FALSE(readSpectrum("ft2\r\n0,0.1,0.2,0.1,0.2\r\n", records));
  EXPECT_EQ(records.re1[0], 0.1f);
  EXPECT_EQ(records.re2[0], 0.1);
}

TEST(SpectrumReader, RefusesBrokenFilesNamingTheLine) {
  const struct {
    const char* text;
    std::size_t line;
    const char* what;
  } cases[] = {
      {"ft2\r\n0,1,2,3,4\r\n1,1,2\r\n", 3,
       "the file ends in the middle of the record on this line"},
      {"ft2\r\n0,1,2,3,4\r\n1,1,x,3,4\r\n", 3, "'x' is not a number"},
      {"ft1\r\n0,1,2\r\n\r\n1,1e400,2\r\n", 4, "'1e400' is not a finite number"},
  };
  for (const auto& c : cases) {
    SpectrumRecords records;
    const auto problem = readSpectrum(c.text, records);
    ASSERT_TRUE(problem) << c.text;
    EXPECT_EQ(problem->line, c.line);
    EXPECT_EQ(problem->what, c.what);
    EXPECT_EQ(describe(*problem, "f.csvz"),
              "f.csvz: line " + std::to_string(c.line) + ": " + c.what);
  }
}

// A file still being written can end inside its last field, which reads as a number: it is
// refused as incomplete wherever it is cut, and a whole file (blanks after its last line end
// included) is read.
TEST(SpectrumReader, RefusesAFileThatEndsInsideItsLastLine) {
  const std::string whole = "ft2\r\n0,1,2,3,4\r\n0.5,1,2,3,4.5213\r\n";
  const struct {
    std::string text;
    std::size_t line;  // 0: read whole
  } cases[] = {
      {whole.substr(0, whole.size() - 4), 3},  // "...,4.52"
      {"ft1\n0,1,2\n0.5,1,-0.", 3},
      {"ft1\r0,1,2\r0.5,1,2 \t", 3},
      {whole.substr(0, whole.size() - 9), 3},  // inside a record: "...,3"
      {"ft2\r\n0,1,2,3,4\r\n0", 3},
      {whole, 0},
      {whole + "  \t", 0},
      {"ft1\n0,1,2\n0.5,1,2\r", 0},
  };
  for (const auto& c : cases) {
    SpectrumRecords records;
    const auto problem = readSpectrum(c.text, records);
    if (c.line == 0) {
      EXPECT_FALSE(problem) << c.text;
      EXPECT_EQ(records.count, 2u) << c.text;
      continue;
    }
    ASSERT_TRUE(problem) << c.text;
    EXPECT_EQ(problem->line, c.line) << c.text;
    EXPECT_EQ(problem->what, "the file ends inside its last line") << c.text;
  }
}

TEST(SpectrumReader, ChannelOneBeyondSinglePrecisionIsRefusedChannelTwoIsNot) {
  SpectrumRecords records;
  const auto problem = readSpectrum("ft2\r\n0,1,2,3,4\r\n1,2,-1e39,3,4\r\n", records);
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->line, 3u);
  EXPECT_EQ(problem->what, "'-1e39' is beyond single precision, in which channel 1 is kept");
  // The largest single-precision magnitude itself is kept; channel 2 is double precision.
  ASSERT_FALSE(readSpectrum("ft2\r\n0,3.4028234663852886e38,-3.4028234663852886e38,1e39,1e250\r\n",
                            records));
  EXPECT_EQ(records.re1[0], std::numeric_limits<float>::max());
  EXPECT_EQ(records.im1[0], -std::numeric_limits<float>::max());
  EXPECT_EQ(records.re2[0], 1e39);
  EXPECT_EQ(records.im2[0], 1e250);
}

// The frequency column is what tells a spectrum from other text of numbers (a raw-data file
// reads as records too): it starts at 0 Hz and rises from record to record.
TEST(SpectrumReader, RefusesAFrequencyColumnThatDoesNotStartAtZeroAndRise) {
  const struct {
    const char* text;
    std::size_t line;
    const char* what;
  } cases[] = {
      {"ft1\r\n1,1,2\r\n2,1,2\r\n", 2, "the first frequency is 1 Hz, not 0: not a spectrum file"},
      {"ft1\r\n0,1,2\r\n0.5,1,2\r\n0.5,1,2\r\n", 4,
       "the frequency 0.5 Hz does not rise above the record before (0.5 Hz): not a spectrum file"},
      {"ft2\r\n0,1,2,3,4\r\n1,1,2,3\r\n4 0.5,1,2,3,4\r\n", 4,
       "the frequency 0.5 Hz does not rise above the record before (1 Hz): not a spectrum file"},
      {"\"t\" \"v1\" \"v2\"\r\n0.01 3 4 5 6 7 8 9 10 11 12 13 14 15\r\n", 2,
       "the first frequency is 0.01 Hz, not 0: not a spectrum file"},
  };
  for (const auto& c : cases) {
    SpectrumRecords records;
    const auto problem = readSpectrum(c.text, records);
    ASSERT_TRUE(problem) << c.text;
    EXPECT_EQ(problem->line, c.line) << c.text;
    EXPECT_EQ(problem->what, c.what);
  }
}

TEST(SpectrumReader, RefusesMoreRecordsThanTheArraysHold) {
  std::string text = "f,ft1re,ft1im\r\n";
  text.reserve(kMaxSpectrumRecords * 14);
  for (std::size_t k = 0; k <= kMaxSpectrumRecords; ++k) text += std::to_string(k) + ",2,3\r\n";
  SpectrumRecords records;
  const auto problem = readSpectrum(text, records);
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->line, kMaxSpectrumRecords + 2);
  EXPECT_EQ(records.count, kMaxSpectrumRecords);
}

TEST(SpectrumReader, RecordLinesForMessages) {
  EXPECT_EQ(lineOfSpectrumRecord("ft1\r\n0,1,2\r\n1,\r\n1,2\r\n2,3,4\r\n", 2), 5u);
}

TEST(AverageReader, ReadsCountHeaderAndRows) {
  AverageRecords records;
  const auto problem = readAverage(
      "10,\"average for 10 files from a to b\"\r\n\"f\",\"psd1(mum^2/Hz)\",\"psd2(mum^2/Hz)\","
      "\"coherence\"\r\n0.1,2,3,0.5\r\n0.2,4,5,-0.25\r\n",
      records);
  ASSERT_FALSE(problem) << problem->what;
  EXPECT_EQ(records.weight, 10);
  EXPECT_TRUE(records.fourColumns);
  ASSERT_EQ(records.count, 2u);
  EXPECT_EQ(records.psd2[2], 5.0);
  EXPECT_EQ(records.coh[2], -0.25);
}

TEST(AverageReader, WithoutPsd2TheRowsAreFrequencyAndOnePsd) {
  AverageRecords records;
  ASSERT_FALSE(readAverage("3,\"t\"\r\nf,psd\r\n1,2\r\n3,4\r\n", records));
  EXPECT_EQ(records.count, 2u);
  EXPECT_EQ(records.psd1[2], 4.0);
  EXPECT_EQ(records.psd2[2], 0.0);
  EXPECT_EQ(records.coh[2], 0.0);
}

TEST(AverageReader, RefusesWhatCannotBeAnAverage) {
  const struct {
    const char* text;
    const char* what;
  } cases[] = {
      {"0,\"average for 0 files from  to x\"\r\n\"f\",\"psd1\",\"psd2\",\"coherence\"\r\n",
       "holds no data rows (an average of no spectra)"},
      {"40000,\"t\"\r\nf,psd2\r\n1,2,3,4\r\n",
       "the count of averaged spectra must be a whole number from 0 to 32767"},
      {"2.5,\"t\"\r\nf,psd2\r\n1,2,3,4\r\n",
       "the count of averaged spectra must be a whole number from 0 to 32767"},
      {"-1,\"t\"\r\nf,psd2\r\n1,2,3,4\r\n",
       "the count of averaged spectra must be a whole number from 0 to 32767"},
      {"2,\"t\"\r\nf,psd2\r\n1,-2,3,4\r\n", "a PSD cannot be negative"},
      {"2,\"t\"\r\nf,psd2\r\n1,2,3\r\n", "the file ends in the middle of the row on this line"},
      {"\"f(Hz)\",\"ft1re\"\r\n", "'f(Hz)' is not a number"},
  };
  for (const auto& c : cases) {
    AverageRecords records;
    const auto problem = readAverage(c.text, records);
    ASSERT_TRUE(problem) << c.text;
    EXPECT_EQ(problem->what, c.what);
  }
}

TEST(RawDataReader, TakesTheComponentColumnsUpToTheSampleCount) {
  std::string text = "header line\r\n";
  for (int r = 1; r <= 5; ++r) {
    for (int column = 1; column <= 14; ++column) text += std::to_string(100 * r + column) + " ";
    text += "\r\n";
  }
  RawSamples samples;
  ASSERT_FALSE(readRawData(text, 4, {5, 12}, samples));
  EXPECT_EQ(samples.count, 4u);
  EXPECT_EQ(samples.channel1[1], 105);
  EXPECT_EQ(samples.channel2[4], 412);
}

TEST(RawDataReader, RefusesMoreThan12000SamplesAndBrokenRecords) {
  std::string text = "h\n";
  for (int r = 1; r <= 12001; ++r) text += "1 2 3 4 5 6 7 8 9 10 11 12 13 14\n";
  RawSamples samples;
  auto problem = readRawData(text, 32768, {4, 11}, samples);
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->line, 12002u);
  EXPECT_FALSE(readRawData(text, 12000, {4, 11}, samples));  // only 12000 are wanted

  problem = readRawData("h\n1 2 3 4 5 6 7 8 9 10 11 12 13\n", 3000, {4, 11}, samples);
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->what, "the file ends in the middle of the record on this line");
  problem = readRawData("h\n1 2 3 4 5 6 7 8 9 10 11 12 13 ?\n", 3000, {4, 11}, samples);
  ASSERT_TRUE(problem);
  EXPECT_EQ(problem->line, 2u);
}

}  // namespace
}  // namespace datafiles
