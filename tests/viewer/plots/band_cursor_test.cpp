// The band cursor on the PSD and rms plots, driven with mouse and key events.
#include "viewer/plots/band_cursor.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QKeyEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QMouseEvent>
#include <cmath>
#include <memory>
#include <string>

#include "analysis/two_sensor/band_figures.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "viewer/display/band_view.h"
#include "viewer/display/display.h"

namespace viewer {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

// A sine of velocity amplitude a at 1.5 Hz (line 90) on both channels: its rms displacement
// is a / sqrt(2) / (2 pi x 1.5) and its rms velocity a / sqrt(2).
std::string sine(double a) {
  return spectrumText(1501, 60, [a](int k) {
    return k == 90 ? Coefficients{a, 0, a, 0} : Coefficients{};
  });
}

QString threeDigits(double value) {
  return QString::number(value, 'g', 3);
}

class BandCursorTest : public ::testing::Test {
 protected:
  BandCursorTest() {
    dir.write("11111111.csvz", sine(3));
    dir.write("22222222.csvz", sine(6));
    window = std::make_unique<Display>(QString::fromStdString(dir.path().string()));
    window->show();
    window->flb->setCurrentRow(0);
    QApplication::processEvents();
  }

  // A mouse event at frequency f on `plot`, halfway up.
  static void send(ZEPLLib::ZEPL* plot, QEvent::Type type, double f, Qt::MouseButtons buttons,
                   Qt::KeyboardModifiers modifiers) {
    QCustomPlot* canvas = plot->plot();
    canvas->replot();
    const QPointF at(canvas->xAxis->coordToPixel(f), canvas->height() / 2.0);
    const Qt::MouseButton button = type == QEvent::MouseMove ? Qt::NoButton : Qt::LeftButton;
    QMouseEvent event(type, at, canvas->mapToGlobal(at), button, buttons, modifiers);
    QCoreApplication::sendEvent(canvas, &event);
  }

  static void shiftDrag(ZEPLLib::ZEPL* plot, double from, double to) {
    send(plot, QEvent::MouseButtonPress, from, Qt::LeftButton, Qt::ShiftModifier);
    send(plot, QEvent::MouseMove, (from + to) / 2, Qt::LeftButton, Qt::ShiftModifier);
    send(plot, QEvent::MouseMove, to, Qt::LeftButton, Qt::ShiftModifier);
    send(plot, QEvent::MouseButtonRelease, to, Qt::NoButton, Qt::ShiftModifier);
  }

