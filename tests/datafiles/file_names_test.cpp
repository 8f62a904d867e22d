#include "datafiles/file_names.h"

#include <gtest/gtest.h>

#include "datafiles/leading_value.h"
#include "tests/support/temp_dir.h"

namespace datafiles {
namespace {

TEST(FileNames, MeasurementNamesGiveStemVetoRawFileAndColumns) {
  const struct {
    const char* name;
    int stem;
    bool vetoed;
    const char* rawFile;
    std::pair<int, int> columns;
    const char* toggled;
  } cases[] = {
      {"12345678.csvz", 8, false, "12345678.prn", {4, 11}, "12345678xxx.csvz"},
      {"12345678xxx.csvn", 8, true, "12345678.prn", {5, 12}, "12345678.csvn"},
      {"1234567890.csve", 10, false, "1234567890.prn", {6, 13}, "1234567890xxx.csve"},
      {"1234567890.csv", 10, false, "1234567890.prn", {4, 11}, "1234567890xxx.csv"},
      {"1234567890xxx.cswz", 10, true, "1234567890.prn", {4, 11}, "1234567890.cswz"},
      // "av" later in the name does not make an average file.
      {"12345678av.csvz", 10, false, "12345678av.prn", {4, 11}, "12345678avxxx.csvz"},
      {"12345678.avxz", 8, false, "12345678.prn", {4, 11}, "12345678xxx.avxz"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    EXPECT_FALSE(isAverageFileName(c.name));
    EXPECT_EQ(stemLengthOf(c.name), c.stem);
    EXPECT_NE(stemValueOf(c.name, c.stem), 0);
    EXPECT_EQ(isVetoedName(c.name, c.stem), c.vetoed);
    EXPECT_EQ(rawDataPathOf("/data", c.name, c.stem), std::filesystem::path("/data") / c.rawFile);
    EXPECT_EQ(rawColumnsOf(c.name), c.columns);
    EXPECT_EQ(toggledVetoName(c.name, c.stem), c.toggled);
    EXPECT_EQ(toggledVetoName(toggledVetoName(c.name, c.stem), c.stem), c.name);
  }
}

TEST(FileNames, UpperCaseComponentLettersAndRawDataFiles) {
  const struct {
    const char* name;
    const char* toggled;
    std::pair<int, int> columns;
  } cases[] = {
      {"12345678.CSVZ", "12345678xxx.CSVZ", {4, 11}},
      {"12345678xxx.CSVN", "12345678.CSVN", {5, 12}},
      {"1234567890.CswE", "1234567890xxx.CswE", {6, 13}},
      {"12345678.CSV", "12345678xxx.CSV", {4, 11}},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.name);
    const std::int32_t stem = stemLengthOf(c.name);
    EXPECT_EQ(toggledVetoName(c.name, stem), c.toggled);
    EXPECT_EQ(rawColumnsOf(c.name), c.columns);
  }

  testing_support::TempDir dir;
  // Neither exists: the lower-case name, which the message then names.
  EXPECT_EQ(rawDataPathOf(dir.path(), "12345678.CSVZ", 8), dir.path() / "12345678.prn");
  dir.write("12345678.PRN", "");
  EXPECT_EQ(rawDataPathOf(dir.path(), "12345678.CSVZ", 8), dir.path() / "12345678.PRN");
  dir.write("12345678.prn", "");
  EXPECT_EQ(rawDataPathOf(dir.path(), "12345678.CSVZ", 8), dir.path() / "12345678.prn");
}

TEST(FileNames, AverageAndNonMeasurementNames) {
  EXPECT_TRUE(isAverageFileName("av.csv"));
  EXPECT_TRUE(isAverageFileName("avanything"));
  EXPECT_FALSE(isAverageFileName("Av1.csvz"));
  EXPECT_EQ(stemValueOf("Av1.csvz", stemLengthOf("Av1.csvz")), 0);
  EXPECT_EQ(stemValueOf("00000000.csvz", 8), 0);
  EXPECT_EQ(stemValueOf("readme.txt", stemLengthOf("readme.txt")), 0);
  EXPECT_EQ(stemLengthOf("short"), 10);
  EXPECT_FALSE(rawColumnsOf("12345678.csvx").has_value());
  EXPECT_FALSE(rawColumnsOf("").has_value());
}

TEST(LeadingValue, ReadsTheNumberAtTheStartIgnoringBlanks) {
  EXPECT_EQ(leadingValue("12345678.csvz"), 12345678);
  EXPECT_EQ(leadingValue(" 1 5Hz"), 15);
  EXPECT_EQ(leadingValue("0.1"), 0.1);
  EXPECT_EQ(leadingValue("-2.5e1x"), -25);
  EXPECT_EQ(leadingValue("1e"), 1);
  EXPECT_EQ(leadingValue(".5"), 0.5);
  EXPECT_EQ(leadingValue("abc"), 0);
  EXPECT_EQ(leadingValue(""), 0);
  EXPECT_EQ(leadingValue("-"), 0);
}

TEST(FileNames, SpectrumExtensions) {
  for (const char* name : {"12345678.csvz", "12345678xxx.csvn", "1234567890.cswe", "12345678.CSVZ",
                           "12345678xxx.Csw", "12345678.csvq"}) {
    EXPECT_TRUE(hasSpectrumExtension(name, stemLengthOf(name))) << name;
  }
  for (const char* name : {"12345678.prn", "12345678.cs", "12345678", "12345678xxx.txt",
                           "12345678.c3vz", "1234567.csvz", "12345678x.csvz"}) {
    EXPECT_FALSE(hasSpectrumExtension(name, 8)) << name;
  }
}

}  // namespace
}  // namespace datafiles
