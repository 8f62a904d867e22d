// "relative motion", "transfer function" and "self-noise" in the window, on records whose
// channel 2 is channel 1 times a known factor: the curves against the window's own channel
// PSDs, the titles, readouts, the band's line and the exclusive upper view.
#include <gtest/gtest.h>

#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QFontMetrics>
#include <QListWidget>
#include <algorithm>
#include <cmath>
#include <complex>
#include <memory>
#include <numbers>
#include <random>
#include <string>
#include <vector>

#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "viewer/display/band_view.h"
#include "viewer/display/display.h"
#include "viewer/display/two_sensor_view.h"
#include "viewer/plots/band_cursor.h"
#include "viewer/plots/curve_colours.h"
#include "viewer/plots/transfer_function_plot.h"

namespace viewer {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;
using Complex = std::complex<double>;

// A 60 s record whose channel 2 is `factor` times channel 1, plus `noise2` times a second
// pattern (for records that differ).
std::string record(Complex factor, double noise2 = 0, int seed = 0) {
  return spectrumText(1501, 60, [=](int k) {
    const Complex c1(1 + k % 5, 0.5 + (k * 7 + seed) % 3);
    const Complex c2 = factor * c1 + noise2 * Complex((k * 13 + seed * 5) % 7 - 3, seed % 3 - 1);
    return Coefficients{c1.real(), c1.imag(), c2.real(), c2.imag()};
  });
}

ZEPLLib::ZEPL::Curve curveNamed(const ZEPLLib::ZEPL& plot, const QString& name) {
  for (int i = 0; i < plot.CurveCount(); ++i) {
    if (plot.plot()->graph(i)->property("curveName").toString() == name) return plot.CurveAt(i);
  }
  return {};
}

class TwoSensorViewTest : public ::testing::Test {
 protected:
  TwoSensorViewTest() {
    dir.write("10000001.csvz", record(1));   // identical
    dir.write("10000002.csvz", record(-1));  // opposite
    dir.write("10000003.csvz",
              record(std::polar(0.5, std::numbers::pi / 6)));  // gain 0.5, 30 degrees
    for (int i = 0; i < 6; ++i) dir.write(std::to_string(10000010 + i) + ".csvz", record(1, 1, i));
    window = std::make_unique<Display>(QString::fromStdString(dir.path().string()));
    window->show();
    QApplication::processEvents();
  }
  void select(const QString& name) {
    window->flb->setCurrentItem(window->flb->findItems(name, Qt::MatchExactly).value(0));
  }