  testing_support::TempDir dir;
  std::unique_ptr<Display> window;
};

TEST_F(BandCursorTest, AShiftDragSelectsAShadedBandWithItsFigures) {
  Display& w = *window;
  EXPECT_FALSE(w.band->mbandback->isEnabled());
  shiftDrag(w.ZEPL1, 2.0, 1.0);
  BandCursor& band = *w.band->bandCursor;
  ASSERT_TRUE(band.hasBand());
  // Pixels are coarser than the three decimals a 60 s record's edges keep.
  EXPECT_NEAR(band.low(), 1.0, 0.05);
  EXPECT_NEAR(band.high(), 2.0, 0.05);
  EXPECT_EQ(band.low() * 1000, std::round(band.low() * 1000));
  EXPECT_TRUE(band.isShadedOn(w.ZEPL1));
  EXPECT_TRUE(band.isShadedOn(w.ZEPL4));
  EXPECT_EQ(w.ZEPL1->CurveCount(), 4);  // the overlay is no curve
  EXPECT_TRUE(w.band->mbandback->isEnabled());

  const double velocity = 3 / std::sqrt(2.0);
  const QString channel1 = "channel 1: " + threeDigits(velocity / (6.28318 * 1.5)) + " mum, " +
                           threeDigits(velocity) + " mum/s rms";
  EXPECT_TRUE(band.label().contains(channel1)) << band.label().toStdString();
  EXPECT_TRUE(band.label().contains("channel 2: ")) << band.label().toStdString();
  EXPECT_TRUE(band.label().contains("mean coherence (real): ")) << band.label().toStdString();
  EXPECT_TRUE(band.label().startsWith(band.edgeText(band.low()) + " .. " +
                                      band.edgeText(band.high()) + " Hz, "));

  // A hidden channel leaves the label.
  w.ch[1]->click();
  EXPECT_FALSE(band.label().contains("channel 2: "));
  w.ch[1]->click();

  // The label follows the next file: twice the amplitude, twice the rms.
  w.flb->setCurrentRow(1);
  EXPECT_TRUE(band.label().contains("channel 1: " + threeDigits(2 * velocity / (6.28318 * 1.5))))
      << band.label().toStdString();
}

TEST_F(BandCursorTest, ThePooledCoherenceStandsInWhileAveraging) {
  Display& w = *window;
  w.chav->click();
  w.flb->setCurrentRow(1);
  ASSERT_EQ(w.analysisState().pooledCount, 2);
  shiftDrag(w.ZEPL4, 1.4, 1.6);  // the rms plot selects the same band
  EXPECT_TRUE(w.band->bandCursor->isShadedOn(w.ZEPL1));
  // gamma^2 is 1 on line 90 and 0 on the band's other lines, which carry no signal.
  const std::size_t lines =
      analysis::bandFigures(w.analysisState(), w.band->bandCursor->low(),
                            w.band->bandCursor->high(), 60, analysis::BandCoherence::Pooled)
          .lineCount;
  ASSERT_GT(lines, 5u);
  EXPECT_TRUE(w.band->bandCursor->label().contains("mean gamma^2 (pooled, n = 2): " +
                                                   threeDigits(1.0 / static_cast<double>(lines))))
      << w.band->bandCursor->label().toStdString();
  // Unticking "with averaging" restarts the average: the label leaves the pooled coherence.
  w.chav->click();
  EXPECT_FALSE(w.band->bandCursor->label().contains("pooled"))
      << w.band->bandCursor->label().toStdString();
}

TEST_F(BandCursorTest, APlainClickOrEscapeClearsTheBand) {
  Display& w = *window;
  shiftDrag(w.ZEPL1, 1.0, 2.0);
  send(w.ZEPL1, QEvent::MouseButtonPress, 5.0, Qt::LeftButton, Qt::NoModifier);
  send(w.ZEPL1, QEvent::MouseButtonRelease, 5.0, Qt::NoButton, Qt::NoModifier);
  EXPECT_FALSE(w.band->bandCursor->hasBand());
  EXPECT_FALSE(w.band->bandCursor->isShadedOn(w.ZEPL1));
  EXPECT_FALSE(w.band->mbandback->isEnabled());

  shiftDrag(w.ZEPL1, 1.0, 2.0);
  ASSERT_TRUE(w.band->bandCursor->hasBand());
  QKeyEvent escape(QEvent::KeyPress, Qt::Key_Escape, Qt::NoModifier);
  QCoreApplication::sendEvent(w.ZEPL1->plot(), &escape);
  EXPECT_FALSE(w.band->bandCursor->hasBand());
}

TEST_F(BandCursorTest, BackFftOfThisBandFillsTheBoxesAndRunsTheTransformation) {
  Display& w = *window;
  w.band->bandCursor->setBand(1.2344, 1.7);
  w.band->mbandback->trigger();
  EXPECT_EQ(w.tf1->text(), "1.234");
  EXPECT_EQ(w.tf2->text(), "1.700");
  const int rms = static_cast<int>(std::lround(1000 * 3 / (1.5 * 6.28318) / std::sqrt(2.0)));
  EXPECT_EQ(w.ZEPL5->Caption(),
            QString("displacement data (mum) versus time(s), rms1:   %1nm ,rms2: %1nm").arg(rms));
  EXPECT_TRUE(w.mdispdisp->isEnabled());

  // A band without the line transforms nothing.
  w.band->bandCursor->setBand(2, 3);
  w.band->mbandback->trigger();
  EXPECT_EQ(w.ZEPL5->Caption(), "displacement data (mum) versus time(s), rms1:   0nm ,rms2: 0nm");
}

TEST_F(BandCursorTest, EdgesAreRoundedAnewForARecordOfAnotherLength) {
  Display& w = *window;
  w.band->bandCursor->setBand(2.0, -0.5);  // edges in order, held at 0 Hz or above
  EXPECT_EQ(w.band->bandCursor->low(), 0);
  EXPECT_EQ(w.band->bandCursor->high(), 2.0);
  w.band->bandCursor->setBand(1.1661, 2.0);  // a 60 s record: lines 1/60 Hz apart, three decimals
  EXPECT_EQ(w.band->bandCursor->low(), 1.166);
  // A 6 s record (ten-digit name): lines 1/6 Hz apart, two decimals. The band shown and the
  // band computed and transformed are the same: 1.17 .. 2.00 Hz holds the lines 1.333 .. 1.833 Hz.
  dir.write("2612080101.csvz", spectrumText(1501, 6, [](int) { return Coefficients{1, 0, 1, 0}; }));
  w.dirlb_Click();
  w.flb->setCurrentItem(w.flb->findItems("2612080101.csvz", Qt::MatchExactly).value(0));
  ASSERT_EQ(w.analysisState().nSamples, 3000);
  EXPECT_EQ(w.band->bandCursor->edgeDecimals(), 2);
  EXPECT_EQ(w.band->bandCursor->low(), 1.17);
  EXPECT_EQ(w.band->bandCursor->high(), 2.0);
  EXPECT_TRUE(w.band->bandCursor->label().startsWith("1.17 .. 2.00 Hz"))
      << w.band->bandCursor->label().toStdString();
  EXPECT_TRUE(w.band->bandCursor->label().contains("4 lines"))
      << w.band->bandCursor->label().toStdString();
  w.band->mbandback->trigger();
  EXPECT_EQ(w.tf1->text(), "1.17");
}

}  // namespace
}  // namespace viewer
