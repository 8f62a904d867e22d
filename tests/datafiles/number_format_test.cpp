#include "datafiles/number_format.h"

#include <gtest/gtest.h>

#include <bit>
#include <cmath>
#include <limits>
#include <random>

#include "datafiles/field_reader.h"

namespace datafiles {
namespace {

TEST(NumberFormat, InvariantFormWithExponentAsCapitalEAndTwoDigits) {
  const struct {
    double value;
    const char* text;
  } cases[] = {
      {0, "0"},
      {-0.0, "0"},
      {1, "1"},
      {0.1, "0.1"},
      {-2.5, "-2.5"},
      {100, "100"},
      {1.5e-10, "1.5E-10"},
      {2.5e20, "2.5E+20"},
      {1e-5, "0.00001"},
      {-1e-6, "-1E-06"},
      {1e15, "1E+15"},
      {123456789012345, "123456789012345"},
      {1e100, "1E+100"},
      {37.99550805271493, "37.99550805271493"},
      {0.1 + 0.2, "0.30000000000000004"},
  };
  for (const auto& c : cases) EXPECT_EQ(formatDouble(c.value), c.text);
}

TEST(NumberFormat, EveryWrittenDoubleReadsBackExactly) {
  std::mt19937_64 random(7);
  std::uniform_real_distribution<double> mantissa(-10, 10);
  std::uniform_int_distribution<int> exponent(-40, 40);
  for (int i = 0; i < 20000; ++i) {
    const double value = std::ldexp(mantissa(random), exponent(random));
    const std::string text = formatDouble(value);
    FieldReader reader(text);
    double back = 0;
    ASSERT_TRUE(reader.readNumber(back)) << text;
    ASSERT_EQ(std::bit_cast<std::uint64_t>(back), std::bit_cast<std::uint64_t>(value)) << text;
  }
}

TEST(NumberFormat, ExtremesAreWrittenAndNonFiniteValuesNever) {
  EXPECT_EQ(formatDouble(std::numeric_limits<double>::max()), "1.7976931348623157E+308");
  EXPECT_EQ(formatDouble(-std::numeric_limits<double>::denorm_min()), "-5E-324");
  EXPECT_EQ(formatDouble(1e250), "1E+250");
  std::string text;
  appendFloat(text, std::numeric_limits<float>::max());
  EXPECT_EQ(text, "3.4028235E+38");
  for (const double bad :
       {std::numeric_limits<double>::infinity(), -std::numeric_limits<double>::infinity(),
        std::numeric_limits<double>::quiet_NaN()}) {
    EXPECT_EQ(formatDouble(bad), "") << bad;
    std::string field;
    appendFloat(field, static_cast<float>(bad));
    EXPECT_EQ(field, "") << bad;
  }
}

TEST(NumberFormat, FloatsUseTheirOwnShortestDigits) {
  std::string text;
  appendFloat(text, 0.02f);
  EXPECT_EQ(text, "0.02");
}

TEST(NumberFormat, QuotedStringsCannotEndEarly) {
  std::string text;
  appendQuoted(text, "a\"b");
  EXPECT_EQ(text, "\"a'b\"");
  // Control characters would end the record or blur the fields when read back.
  text.clear();
  appendQuoted(text,
               "1\r2\n3\t4\x7f"
               "5");
  EXPECT_EQ(text, "\"1?2?3?4?5\"");
}

}  // namespace
}  // namespace datafiles
