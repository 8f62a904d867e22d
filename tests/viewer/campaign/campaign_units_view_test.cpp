// The campaign window following the main window's "units" menu, offscreen: three records of
// constant coefficients c1 = 1, 2, 3 (60 s), whose one-sided velocity density is |c1|^2 x 60 / 2 =
// 30, 120 and 270 (mum/s)^2/Hz on every line, so the median of every bin is 120.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QApplication>
#include <QListWidget>
#include <QSignalSpy>
#include <QtTest/QTest>
#include <chrono>
#include <cmath>
#include <filesystem>

#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"
#include "viewer/campaign/campaign_window.h"
#include "viewer/campaign/density_plot.h"
#include "viewer/campaign/percentile_plot.h"
#include "viewer/campaign/spectrogram_plot.h"
#include "viewer/display/campaign_opening.h"
#include "viewer/display/display.h"
#include "viewer/display/units/units_view.h"

namespace viewer {
namespace {

class CampaignUnitsViewTest : public ::testing::Test {
 protected:
  CampaignUnitsViewTest() {
    for (int a : {1, 2, 3}) {
      const std::string name = "0508" + std::to_string(10 + a) + "00.csvz";
      dir.write(name, analysis_testing::spectrumText(1501, 60, [a](int) {
                  return analysis_testing::Coefficients{double(a), 0, 1, 0};
                }));
      std::filesystem::last_write_time(
          dir.path() / name, std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    }
    window = std::make_unique<Display>(QString::fromStdString(dir.path().string()));
    window->show();
    QApplication::processEvents();
    window->campaign->mstatistics->trigger();
    campaign = window->campaign->campaignWindow();
    EXPECT_TRUE(
        QTest::qWaitFor([this] { return !campaign->running() && campaign->timeView(); }, 20000));
  }

  // Triggers a menu item and waits for the campaign window's plots to follow.
  void choose(QAction* item) {
    QSignalSpy ready(campaign, &CampaignWindow::timeViewReady);
    item->trigger();
    WAIT_UNTIL(!ready.isEmpty() && !campaign->timeViewPending(), 20000);
  }

  testing_support::TempDir dir;
  std::unique_ptr<Display> window;
  CampaignWindow* campaign = nullptr;
};

TEST_F(CampaignUnitsViewTest, PlotsAndTheirDataFollowTheUnitsMenu) {
  window->flb->setCurrentRow(0);  // a record on the PSD plot, for its "Copy data"
  QApplication::processEvents();
  UnitsView& units = *window->units;
  choose(units.mvelocity);
  choose(units.mdecibels);
  choose(units.mperiod);
  const QString title = "velocity PSD\ndB re 1 (m/s)^2/Hz\none-sided";
  QCustomPlot& percentiles = *campaign->percentiles()->plot();
  EXPECT_EQ(percentiles.yAxis->label(), title);
  EXPECT_EQ(percentiles.xAxis->label(), "period, s");
  const QCPGraph* median = percentiles.graph(1);  // channel 1's
  ASSERT_GT(median->dataCount(), 50);
  const auto& bins = campaign->shown()->statistics.bins;
  ASSERT_EQ(median->dataCount(), static_cast<int>(bins.size()));
  for (int i = 0; i < median->dataCount(); ++i) {
    const double period = median->data()->at(i)->key;
    EXPECT_NEAR(median->data()->at(i)->value, 10 * std::log10(120e-12), 1e-5) << period;
  }
  // Sorted by period: the longest at the right is the lowest bin's.
  EXPECT_DOUBLE_EQ(median->data()->at(median->dataCount() - 1)->key, 1 / bins.front().fCentre);
  EXPECT_EQ(campaign->density()->plot()->yAxis->label(), title);
  EXPECT_TRUE(campaign->spectrogram()->colourMap()->colorScale()->axis()->label().startsWith(
      title + ", channel 1"));
  EXPECT_TRUE(campaign->percentiles()->dataAsCsv().startsWith(
      "f_low[Hz],f_high[Hz],f_centre[Hz],period[s],n1,p5_1[dB re 1 (m/s)^2/Hz]"));
  EXPECT_TRUE(campaign->density()->dataAsCsv().startsWith(
      "f_centre[Hz],period[s],db[dB re 1 (m/s)^2/Hz],fraction1"));
  EXPECT_TRUE(window->ZEPL1->curvesAsCsv().contains(" x[s]\",\""))
      << window->ZEPL1->curvesAsCsv().left(200).toStdString();
  EXPECT_TRUE(window->ZEPL1->curvesAsCsv().contains("[dB re 1 (m/s)^2/Hz]\""));

  choose(units.mrecorded);
  EXPECT_EQ(percentiles.yAxis->label(), "PSD (mum^2/Hz)");
  EXPECT_EQ(median->data()->at(0)->key, bins.front().fCentre);
  EXPECT_EQ(median->data()->at(0)->value, bins.front().channel1.p50);
  EXPECT_TRUE(campaign->percentiles()->dataAsCsv().startsWith("f_low,f_high,f_centre,n1,"));
  EXPECT_FALSE(window->ZEPL1->curvesAsCsv().contains("[s]"));
}

}  // namespace
}  // namespace viewer
