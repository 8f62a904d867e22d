// The coherence plot's "magnitude-squared, pooled" item, driven through the menu actions.
#include <gtest/gtest.h>

#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QMenu>
#include <memory>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "viewer/display/display.h"
#include "viewer/display/pooled_coherence_view.h"

namespace viewer {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

// Channel 2 equal to channel 1 ("same") or turned by 90 degrees ("turned"): pooled over any
// equal number of both, gamma^2 = |1 - i|^2 / (2 x 2) = 0.5; the imaginary coherence of a
// turned record is -1.
std::string record(bool turned) {
  return spectrumText(1501, 60, [turned](int k) {
    const double re = 1 + k % 7, im = 2;
    return turned ? Coefficients{re, im, -im, re} : Coefficients{re, im, re, im};
  });
}

class PooledCoherenceViewTest : public ::testing::Test {
 protected:
  PooledCoherenceViewTest() {
    for (int i = 0; i < 20; ++i) dir.write(std::to_string(10000000 + i) + ".csvz", record(i % 2));
    dir.write("99999999xxx.csvz", record(false));
    window = std::make_unique<Display>(QString::fromStdString(dir.path().string()));
    window->show();
    QApplication::processEvents();
  }

  // Selects the first `count` records with averaging started on the first.
  void average(int count) {
    Display& w = *window;
    w.flb->setCurrentRow(0);
    w.chav->click();
    for (int row = 1; row < count; ++row) w.flb->setCurrentRow(row);
  }

