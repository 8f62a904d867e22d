#include "viewer/plots/zepl.h"

#include "viewer/plots/plot_export.h"

#include <gtest/gtest.h>

#include <qcustomplot.h>

#include <QDir>
#include <QFile>
#include <QImage>
#include <QSignalSpy>
#include <vector>

namespace ZEPLLib {
namespace {

TEST(ZEPL, SpectraPairFromLineZeroAndTimeSeriesFromSampleOne) {
  ZEPL plot;
  const std::vector<double> y{10, 11, 12, 13, 14}, x{0, 1, 2, 3, 4};
  plot.setForeColor(255);
  plot.AddCurve(y, x, 3, 3);
  const std::vector<float> time{0, 0.5f, 1.0f};
  plot.setXMax(6);
  plot.setForeColor(0x808080);
  plot.AddCurve(y, time, 4, 60);  // past the stored time axis: r / 4 x 6
  ASSERT_EQ(plot.CurveCount(), 2);
  const ZEPL::Curve spectrum = plot.CurveAt(0);
  EXPECT_EQ(spectrum.color, 255);
  EXPECT_EQ(spectrum.x, (QVector<double>{0, 1, 2}));
  EXPECT_EQ(spectrum.y, (QVector<double>{10, 11, 12}));
  const ZEPL::Curve series = plot.CurveAt(1);
  EXPECT_EQ(series.color, 0x808080);
  EXPECT_EQ(series.x, (QVector<double>{0.5, 1.0, 4.5, 6.0}));
  EXPECT_EQ(series.y, (QVector<double>{11, 12, 13, 14}));
  plot.ClearCurves();
  EXPECT_EQ(plot.CurveCount(), 0);
}

TEST(ZEPL, NeverReadsPastAnArray) {
  ZEPL plot;
  const std::vector<double> y{1, 2}, x{0, 1, 2};
  plot.AddCurve(y, x, 100, 100);
  plot.AddCurve(y, std::vector<float>{0, 1}, 100, 60);
  EXPECT_EQ(plot.CurveAt(0).x.size(), 2);
  EXPECT_EQ(plot.CurveAt(1).x.size(), 1);  // sample 1 only: y has indices 0 and 1
}

TEST(ZEPL, PropertiesKeepTheirValuesAndLogAxesStayDrawable) {
  ZEPL plot;
  plot.setAxisType(3);
  plot.setYMin(0);
  plot.setYMax(10);
  plot.setXMin(-1);
  plot.setXMax(100);
  EXPECT_EQ(plot.AxisType(), 3);
  EXPECT_EQ(plot.YMin(), 0);
  EXPECT_EQ(plot.XMin(), -1);
  const QCPRange y = plot.plot()->yAxis->range();
  EXPECT_GT(y.lower, 0);
  EXPECT_EQ(y.upper, 10);
  EXPECT_GT(plot.plot()->xAxis->range().lower, 0);
  EXPECT_EQ(plot.plot()->yAxis->scaleType(), QCPAxis::stLogarithmic);
  plot.setCaption("coherence");
  EXPECT_EQ(plot.Caption(), "coherence");
  plot.setFrameStyle(0);
  EXPECT_EQ(plot.FrameStyle(), 0);
  plot.setToolTipText("tip");
  EXPECT_EQ(plot.ToolTipText(), "tip");
}

TEST(ZEPL, CursorLineAndMouseMovesInAxisUnits) {
  ZEPL plot;
  plot.resize(400, 300);
  plot.setXMin(0);
  plot.setXMax(100);
  plot.plot()->replot();
  plot.SetCursor(true, 42, 0);
  EXPECT_TRUE(plot.cursorShown());
  EXPECT_EQ(plot.cursorX(), 42);
  QSignalSpy moves(&plot, &ZEPL::CursorMove);
  const double pixel = plot.plot()->xAxis->coordToPixel(25);
  QMouseEvent move(QEvent::MouseMove, QPointF(pixel, 100), QPointF(pixel, 100), Qt::NoButton,
                   Qt::NoButton, Qt::NoModifier);
  QCoreApplication::sendEvent(plot.plot(), &move);
  ASSERT_EQ(moves.count(), 1);
  EXPECT_NEAR(moves.at(0).at(0).toDouble(), 25, 0.5);
}

TEST(ZEPL, ExportsItsCurvesAsCsvAndItselfAsImages) {
  ZEPL plot;
  plot.resize(300, 200);
  plot.setCurveNames({{255, "channel 1"}});
  const std::vector<double> x{0, 1, 2}, y{5, 6, 7};
  plot.setForeColor(255);
  plot.AddCurve(y, x, 3, 3);
  plot.setForeColor(0x123456);
  plot.AddCurve(y, x, 2, 2);
  EXPECT_EQ(plot.curvesAsCsv(),
            "\"channel 1 x\",\"channel 1\",\"curve 2 x\",\"curve 2\"\n"
            "0,5,0,5\n1,6,1,6\n2,7,,\n");

  const QString dir = QDir::tempPath() + "/zepl-export-test";
  QDir().mkpath(dir);
  ASSERT_TRUE(plot.saveImage(dir + "/plot.png"));
  const QImage image(dir + "/plot.png");
  EXPECT_GE(image.width(), plot.plot()->width());
  ASSERT_TRUE(plot.saveImage(dir + "/plot.pdf"));
  QFile pdf(dir + "/plot.pdf");
  ASSERT_TRUE(pdf.open(QIODevice::ReadOnly));
  EXPECT_EQ(pdf.read(4), "%PDF");
  QDir(dir).removeRecursively();
}

// Any plot of the program exports its graphs the same way: each graph by its name, shorter graphs
// padded with empty cells.
TEST(ZEPL, AnyPlotExportsItsGraphsAsCsv) {
  QCustomPlot plot;
  plot.addGraph()->setData({1, 2}, {0.5, 1e-9});
  QCPGraph* named = plot.addGraph();
  named->setName("median, channel 1");
  named->setData({1, 2, 4}, {3, 4, 1.0 / 3});
  EXPECT_EQ(viewer::graphsAsCsv(plot),
            "\"Graph 1 x\",\"Graph 1\",\"median, channel 1 x\",\"median, channel 1\"\n"
            "1,0.5,1,3\n2,1.0000000000000001e-09,2,4\n,,4,0.33333333333333331\n");
  EXPECT_EQ(viewer::graphsAsCsv(plot, [](int i) { return i == 0 ? QString("first") : QString(); }),
            viewer::graphsAsCsv(plot).replace("Graph 1", "first"));
  QCustomPlot empty;
  EXPECT_EQ(viewer::graphsAsCsv(empty), "\n");
}

}  // namespace
}  // namespace ZEPLLib