  testing_support::TempDir dir;
  std::unique_ptr<Display> window;
};

TEST_F(TwoSensorViewTest, RelativeMotionAgainstTheChannelSpectraShown) {
  Display& w = *window;
  TwoSensorView& two = *w.twoSensor;
  select("10000002.csvz");
  const int plain = w.ZEPL1->CurveCount();
  two.mrelative->trigger();
  ASSERT_TRUE(two.mrelative->isChecked());
  const struct {
    const char* file;
    double ratio;  // P_rel / psd1, which is R for channels of equal power
  } rows[] = {{"10000001.csvz", 0}, {"10000002.csvz", 4}};
  for (const auto& row : rows) {
    select(row.file);
    const analysis::AnalysisState& s = w.analysisState();
    const ZEPLLib::ZEPL::Curve rel = curveNamed(*w.ZEPL1, "relative motion");
    ASSERT_EQ(rel.y.size(), s.nPlot) << row.file;
    for (int q : {1, 30, 600, s.nPlot - 1})
      EXPECT_NEAR(rel.y[q], row.ratio * s.psd1[q], 1e-9 * s.psd1[q]);
    EXPECT_EQ(rel.color, kRelativeMotion);
    EXPECT_EQ(w.ZEPL1->CurveCount(), plain + 1);
    EXPECT_FALSE(curveNamed(*w.ZEPL4, "relative motion").y.isEmpty());
    // Above tf1 (0.1 Hz) the relative rms is sqrt(ratio) times each channel's.
    EXPECT_TRUE(w.ZEPL1->Caption().endsWith(
        QStringLiteral(" of the channels' mean").prepend(QString::number(std::sqrt(row.ratio)))))
        << w.ZEPL1->Caption().toStdString();
    w.ZEPL1_CursorMove(1.0);
    EXPECT_TRUE(w.ZEPL1->ToolTipText().contains(QStringLiteral("R: %1").arg(row.ratio, 0, 'f', 2)))
        << w.ZEPL1->ToolTipText().toStdString();
  }
  w.band->bandCursor->setBand(1, 2);
  EXPECT_TRUE(w.band->bandCursor->label().contains("relative: "))
      << w.band->bandCursor->label().toStdString();
  EXPECT_TRUE(w.ZEPL1->curvesAsCsv().contains("relative motion"));

  two.mrelative->trigger();  // off: the plot as before, its own title
  EXPECT_EQ(w.ZEPL1->CurveCount(), plain);
  EXPECT_EQ(w.ZEPL1->Caption(), "power spectral density (mum^2/Hz) versus frequency (Hz)");
  EXPECT_FALSE(w.band->bandCursor->label().contains("relative"));
}

TEST_F(TwoSensorViewTest, TransferFunctionTakesTheUpperAreaInEitherDirection) {
  Display& w = *window;
  TwoSensorView& two = *w.twoSensor;
  select("10000003.csvz");
  two.mtransfer->trigger();
  EXPECT_TRUE(two.transferPlot->isVisible());
  for (QWidget* plot : {static_cast<QWidget*>(w.ZEPL2), static_cast<QWidget*>(w.ZEPL3),
                        static_cast<QWidget*>(w.ZEPL5)}) {
    EXPECT_FALSE(plot->isVisible());
  }
  EXPECT_FALSE(w.mdispcoh->isChecked());
  EXPECT_TRUE(two.transferPlot->title().contains("1 by construction"));
  const struct {
    QAction* item;
    double magnitude, phase;
  } rows[] = {{two.mtransfer21, 2, -30}, {two.mtransfer12, 0.5, 30}};
  for (const auto& row : rows) {
    row.item->trigger();
    const TransferFunctionPlot::Curve magnitude = two.transferPlot->curveAt(0);
    const TransferFunctionPlot::Curve phase = two.transferPlot->curveAt(1);
    ASSERT_EQ(magnitude.y.size(), w.analysisState().nPlot - 1);
    for (int i : {0, 99, w.analysisState().nPlot - 2}) {
      EXPECT_NEAR(magnitude.y[i], row.magnitude, 1e-6);
      EXPECT_NEAR(phase.y[i], row.phase, 1e-4);
    }
  }
  two.transferPlot_CursorMove(1.0);
  EXPECT_EQ(two.transferPlot->toolTipText(),
            "f: 1.000Hz,  |H|: 0.5  phase: 30.0 deg  gamma^2: 1.000");

  w.mdispraw->trigger();  // another upper view: the transfer function gives way
  EXPECT_FALSE(two.transferPlot->isVisible());
  EXPECT_FALSE(two.mtransfer->isChecked());
  EXPECT_TRUE(w.ZEPL3->isVisible());
}

// At the window's start size the transfer function takes half the column of plots, the main
// plots the half below it, and its four scales (|H|, frequency, phase, gamma^2) lie side by
// side: no point of the plot belongs to two of them. Another upper view gives the main plots
// their place back.
TEST_F(TwoSensorViewTest, TheTransferFunctionIsTallEnoughForItsScales) {
  Display& w = *window;
  TwoSensorView& two = *w.twoSensor;
  EXPECT_EQ(w.centralWidget()->size(), QSize(659, 442));
  select("10000003.csvz");
  const QRect psd = w.ZEPL1->geometry();
  two.mtransfer->trigger();
  EXPECT_GE(two.transferPlot->height(), 200);
  EXPECT_EQ(two.transferPlot->y(), w.ZEPL2->y());
  for (QWidget* plot : {static_cast<QWidget*>(w.ZEPL1), static_cast<QWidget*>(w.ZEPL4)}) {
    EXPECT_EQ(plot->y(), two.transferPlot->geometry().bottom() + 1);
    EXPECT_EQ(plot->geometry().bottom(), psd.bottom());
  }
  QCustomPlot& plot = *two.transferPlot->plot();
  plot.replot();  // lays the scales out
  // Each scale's rectangle: the points it claims (its line, tick labels and label). Scales of
  // one orientation must not share any; the frequency scale meets the others at the corners.
  const QList<QCPAxis*> axes = plot.axisRect()->axes();
  std::vector<QRect> rects(axes.size());
  for (int x = 0; x < plot.width(); ++x) {
    for (int y = 0; y < plot.height(); ++y) {
      for (int a = 0; a < axes.size(); ++a) {
        if (axes[a]->getPartAt(QPointF(x, y)) != QCPAxis::spNone) rects[a] |= QRect(x, y, 1, 1);
      }
    }
  }
  for (int a = 0; a < axes.size(); ++a) {
    if (!axes[a]->visible()) continue;
    EXPECT_FALSE(rects[a].isEmpty()) << axes[a]->label().toStdString();
    if (axes[a]->orientation() == Qt::Vertical) {  // a label longer than its scale spills over
      EXPECT_LE(QFontMetrics(axes[a]->labelFont()).horizontalAdvance(axes[a]->label()),
                plot.axisRect()->height())
          << axes[a]->label().toStdString();
    }
    for (int b = a + 1; b < axes.size(); ++b) {
      if (axes[b]->visible() && axes[a]->orientation() == axes[b]->orientation()) {
        EXPECT_FALSE(rects[a].intersects(rects[b]))
            << axes[a]->label().toStdString() << " and " << axes[b]->label().toStdString();
      }
    }
  }

  w.mdispcoh->trigger();
  EXPECT_EQ(w.ZEPL1->geometry(), psd);
  EXPECT_EQ(w.ZEPL4->geometry(), psd);
}

TEST_F(TwoSensorViewTest, SelfNoiseNeedsTwoRecordsAndIsDrawnDashed) {
  Display& w = *window;
  TwoSensorView& two = *w.twoSensor;
  select("10000010.csvz");
  two.mselfnoise->trigger();
  EXPECT_TRUE(
      w.ZEPL1->Caption().endsWith("self-noise needs at least two averaged records (n = 1)"));
  EXPECT_TRUE(curveNamed(*w.ZEPL1, "self-noise 1").y.isEmpty());

  w.chav->click();
  for (int row = w.flb->currentRow() + 1; row < w.flb->count(); ++row) w.flb->setCurrentRow(row);
  ASSERT_EQ(w.analysisState().pooledCount, 6);
  EXPECT_TRUE(w.ZEPL1->Caption().endsWith("self-noise (two-sensor), 6 files"));
  // Channel 2 carries all the added noise. Drawn: the means of the per-line estimates over
  // the bands of 12 a octave, at the bands' centres, none where a mean is not positive.
  const analysis::SelfNoise& noise = two.selfNoise();
  const ZEPLLib::ZEPL::Curve n2 = curveNamed(*w.ZEPL1, "self-noise 2");
  ASSERT_FALSE(n2.y.isEmpty());
  EXPECT_EQ(n2.color, kChannel2);
  for (int i = 0; i < n2.x.size(); ++i) {
    const int band = static_cast<int>(std::floor(12 * std::log2(n2.x[i])));
    double sum = 0;
    int lines = 0;
    for (int q = 1; q < w.analysisState().nPlot; ++q) {
      if (std::floor(12 * std::log2(q / 60.0)) == band) sum += noise.n2[q], ++lines;
    }
    ASSERT_GT(lines, 0) << n2.x[i];
    EXPECT_DOUBLE_EQ(n2.x[i], std::exp2((band + 0.5) / 12));
    if (sum > 0) {
      ASSERT_NEAR(n2.y[i], sum / lines, 1e-12 * sum / lines) << n2.x[i];
    } else {
      ASSERT_TRUE(std::isnan(n2.y[i])) << n2.x[i];
    }
  }
  w.ZEPL1_CursorMove(1.0);
  EXPECT_TRUE(w.ZEPL1->ToolTipText().contains(QStringLiteral("(no estimate on %1 and %2 lines)")
                                                  .arg(noise.nonPositive1)
                                                  .arg(noise.nonPositive2)));
  w.ch[1]->click();  // channel 2 hidden: its estimate with it
  EXPECT_TRUE(curveNamed(*w.ZEPL1, "self-noise 2").y.isEmpty());
}

// Four records of a common ground 25 times the power of each sensor's own noise: per line
// the estimate scatters about twice as widely as the noise itself, and many lines fall <= 0.
// The curve drawn must still follow the true noise: its median ratio to the noise (as a
// displacement PSD, averaged over the lines of each band) is close to 1, where drawing only
// the lines > 0 gave about 2.
TEST_F(TwoSensorViewTest, TheDrawnSelfNoiseFollowsTheTrueNoise) {
  constexpr double kGround = 25, kNoise = 1;  // E|c|^2 per line, (mum/s)^2
  std::mt19937_64 random(7);
  const auto draw = [&random](double power) {
    std::normal_distribution<double> normal(0, std::sqrt(power / 2));
    const double re = normal(random);
    return Complex(re, normal(random));
  };
  for (int r = 0; r < 4; ++r) {
    std::vector<Coefficients> lines(1501);
    for (Coefficients& c : lines) {
      const Complex g = draw(kGround), c1 = g + draw(kNoise), c2 = g + draw(kNoise);
      c = {c1.real(), c1.imag(), c2.real(), c2.imag()};
    }
    dir.write(std::to_string(10000020 + r) + ".csvz",
              spectrumText(1501, 60, [&lines](int k) { return lines[k]; }));
  }
  Display& w = *window;
  w.dirlb_Click();
  select("10000020.csvz");
  w.chav->click();
  for (const char* name : {"10000021.csvz", "10000022.csvz", "10000023.csvz"}) select(name);
  ASSERT_EQ(w.analysisState().pooledCount, 4);
  w.twoSensor->mselfnoise->trigger();
  const ZEPLLib::ZEPL::Curve n1 = curveNamed(*w.ZEPL1, "self-noise 1");
  std::vector<double> ratios;
  for (int i = 0; i < n1.x.size(); ++i) {
    const int band = static_cast<int>(std::floor(12 * std::log2(n1.x[i])));
    double truth = 0;
    int lines = 0;
    for (int q = 1; q < w.analysisState().nPlot; ++q) {
      const double f = q / 60.0, omega = 2 * std::numbers::pi * f;
      if (std::floor(12 * std::log2(f)) == band) truth += kNoise * 60 / (omega * omega), ++lines;
    }
    if (lines > 0 && !std::isnan(n1.y[i])) ratios.push_back(n1.y[i] / (truth / lines));
  }
  ASSERT_GE(ratios.size(), 50u);
  std::nth_element(ratios.begin(), ratios.begin() + ratios.size() / 2, ratios.end());
  EXPECT_NEAR(ratios[ratios.size() / 2], 1, 0.2);
}

// A record of other line spacing is shown beside the average, not added to it: the quantities
// of the average stay on the average's lines (1/60 Hz apart), not the record's (1/6 Hz).
TEST_F(TwoSensorViewTest, AnAverageKeepsItsLinesBesideARecordOfOtherSpacing) {
  Display& w = *window;
  dir.write("1000000101.csvz", spectrumText(1501, 6, [](int k) {
              return Coefficients{1.0 + k % 3, 0.5, 2.0, -1.0};
            }));
  w.dirlb_Click();
  select("10000010.csvz");
  w.chav->click();
  select("10000011.csvz");
  w.twoSensor->mrelative->trigger();
  const ZEPLLib::ZEPL::Curve before = curveNamed(*w.ZEPL1, "relative motion");
  select("1000000101.csvz");
  ASSERT_EQ(w.analysisState().pooledCount, 2);
  const ZEPLLib::ZEPL::Curve after = curveNamed(*w.ZEPL1, "relative motion");
  ASSERT_GE(after.x.size(), 2);
  EXPECT_DOUBLE_EQ(after.x[1], 1.0 / 60);
  for (int q : {1, 30, 300}) EXPECT_EQ(after.y[q], before.y[q]);
  EXPECT_EQ(w.twoSensor->relativeMotion().freq, &w.analysisState().averageFreq);
}

}  // namespace
}  // namespace viewer