  testing_support::TempDir dir;
  std::unique_ptr<Display> window;
};

TEST_F(PooledCoherenceViewTest, TheFourthItemShowsGammaSquaredWithItsChanceLevel) {
  Display& w = *window;
  ASSERT_GE(w.mcoherence->actions().size(), 4);
  EXPECT_EQ(w.mcoherence->actions().at(3), w.pooledCoherence->mcohmsc);
  EXPECT_EQ(w.pooledCoherence->mcohmsc->text(), "magnitude-squared, pooled");
  EXPECT_FALSE(w.pooledCoherence->mcohmsc->isChecked());

  average(20);
  ASSERT_EQ(w.analysisState().pooledCount, 20);
  w.mcohimag->trigger();
  w.pooledCoherence->mcohmsc->trigger();
  EXPECT_TRUE(w.pooledCoherence->mcohmsc->isChecked());
  for (QAction* other : {w.mcohreal, w.mcohimag, w.mcohabs}) EXPECT_FALSE(other->isChecked());
  EXPECT_EQ(w.ZEPL2->Caption(),
            "magnitude-squared coherence of 20 records (95 % chance level 0.146)");
  EXPECT_EQ(w.ZEPL2->AxisType() & 1, 0);
  EXPECT_EQ(w.ZEPL2->YMin(), 0);
  EXPECT_EQ(w.ZEPL2->YMax(), 1);

  ASSERT_EQ(w.ZEPL2->CurveCount(), 2);
  const ZEPLLib::ZEPL::Curve msc = w.ZEPL2->CurveAt(0);
  ASSERT_EQ(msc.y.size(), w.analysisState().nPlot - 1);
  EXPECT_EQ(msc.x.first(), 1 / 60.0);
  for (double y : msc.y) ASSERT_NEAR(y, 0.5, 1e-12);
  const ZEPLLib::ZEPL::Curve level = w.ZEPL2->CurveAt(1);
  EXPECT_EQ(level.y.size(), 2);
  EXPECT_NEAR(level.y[0], 1 - std::pow(0.05, 1.0 / 19), 1e-15);
  EXPECT_EQ(level.y[1], level.y[0]);
  EXPECT_EQ(w.ZEPL2->plot()->graph(1)->pen().style(), Qt::DashLine);
  EXPECT_NE(w.ZEPL2->curvesAsCsv().indexOf("95 % chance level"), -1);

  w.pooledCoherence->ZEPL2_CursorMove(1.0);
  EXPECT_EQ(w.ZEPL2->ToolTipText(), "f: 1.000Hz,  gamma^2: 0.500  level: 0.146");

  // A vetoed file adds nothing: the plot stays that of 20 records.
  w.flb->setCurrentRow(20);
  EXPECT_TRUE(w.ZEPL2->Caption().startsWith("magnitude-squared coherence of 20 records"));

  // Unticking "with averaging" restarts the average on the file shown: the plot says so at once.
  w.chav->click();
  EXPECT_EQ(w.analysisState().pooledCount, 1);
  EXPECT_EQ(w.ZEPL2->Caption(),
            "magnitude-squared coherence needs at least two averaged records (n = 1)");
  EXPECT_EQ(w.ZEPL2->CurveCount(), 0);

  // Unchecking returns to "imaginary", its lower limit and the coherence curves.
  w.pooledCoherence->mcohmsc->trigger();
  EXPECT_FALSE(w.pooledCoherence->mcohmsc->isChecked());
  EXPECT_TRUE(w.mcohimag->isChecked());
  EXPECT_EQ(w.ZEPL2->Caption(), "coherence");
  EXPECT_EQ(w.ZEPL2->YMin(), -1);
  EXPECT_EQ(w.ZEPL2->AxisType(), 2);
  ASSERT_EQ(w.ZEPL2->CurveCount(), 2);
  EXPECT_EQ(w.ZEPL2->CurveAt(1).color, 0xC00000);
  w.pooledCoherence->ZEPL2_CursorMove(1.0);
  EXPECT_EQ(w.ZEPL2->ToolTipText(), "");  // no readout outside the pooled view
}

TEST_F(PooledCoherenceViewTest, AnotherItemOrTheScaleRuleLeavesOrKeepsItRight) {
  Display& w = *window;
  average(2);
  w.pooledCoherence->mcohmsc->trigger();
  w.mlinamp->trigger();  // linear amplitude: the rule sets axis type 2 on all three plots
  w.mlinamp->trigger();  // logarithmic again: type 3, but gamma^2 stays on a linear axis
  EXPECT_EQ(w.ZEPL2->AxisType(), 2);
  EXPECT_TRUE(w.pooledCoherence->mcohmsc->isChecked());

  w.mcohabs->trigger();
  EXPECT_FALSE(w.pooledCoherence->mcohmsc->isChecked());
  EXPECT_TRUE(w.mcohabs->isChecked());
  EXPECT_FALSE(w.mcohreal->isChecked());
  EXPECT_EQ(w.ZEPL2->YMin(), 0);
  EXPECT_EQ(w.ZEPL2->AxisType(), 3);  // as the scale rule left it
  EXPECT_EQ(w.ZEPL2->Caption(), "coherence");
}

// While the item is checked, a run computes the component checked before it, so the averaged
// coherence is the one the other items make.
TEST_F(PooledCoherenceViewTest, RunsKeepComputingTheComponentCheckedBefore) {
  Display& w = *window;
  w.mcohimag->trigger();
  w.pooledCoherence->mcohmsc->trigger();
  w.flb->setCurrentRow(1);  // a turned record
  EXPECT_DOUBLE_EQ(w.analysisState().coh[30], -1);
  EXPECT_EQ(w.ZEPL2->Caption(),
            "magnitude-squared coherence needs at least two averaged records (n = 0)");
  EXPECT_EQ(w.ZEPL2->CurveCount(), 0);
  w.pooledCoherence->ZEPL2_CursorMove(2.0);
  EXPECT_EQ(w.ZEPL2->ToolTipText(), "f: 2.000Hz,  needs at least two averaged records");

  w.chav->click();  // restarted with the record shown: one record
  EXPECT_EQ(w.analysisState().pooledCount, 1);
  w.ch_Click(0);
  EXPECT_EQ(w.ZEPL2->Caption(),
            "magnitude-squared coherence needs at least two averaged records (n = 1)");
}

}  // namespace
}  // namespace viewer
