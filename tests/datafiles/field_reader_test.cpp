#include "datafiles/field_reader.h"

#include <gtest/gtest.h>

#include <string>
#include <vector>

namespace datafiles {
namespace {

std::vector<double> numbersOf(std::string_view text) {
  FieldReader reader(text);
  std::vector<double> numbers;
  double value = 0;
  while (!reader.atEnd()) {
    EXPECT_TRUE(reader.readNumber(value)) << reader.problem().what;
    numbers.push_back(value);
  }
  return numbers;
}

struct FieldCase {
  const char* text;
  std::vector<double> fields;
};

TEST(FieldReader, SeparatorsQuotesEmptyFieldsAndLineEnds) {
  const FieldCase cases[] = {
      {"1,2", {1, 2}},
      {"1, 2", {1, 2}},
      {"1 ,2", {1, 2}},
      {"1   2", {1, 2}},
      {"1 , 2", {1, 2}},
      {"1,,2", {1, 0, 2}},
      {"1, ,2", {1, 0, 2}},
      {"\"3.5\",\"\",4", {3.5, 0, 4}},
      {"\" 7 \"", {7}},
      {"1\r\n2\r3\n4", {1, 2, 3, 4}},
      {"1,2,\r\n3", {1, 2, 3}},
      {"+5 -.5 5. 1.5E-10 2e+3 -0", {5, -0.5, 5, 1.5e-10, 2000, 0}},
      {"\t8\t9\r\n\r\n\r\n  \r\n", {8, 9}},
  };
  for (const FieldCase& c : cases) {
    EXPECT_EQ(numbersOf(c.text), c.fields) << "text: " << c.text;
  }
}

TEST(FieldReader, RefusesWhatIsNotAUsableNumber) {
  const struct {
    const char* text;
    const char* problem;
  } cases[] = {
      {"abc", "'abc' is not a number"},
      {"1.5x,2", "'1.5x' is not a number"},
      {"1e", "'1e' is not a number"},
      {"\"12a\"", "'12a' is not a number"},
      {"--1", "'--1' is not a number"},
      {"inf", "'inf' is not a finite number"},
      {"nan", "'nan' is not a finite number"},
      {"1e300", "'1e300' is out of range"},
      {"1e999", "'1e999' is not a finite number"},
      {"\x01\x02\xff", "'?\?\?' is not a number"},
  };
  for (const auto& c : cases) {
    FieldReader reader(c.text);
    double value = 0;
    EXPECT_FALSE(reader.readNumber(value)) << c.text;
    EXPECT_EQ(reader.problem().what, c.problem);
    EXPECT_EQ(reader.problem().offset, 0u);
  }
}

TEST(FieldReader, ReadingPastTheEndIsAProblemNotACrash) {
  FieldReader reader("1\r\n\r\n");
  double value = 0;
  ASSERT_TRUE(reader.readNumber(value));
  EXPECT_TRUE(reader.atEnd());
  EXPECT_FALSE(reader.readNumber(value));
  EXPECT_EQ(reader.problem().what, "the file ends in the middle of a record");
}

TEST(FieldReader, LinesEndAtCrLfLoneCrAndLoneLf) {
  FieldReader reader("first\r\nsecond\rthird\nfourth");
  EXPECT_EQ(reader.readLine(), "first");
  EXPECT_EQ(reader.readLine(), "second");
  EXPECT_EQ(reader.readLine(), "third");
  EXPECT_EQ(reader.readLine(), "fourth");
  EXPECT_TRUE(reader.atEnd());
}

TEST(FieldReader, AFieldThatEndsItsLineTakesTheLineEndWithIt) {
  // Line 1 of an average file is read field by field, line 2 whole.
  FieldReader reader("12,\"average for 12 files\" \r\n\"f\",\"psd1\"\r\n");
  double count = 0;
  std::string_view title;
  ASSERT_TRUE(reader.readNumber(count));
  ASSERT_TRUE(reader.readText(title));
  EXPECT_EQ(count, 12);
  EXPECT_EQ(title, "average for 12 files");
  EXPECT_EQ(reader.readLine(), "\"f\",\"psd1\"");
}

TEST(FieldReader, LineNumbersCountEveryKindOfLineEnd) {
  const std::string_view text = "a\r\nb\rc\nd";
  EXPECT_EQ(lineNumberAt(text, 0), 1u);
  EXPECT_EQ(lineNumberAt(text, 3), 2u);
  EXPECT_EQ(lineNumberAt(text, 5), 3u);
  EXPECT_EQ(lineNumberAt(text, 7), 4u);
}

}  // namespace
}  // namespace datafiles
