// The published reference curves in the window: the noise models on the PSD plot and the view
// of one-third-octave velocities against the vibration criteria, driven through the menus.
#include <gtest/gtest.h>

#include <qcustomplot.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QListWidget>
#include <QMenu>
#include <QScrollBar>
#include <cmath>

#include "analysis/standards/noise_models.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "viewer/campaign/campaign_window.h"
#include "viewer/campaign/percentile_plot.h"
#include "viewer/display/campaign_opening.h"
#include "viewer/display/display.h"
#include "viewer/display/reference_curves_view.h"
#include "viewer/plots/noise_model_curves.h"
#include "viewer/plots/plot_export.h"
#include "viewer/plots/readout_format.h"
#include "viewer/plots/third_octave_plot.h"

namespace viewer {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

// Channel 1: a tone at 12.5 Hz (line 750 of a 60 s record) whose band rms is 9.81 mum/s, and
// nothing else; channel 2 all zero. 3000 samples: lines 1 .. 1199 (up to 19.98 Hz) are drawn.
const double kToneAmplitude = 9.81 * std::sqrt(2.0);
Coefficients tone(int k) {
  return k == 750 ? Coefficients{kToneAmplitude, 0, 0, 0} : Coefficients{};
}

class ReferenceCurvesTest : public ::testing::Test {
 protected:
  ReferenceCurvesTest() {
    dir.write("11111111.csvz", spectrumText(1501, 60, tone));
    window = std::make_unique<Display>(QString::fromStdString(dir.path().string()));
    window->show();
    QApplication::processEvents();
  }

  // Selects the file list's row `row`, which must show `name`.
  void selectRow(int row, const QString& name) {
    ASSERT_GT(window->flb->count(), row);
    ASSERT_EQ(window->flb->item(row)->text(), name);
    window->flb->setCurrentRow(row);
  }

  QStringList curveNames() const {
    QStringList names;
    for (int i = 0; i < window->referenceCurves->thirdOctavePlot->curveCount(); ++i) {
      names << window->referenceCurves->thirdOctavePlot->curveAt(i).name;
    }
    return names;
  }

