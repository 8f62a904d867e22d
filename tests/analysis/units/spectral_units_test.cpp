// The shown quantities and forms against a computation by hand on lines of known frequency, the
// noise model in acceleration dB, the period axis and the unit texts.
#include "analysis/units/spectral_units.h"

#include <gtest/gtest.h>

#include <cmath>

#include "analysis/standards/noise_models.h"

namespace analysis {
namespace {

constexpr double kHandTwoPi = 6.28318;  // written out: the program's constant, not its name

TEST(SpectralUnits, EachQuantityAndFormOnLinesOfKnownFrequency) {
  // Lines q / T of a 60 s record and 5 s records: f = 0.5, 1, 2.5 Hz; P on the program's axis.
  const struct { double f, p; } lines[] = {{30.0 / 60, 4}, {60.0 / 60, 0.02}, {150.0 / 60, 3e-7}};
  for (const auto& line : lines) {
    const double g = line.p / 2;  // one-sided displacement
    const double w2 = (kHandTwoPi * line.f) * (kHandTwoPi * line.f);
    const struct {
      Quantity quantity;
      double density;
    } quantities[] = {{Quantity::Displacement, g},
                      {Quantity::Velocity, g * w2},
                      {Quantity::Acceleration, g * w2 * w2}};
    for (const auto& q : quantities) {
      SCOPED_TRACE(std::string(quantityName(q.quantity)) + " at " + std::to_string(line.f));
      SpectralUnits units{.quantity = q.quantity};
      EXPECT_NEAR(shownValue(units, line.p, line.f) / q.density, 1, 1e-14);
      units.asd = true;
      EXPECT_NEAR(shownValue(units, line.p, line.f) / std::sqrt(q.density), 1, 1e-14);
      // dB re 1 SI unit: mum^2 is 1e-12 m^2; the same number for PSD and ASD.
      const double db = 10 * std::log10(q.density) - 120;
      units.db = true;
      EXPECT_NEAR(shownValue(units, line.p, line.f), db, 1e-10);
      units.asd = false;
      EXPECT_NEAR(shownValue(units, line.p, line.f), db, 1e-10);
    }
    // Velocity and acceleration levels rise over displacement by 20 and 40 log10(w).
    const double ld = shownValue({.quantity = Quantity::Displacement, .db = true}, line.p, line.f);
    const double la = shownValue({.quantity = Quantity::Acceleration, .db = true}, line.p, line.f);
    EXPECT_NEAR(la - ld, 40 * std::log10(kHandTwoPi * line.f), 1e-10);
    // As recorded: the program's value itself, whatever the form asks.
    EXPECT_EQ(shownValue({.asd = true, .db = true}, line.p, line.f), line.p);
  }
}

TEST(SpectralUnits, ADensityOfZeroHasNoDecibelValue) {
  const SpectralUnits db{.quantity = Quantity::Velocity, .db = true};
  EXPECT_TRUE(std::isnan(shownValue(db, 0, 1)));
  EXPECT_TRUE(std::isnan(shownValue(db, 5, 0)));  // line 0: velocity 0
  EXPECT_EQ(shownValue({.quantity = Quantity::Velocity}, 5, 0), 0);
}

TEST(SpectralUnits, LowNoiseModelAtOneSecondInAccelerationDb) {
  const double p = *noiseModelPsd(NoiseModel::Low, 1.0);
  const SpectralUnits units{.quantity = Quantity::Acceleration, .db = true};
  EXPECT_NEAR(shownValue(units, p, 1.0), -166.4, 1e-9);
}

TEST(SpectralUnits, PeriodAxisLeavesLineZeroOut) {
  const SpectralUnits period{.quantity = Quantity::Displacement, .period = true};
  EXPECT_EQ(axisX(period, 4), 0.25);
  EXPECT_TRUE(std::isnan(axisX(period, 0)));
  EXPECT_EQ(axisX({.quantity = Quantity::Displacement}, 4), 4);
  EXPECT_EQ(axisX({.period = true}, 4), 4);  // as recorded: the program's axis
}

TEST(SpectralUnits, TitlesAndColumnsNameQuantityFormAndUnit) {
  const struct {
    SpectralUnits units;
    const char* title;
    const char* column;
  } cases[] = {
      {{.quantity = Quantity::Acceleration, .db = true},
       "acceleration PSD, dB re 1 (m/s^2)^2/Hz, one-sided",
       "psd1[dB re 1 (m/s^2)^2/Hz]"},
      {{.quantity = Quantity::Velocity},
       "velocity PSD, (mum/s)^2/Hz, one-sided",
       "psd1[(mum/s)^2/Hz]"},
      {{.quantity = Quantity::Velocity, .asd = true},
       "velocity ASD, mum/s/√Hz, one-sided",
       "psd1[mum/s/√Hz]"},
      {{.quantity = Quantity::Displacement, .asd = true, .db = true},
       "displacement ASD, dB re 1 m^2/Hz, one-sided",
       "psd1[dB re 1 m^2/Hz]"},
      {{.quantity = Quantity::Displacement},
       "displacement PSD, mum^2/Hz, one-sided",
       "psd1[mum^2/Hz]"},
      {{.quantity = Quantity::Acceleration, .asd = true},
       "acceleration ASD, mum/s^2/√Hz, one-sided",
       "psd1[mum/s^2/√Hz]"},
      {{}, "", "psd1"},
  };
  for (const auto& c : cases) {
    EXPECT_EQ(valueAxisTitle(c.units), c.title);
    EXPECT_EQ(columnName("psd1", c.units), c.column);
  }
  EXPECT_EQ(columnName("freq", "Hz", {.quantity = Quantity::Velocity}), "freq[Hz]");
  EXPECT_EQ(columnName("freq", "Hz", {}), "freq");
}

}  // namespace
}  // namespace analysis
