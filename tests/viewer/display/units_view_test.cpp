// The "units" menu: the PSD plot's curves, noise models, axes and readout in another quantity,
// form and axis, and "as recorded" giving back the plot as it was.
#include "viewer/display/units/units_view.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QDir>
#include <QListWidget>
#include <cmath>
#include <sstream>

#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "viewer/display/display.h"
#include "viewer/display/display_command_line.h"
#include "viewer/display/reference_curves_view.h"
#include "viewer/plots/curve_colours.h"
#include "viewer/plots/noise_model_curves.h"

namespace viewer {
namespace {

// c1 = 3 on every line of a 60 s record: the program's PSD 9 T / w^2, so the one-sided velocity
// density is 9 x 60 / 2 = 270 (mum/s)^2/Hz on every line but line 0.
class UnitsViewTest : public ::testing::Test {
 protected:
  UnitsViewTest() {
    dir.write("11111111.csvz", analysis_testing::spectrumText(1501, 60, [](int) {
                return analysis_testing::Coefficients{3, 0, 1, 0};
              }));
    window = std::make_unique<Display>(QString::fromStdString(dir.path().string()));
    window->show();
    QApplication::processEvents();
    window->flb->setCurrentRow(0);
    QApplication::processEvents();
  }

  ZEPLLib::ZEPL::Curve channel1() const {
    for (int i = 0; i < window->ZEPL1->CurveCount(); ++i) {
      if (window->ZEPL1->CurveAt(i).color == kChannel1) return window->ZEPL1->CurveAt(i);
    }
    ADD_FAILURE() << "no channel 1 curve";
    return {};
  }

  testing_support::TempDir dir;
  std::unique_ptr<Display> window;
};

TEST_F(UnitsViewTest, VelocityDecibelsAgainstPeriodAndBackAsRecorded) {
  Display& w = *window;
  const ZEPLLib::ZEPL::Curve recorded = channel1();
  ASSERT_GT(recorded.x.size(), 100);
  const int axisType = w.ZEPL1->AxisType();
  const double yMin = w.ZEPL1->YMin(), yMax = w.ZEPL1->YMax();
  const QString caption = w.ZEPL1->Caption();
  EXPECT_FALSE(w.units->masd->isEnabled());

  w.units->mvelocity->trigger();
  w.units->mdecibels->trigger();
  w.units->mperiod->trigger();
  const ZEPLLib::ZEPL::Curve shown = channel1();
  ASSERT_EQ(shown.x.size(), recorded.x.size() - 1);  // line 0 has no period
  const double db = 10 * std::log10(270.0) - 120;
  for (qsizetype i = 0; i < shown.x.size(); ++i) {
    EXPECT_NEAR(shown.y[i], db, 1e-9) << i;
  }
  // Periods rise as the frequencies fall: 60 s for line 1 is the largest.
  EXPECT_DOUBLE_EQ(*std::max_element(shown.x.begin(), shown.x.end()), 60);
  EXPECT_EQ(w.ZEPL1->plot()->yAxis->label(), "velocity PSD, dB re 1 (m/s)^2/Hz, one-sided");
  EXPECT_EQ(w.ZEPL1->plot()->xAxis->label(), "period, s");
  EXPECT_EQ(w.ZEPL1->Caption().toStdString(),
            "velocity PSD, dB re 1 (m/s)^2/Hz, one-sided versus period (s)");
  EXPECT_EQ(w.ZEPL1->AxisType() & 1, 0);  // decibels on a linear axis
  EXPECT_LE(w.ZEPL1->YMin(), db);
  EXPECT_GE(w.ZEPL1->YMax(), db);
  EXPECT_TRUE(w.ZEPL1->curvesAsCsv().contains(QString::number(db, 'g', 6).left(6)));

  w.units->mrecorded->trigger();
  const ZEPLLib::ZEPL::Curve back = channel1();
  EXPECT_EQ(back.x, recorded.x);
  EXPECT_EQ(back.y, recorded.y);
  EXPECT_EQ(w.ZEPL1->plot()->yAxis->label(), "");
  EXPECT_EQ(w.ZEPL1->Caption(), caption);
  EXPECT_EQ(w.ZEPL1->AxisType(), axisType);
  EXPECT_EQ(w.ZEPL1->YMin(), yMin);
  EXPECT_EQ(w.ZEPL1->YMax(), yMax);
  EXPECT_FALSE(w.units->mdecibels->isEnabled());
}

// Whether the noise models were on before the units were chosen or are switched on after.
TEST_F(UnitsViewTest, LowNoiseModelAtOneSecondInAccelerationDecibels) {
  Display& w = *window;
  const analysis::SpectralUnits accelerationDb{
      .quantity = analysis::Quantity::Acceleration, .db = true, .period = true};
  for (const bool modelsFirst : {true, false}) {
    SCOPED_TRACE(modelsFirst ? "noise models first" : "units first");
    w.units->setUnits({});
    if (w.referenceCurves->mnoisemodels->isChecked()) w.referenceCurves->mnoisemodels->trigger();
    if (modelsFirst) w.referenceCurves->mnoisemodels->trigger();
    w.units->setUnits(accelerationDb);
    if (!modelsFirst) w.referenceCurves->mnoisemodels->trigger();
    w.ZEPL1->plot()->replot(QCustomPlot::rpImmediateRefresh);
    const QList<QCPCurve*> models = noiseModelCurves(*w.ZEPL1->plot());
    ASSERT_EQ(models.size(), 2);
    bool found = false;
    for (auto it = models[0]->data()->constBegin(); it != models[0]->data()->constEnd(); ++it) {
      if (std::fabs(it->key - 1) > 1e-9) continue;
      found = true;
      EXPECT_NEAR(it->value, -166.4, 1e-6);
    }
    EXPECT_TRUE(found) << "no point of the low model at 1 s";
  }
  // The readout names the unit and reads the line under the cursor.
  EXPECT_TRUE(w.units->readoutAt(w.ZEPL1, 2).contains("acceleration PSD, dB re 1 (m/s^2)^2/Hz"));
}

}  // namespace
}  // namespace viewer

namespace viewer {
namespace {

std::optional<int> statusOf(const QStringList& arguments, DisplayCommandLine* parsed = nullptr) {
  std::ostringstream out, err;
  const DisplayCommandLine commandLine = parseDisplayCommandLine(
      QStringList{"psd-display"} + arguments, QDir::currentPath(), out, err);
  if (parsed) *parsed = commandLine;
  return commandLine.exitStatus;
}

TEST(DisplayCommandLineUnits, StartsWithTheUnitsGivenAndRefusesAFormWithoutAQuantity) {
  DisplayCommandLine parsed;
  EXPECT_FALSE(statusOf({"--units", "acc", "--db", "--period"}, &parsed));
  EXPECT_EQ(parsed.units,
            (analysis::SpectralUnits{
                .quantity = analysis::Quantity::Acceleration, .db = true, .period = true}));
  EXPECT_FALSE(statusOf({}, &parsed));
  EXPECT_TRUE(parsed.units.recorded());
  EXPECT_EQ(statusOf({"--units", "jerk"}), 2);
  EXPECT_EQ(statusOf({"--asd"}), 2);
}

}  // namespace
}  // namespace viewer