  testing_support::TempDir dir;
  std::unique_ptr<Display> window;
};

TEST_F(ReferenceCurvesTest, NoiseModelsUnderTheDataOfThePsdPlotUpToTenHertz) {
  Display& w = *window;
  QCustomPlot& plot = *w.ZEPL1->plot();
  EXPECT_FALSE(w.referenceCurves->mnoisemodels->isChecked());
  EXPECT_TRUE(noiseModelCurves(plot).isEmpty());

  w.referenceCurves->mnoisemodels->trigger();
  EXPECT_TRUE(w.referenceCurves->mnoisemodels->isChecked());
  const QList<QCPCurve*> curves = noiseModelCurves(plot);
  ASSERT_EQ(curves.size(), 2);
  const analysis::NoiseModel models[] = {analysis::NoiseModel::Low, analysis::NoiseModel::High};
  for (int c = 0; c < 2; ++c) {
    const auto* data = curves[c]->data().data();
    ASSERT_GT(data->size(), 100);
    EXPECT_EQ(curves[c]->pen().style(), Qt::DashLine);
    EXPECT_LT(curves[c]->layer()->index(), plot.layer("main")->index());  // under the data
    for (auto it = data->constBegin(); it != data->constEnd(); ++it) {
      ASSERT_LE(it->key, 10.0);
      ASSERT_GE(it->key, 1e-5);
      ASSERT_DOUBLE_EQ(it->value, *analysis::noiseModelPsd(models[c], it->key));
    }
    EXPECT_EQ((data->constEnd() - 1)->key, 10.0);  // up to 10 Hz exactly, not beyond
  }

  // A new file redraws the data curves and leaves the models; they are not data curves.
  selectRow(0, "11111111.csvz");
  EXPECT_EQ(w.ZEPL1->CurveCount(), 4);
  EXPECT_EQ(noiseModelCurves(plot).size(), 2);
  w.ch[1]->click();
  EXPECT_EQ(noiseModelCurves(plot).size(), 2);

  // The readout adds both models at the cursor, at or below 10 Hz only.
  const auto atCursor = [](double f) {
    return "  NLNM: " + scientificPattern(*analysis::noiseModelPsd(analysis::NoiseModel::Low, f)) +
           "  NHNM: " + scientificPattern(*analysis::noiseModelPsd(analysis::NoiseModel::High, f));
  };
  w.ZEPL1_CursorMove(2.5);
  EXPECT_EQ(w.ZEPL1->ToolTipText(), "f: 2.500Hz,  K1: 0.00E0  K2: 0.00E0" + atCursor(2.5));
  EXPECT_EQ(atCursor(2.5), "  NLNM: 7.03E-10  NHNM: 1.72E-4");
  w.ZEPL1_CursorMove(10);
  EXPECT_TRUE(w.ZEPL1->ToolTipText().endsWith(atCursor(10)));
  w.ZEPL1_CursorMove(10.01);
  EXPECT_FALSE(w.ZEPL1->ToolTipText().contains("NLNM"));

  w.referenceCurves->mnoisemodels->trigger();
  EXPECT_FALSE(w.referenceCurves->mnoisemodels->isChecked());
  EXPECT_TRUE(noiseModelCurves(plot).isEmpty());
  w.ZEPL1_CursorMove(2.5);
  EXPECT_EQ(w.ZEPL1->ToolTipText(), "f: 2.500Hz,  K1: 0.00E0  K2: 0.00E0");
}

// The campaign's percentiles are judged against the same models: the item draws them there too,
// in a window opened before or after it is checked.
TEST_F(ReferenceCurvesTest, NoiseModelsOnTheCampaignPercentilesFollowTheItem) {
  Display& w = *window;
  w.referenceCurves->mnoisemodels->trigger();
  w.campaign->mstatistics->trigger();
  ASSERT_NE(w.campaign->campaignWindow(), nullptr);
  QCustomPlot& percentiles = *w.campaign->campaignWindow()->percentiles()->plot();
  EXPECT_EQ(noiseModelCurves(percentiles).size(), 2);
  w.referenceCurves->mnoisemodels->trigger();
  EXPECT_TRUE(noiseModelCurves(percentiles).isEmpty());
  EXPECT_TRUE(noiseModelCurves(*w.ZEPL1->plot()).isEmpty());
  w.referenceCurves->mnoisemodels->trigger();
  EXPECT_EQ(noiseModelCurves(percentiles).size(), 2);
  w.campaign->campaignWindow()->close();
}

TEST(NoiseModelCurves, AnyPlotCanShowThemOnce) {
  QCustomPlot plot;
  plot.addGraph()->setData(QVector<double>{1, 2}, QVector<double>{3, 4});
  showNoiseModels(plot, true);
  showNoiseModels(plot, true);
  EXPECT_EQ(noiseModelCurves(plot).size(), 2);
  EXPECT_EQ(noiseModelCurves(plot).first()->name(), "NLNM");
  plot.clearGraphs();
  EXPECT_EQ(noiseModelCurves(plot).size(), 2);
  EXPECT_EQ(graphsAsCsv(plot), "\n");  // not in the graphs' data
  showNoiseModels(plot, false);
  EXPECT_TRUE(noiseModelCurves(plot).isEmpty());
  EXPECT_EQ(plot.plottableCount(), 0);
}

TEST_F(ReferenceCurvesTest, ThreeExclusiveViewsOfTheMainArea) {
  Display& w = *window;
  const auto shows = [&w](QWidget* plot) {
    EXPECT_EQ(w.ZEPL1->isVisible(), plot == w.ZEPL1);
    EXPECT_EQ(w.ZEPL4->isVisible(), plot == w.ZEPL4);
    EXPECT_EQ(w.referenceCurves->thirdOctavePlot->isVisible(),
              plot == w.referenceCurves->thirdOctavePlot);
    EXPECT_EQ(w.mdisppsd->isChecked(), plot == w.ZEPL1);
    EXPECT_EQ(w.mintegral->isChecked(), plot == w.ZEPL4);
    EXPECT_EQ(w.referenceCurves->mthirdoctave->isChecked(),
              plot == w.referenceCurves->thirdOctavePlot);
    EXPECT_EQ(w.vscpsdmax->isVisible(), plot == w.ZEPL1);
    EXPECT_EQ(w.vscpsdmin->isVisible(), plot == w.ZEPL1);
  };
  EXPECT_FALSE(w.referenceCurves->mthirdoctave->isChecked());
  shows(w.ZEPL1);
  w.referenceCurves->mthirdoctave->trigger();
  shows(w.referenceCurves->thirdOctavePlot);
  w.referenceCurves->mthirdoctave->trigger();  // already checked: stays
  shows(w.referenceCurves->thirdOctavePlot);
  w.mdisppsd->trigger();
  shows(w.ZEPL1);
  w.referenceCurves->mthirdoctave->trigger();
  w.mintegral->trigger();
  shows(w.ZEPL4);
  w.referenceCurves->mthirdoctave->trigger();
  w.mdisppsd_Click();  // called directly, as the analysis and tools may
  shows(w.ZEPL1);
  w.mdisppsd->trigger();  // the old switch between the two is as it was
  shows(w.ZEPL4);

  // The view takes the place and the size of the PSD plot.
  EXPECT_EQ(w.referenceCurves->thirdOctavePlot->geometry(), w.ZEPL1->geometry());
  w.resize(w.width() + 200, w.height() + 100);
  QApplication::processEvents();
  EXPECT_EQ(w.referenceCurves->thirdOctavePlot->size(), w.ZEPL1->size());
}

TEST_F(ReferenceCurvesTest, BandVelocitiesCriteriaAndVerdict) {
  Display& w = *window;
  w.referenceCurves->mthirdoctave->trigger();
  EXPECT_EQ(w.referenceCurves->thirdOctavePlot->title(),
            "rms velocity (mum/s) in one-third-octave bands versus frequency (Hz)");
  EXPECT_EQ(w.referenceCurves->thirdOctavePlot->labels(),
            (QStringList{"VC-A", "VC-B", "VC-C", "VC-D", "VC-E"}));

  selectRow(0, "11111111.csvz");
  EXPECT_EQ(w.referenceCurves->thirdOctavePlot->title().section('\n', 1),
            "channel 1: VC-C (limit 12.5 Hz: 9.81 of 12.5 mum/s, partly covered)\n"
            "channel 2: no signal");
  // No reference stored: only the channels, then the criteria over them.
  EXPECT_EQ(curveNames(),
            (QStringList{"channel 1", "channel 2", "VC-A", "VC-B", "VC-C", "VC-D", "VC-E"}));
  const ThirdOctavePlot::Curve channel1 = w.referenceCurves->thirdOctavePlot->curveAt(0);
  ASSERT_EQ(channel1.y.size(), 2);  // one band with energy: 11.2 .. 14.1 Hz
  EXPECT_NEAR(channel1.x[0], std::pow(10.0, 1.05), 1e-12);
  EXPECT_NEAR(channel1.x[1], std::pow(10.0, 1.15), 1e-12);
  EXPECT_NEAR(channel1.y[0], 9.81, 1e-6);
  EXPECT_EQ(channel1.color, 255);

  // The readout: band, both channels, the limit of each criterion shown that counts the band.
  w.referenceCurves->thirdOctavePlot_CursorMove(12.7);
  EXPECT_EQ(w.referenceCurves->thirdOctavePlot->toolTipText(),
            "band 12.5 Hz,  K1: 9.81  K2: 0 mum/s,  VC-A: 50  VC-B: 25  VC-C: 12.5  VC-D: 6.25  "
            "VC-E: 3.12 mum/s");
  w.referenceCurves->thirdOctavePlot_CursorMove(50);
  EXPECT_EQ(w.referenceCurves->thirdOctavePlot->toolTipText(),
            "band 50 Hz: not wholly inside the lines shown");

  // The criteria submenu chooses what is drawn; the verdict weighs every criterion.
  w.referenceCurves->mcriterion[4]->trigger();  // VC-A off
  w.referenceCurves->mcriterion[0]->trigger();  // workshop on
  EXPECT_FALSE(w.referenceCurves->mcriterion[4]->isChecked());
  EXPECT_EQ(w.referenceCurves->thirdOctavePlot->labels(),
            (QStringList{"workshop", "VC-B", "VC-C", "VC-D", "VC-E"}));
  w.referenceCurves->thirdOctavePlot_CursorMove(3);
  EXPECT_EQ(w.referenceCurves->thirdOctavePlot->toolTipText(),
            "band 3.15 Hz,  K1: 0  K2: 0 mum/s,  workshop: 2277  VC-C: 12.5  VC-D: 6.25  "
            "VC-E: 3.12 mum/s");

  // The channel boxes: channel 1 unticked leaves its curve and its verdict out.
  w.ch[0]->click();
  EXPECT_FALSE(curveNames().contains("channel 1"));
  EXPECT_EQ(w.referenceCurves->thirdOctavePlot->title().section('\n', 1), "channel 2: no signal");
  w.ch[0]->click();

  // A stored reference is drawn under the channels once the boxes redraw.
  w.cref_Click();
  w.ch[1]->click();
  EXPECT_EQ(curveNames().mid(0, 3), (QStringList{"reference 1", "reference 2", "channel 1"}));
  const QString csv = graphsAsCsv(*w.referenceCurves->thirdOctavePlot->plot());
  EXPECT_TRUE(csv.startsWith("\"reference 1 x\",\"reference 1\""));
  EXPECT_TRUE(csv.contains("\"VC-C x\",\"VC-C\""));
}

TEST_F(ReferenceCurvesTest, AnAverageFileIsJudgedLikeARecord) {
  Display& w = *window;
  // 9 mum/s in the 10 Hz band from one line's PSD: psd = 2 V^2 T / (2 pi f)^2 at 10 Hz.
  std::string text = "1,\"average\"\r\n\"f\",\"psd1\",\"psd2\",\"coh\"\r\n";
  for (int q = 1; q <= 1500; ++q) {
    const double psd = q == 600 ? 2 * 81 * 60 / std::pow(6.28318 * 10, 2) : 0;
    for (double v : {q / 60.0, psd, psd}) {
      datafiles::appendDouble(text, v);
      text += ',';
    }
    text += "1\r\n";
  }
  dir.write("av1.csvz", text);
  w.dirlb_Click();
  selectRow(1, "av1.csvz");
  w.referenceCurves->mthirdoctave->trigger();
  EXPECT_EQ(w.referenceCurves->thirdOctavePlot->title().section('\n', 1),
            "channel 1: VC-C (limit 10 Hz: 9 of 12.5 mum/s, partly covered)\n"
            "channel 2: VC-C (limit 10 Hz: 9 of 12.5 mum/s, partly covered)");
}

}  // namespace
}  // namespace viewer
