// The campaign window in time, offscreen: records named by their start times, drawn against time
// with a gap, a night selection compared with the day, checked against the core's statistics of
// exactly those records computed directly and against start times worked out with timegm.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QApplication>
#include <QListWidget>
#include <QSignalSpy>
#include <QtTest/QTest>
#include <chrono>
#include <ctime>
#include <filesystem>

#include "analysis/campaign/campaign.h"
#include "tests/support/pdf_text.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "tests/support/wait_until.h"
#include "viewer/campaign/campaign_window.h"
#include "viewer/campaign/criteria_grid.h"
#include "viewer/campaign/criteria_view.h"
#include "viewer/campaign/percentile_plot.h"
#include "viewer/campaign/report_saving.h"
#include "viewer/campaign/selection_worker.h"
#include "viewer/campaign/spectrogram_plot.h"
#include "viewer/campaign/timeline_plot.h"
#include "viewer/display/campaign_opening.h"
#include "viewer/display/display.h"

namespace viewer {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

struct Record {
  std::string name;
  std::int64_t start;  // timegm of its start
  int hour;
};

// Hourly records from Friday 2026-05-08 18:00 to Saturday 05:00, none from 06:00 to 08:00, then
// 09:00 to 14:00: 18 records over 21 hours.
std::vector<Record> records() {
  std::vector<Record> made;
  for (int h = 0; h < 21; ++h) {
    if (h >= 12 && h < 15) continue;  // the gap
    std::tm t{};
    t.tm_year = 126;
    t.tm_mon = 4;
    t.tm_mday = 8;
    t.tm_hour = 18 + h;
    const std::time_t start = timegm(&t);  // normalises the hour into the next day
    std::tm n{};
    gmtime_r(&start, &n);
    char name[32];
    std::snprintf(name, sizeof name, "%02d%02d%02d00.csvz", n.tm_mon + 1, n.tm_mday, n.tm_hour);
    made.push_back({name, start, n.tm_hour});
  }
  return made;
}

bool isNight(const Record& r) {
  return r.hour >= 22 || r.hour < 6;
}

class CampaignTimeTest : public ::testing::Test {
 protected:
  CampaignTimeTest() {
    int i = 0;
    for (const Record& r : records()) {
      const double a = isNight(r) ? 1 : 3 + i++ % 4;  // nights quieter
      dir.write(r.name, spectrumText(1501, 60, [a](int k) {
                  return Coefficients{a * (1 + k % 7), 0.5 * a, a, 0.25 * (k % 11)};
                }));
      // Written an hour ago: the campaign takes it at once.
      std::filesystem::last_write_time(
          dir.path() / r.name,
          std::filesystem::file_time_type::clock::now() - std::chrono::hours(1));
    }
    window = std::make_unique<Display>(QString::fromStdString(dir.path().string()));
    window->show();
    QApplication::processEvents();
    window->campaign->mstatistics->trigger();
    campaign = window->campaign->campaignWindow();
    // A constructor cannot return early: the wait is checked, the test goes on.
    EXPECT_TRUE(
        QTest::qWaitFor([this] { return !campaign->running() && campaign->timeView(); }, 20000));
  }

  void select(const analysis::TimeSelection& selection,
              std::optional<analysis::TimeSelection> compare) {
    QSignalSpy ready(campaign, &CampaignWindow::timeViewReady);
    campaign->setTimeSelection(selection, compare);
    WAIT_UNTIL(!ready.isEmpty() && !campaign->timeViewPending(), 20000);
  }

  // The statistics of these records alone, computed by the core directly.
  analysis::CampaignStatistics direct(bool night) const {
    analysis::Campaign only;
    std::vector<analysis::CampaignEntry> entries;
    for (const Record& r : records()) {
      if (isNight(r) == night) entries.push_back({dir.path(), r.name});
    }
    only.append(entries);
    only.computePending({.threads = 1});
    return only.statistics();
  }

  static void expectMedians(const QCPGraph* graph, const analysis::CampaignStatistics& expected) {
    QVector<double> f, y;
    for (const auto& bin : expected.bins) {
      if (bin.channel1.p50 > 0) {
        f << bin.fCentre;
        y << bin.channel1.p50;
      }
    }
    ASSERT_EQ(graph->dataCount(), f.size()) << graph->name().toStdString();
    for (int i = 0; i < f.size(); ++i) {
      EXPECT_EQ(graph->data()->at(i)->key, f[i]);
      EXPECT_EQ(graph->data()->at(i)->value, y[i]);
    }
  }

  testing_support::TempDir dir;
  std::unique_ptr<Display> window;
  CampaignWindow* campaign = nullptr;
};

// Only the records drawn set the spectrogram's time grid: a refused record that names a start
// months away adds no column, so the drawn ones keep their hour-wide cells.
TEST(CampaignTimeView, ARefusedRecordSetsNoColumnOfTheGrid) {
  std::vector<analysis::CampaignFile> files;
  for (const char* name : {"05080000.csvz", "05080100.csvz", "05080200xxx.csvz", "12310000.csvz"}) {
    analysis::CampaignFile file;
    file.name = name;
    file.status = files.size() == 2   ? analysis::CampaignStatus::Vetoed
                  : files.size() == 3 ? analysis::CampaignStatus::Refused
                                      : analysis::CampaignStatus::Used;
    file.modified = analysis::parseIsoDateTime("2026-06-01");
    files.push_back(file);
  }
  auto snapshot = std::make_shared<CampaignSnapshot>();
  snapshot->files = std::make_shared<const std::vector<analysis::CampaignFile>>(std::move(files));
  SelectionWorker::Index index;
  const SharedTimeView view = SelectionWorker::compute({.snapshot = snapshot}, index);
  ASSERT_TRUE(view->starts.start[3]);  // 2025-12-31: a start, but no column
  EXPECT_EQ(view->grid.cell, 3600);
  EXPECT_EQ(view->grid.columns, 3);
  EXPECT_EQ(view->grid.columnOf, std::vector<int>({0, 1, 2, -1}));
}

TEST_F(CampaignTimeTest, ANightSelectionComparedWithTheDay) {
  const analysis::TimeSelection night{.hours = analysis::HoursOfDay{22 * 3600, 6 * 3600}};
  const analysis::TimeSelection day{.hours = analysis::HoursOfDay{6 * 3600, 22 * 3600}};
  select(night, day);
  const QCustomPlot* percentiles = campaign->percentiles()->plot();
  expectMedians(percentiles->graph(1), direct(true));   // channel 1 median: the selection's
  expectMedians(percentiles->graph(9), direct(false));  // its dashed comparison
  EXPECT_EQ(percentiles->graph(9)->pen().style(), Qt::DashLine);
  std::size_t nights = 0;
  for (const Record& r : records()) nights += isNight(r);
  EXPECT_EQ(campaign->percentiles()->title(),
            QStringLiteral("percentiles of %1 selected records, dashed: %2 compared records")
                .arg(nights)
                .arg(records().size() - nights));

  // The timeline against time: selected records in full colour, the others faded.
  const QCustomPlot* timeline = campaign->timeline()->plot();
  QVector<double> selected, faded;
  for (const Record& r : records()) (isNight(r) ? selected : faded) << static_cast<double>(r.start);
  const auto keys = [](const QCPGraph* graph) {
    QVector<double> k;
    for (auto it = graph->data()->constBegin(); it != graph->data()->constEnd(); ++it) k << it->key;
    return k;
  };
  EXPECT_EQ(keys(timeline->graph(0)), selected);
  EXPECT_EQ(keys(timeline->graph(4)), faded);
  EXPECT_TRUE(campaign->timeline()->timeAxisShown());
}

TEST_F(CampaignTimeTest, TheSpectrogramKeepsGapsEmptyAndAClickSelectsTheRecord) {
  SpectrogramPlot* spectrogram = campaign->spectrogram();
  ASSERT_TRUE(spectrogram->timeAxisShown());  // names give every start time
  QCPColorMapData* cells = spectrogram->colourMap()->data();
  ASSERT_EQ(cells->keySize(), 21);  // hourly cells from 18:00 to 14:00 the next day
  for (int column = 0; column < 21; ++column) {
    const bool gap = column >= 12 && column < 15;
    EXPECT_EQ(std::isnan(cells->cell(column, cells->valueSize() - 2)), gap) << column;
  }
  // A click in the middle of the column of Saturday 10:00 (column 16).
  const Record record = records()[13];
  ASSERT_EQ(record.name, "05091000.csvz");
  QCustomPlot* plot = spectrogram->plot();
  plot->replot(QCustomPlot::rpImmediateRefresh);
  const double x = plot->xAxis->coordToPixel(static_cast<double>(record.start) + 1800);
  const double y = plot->yAxis->coordToPixel(1);
  QTest::mouseClick(plot, Qt::LeftButton, Qt::NoModifier, QPoint(int(x), int(y)));
  ASSERT_NE(window->flb->currentItem(), nullptr);
  EXPECT_EQ(window->flb->currentItem()->text().toStdString(), record.name);

  // Position in the list: one column per file, as before.
  campaign->setTimeAxis(false);
  EXPECT_EQ(cells->keySize(), static_cast<int>(records().size()));
  EXPECT_FALSE(campaign->timeline()->timeAxisShown());
}

// The criteria view's grid has a cell for each hour a record starts in, none in the gap; a click
// on a cell makes that hour of that weekday the selection.
TEST_F(CampaignTimeTest, TheCriteriaGridShowsTheHoursRecordedAndAClickSelectsOne) {
  CriteriaGrid* grid = campaign->criteria()->grid();
  for (int hour = 0; hour < 24; ++hour) {
    const bool friday = hour >= 18, saturday = hour < 15 && (hour < 6 || hour >= 9);
    EXPECT_EQ(std::isnan(grid->percentAt(4, hour)), !friday) << hour;
    EXPECT_EQ(std::isnan(grid->percentAt(5, hour)), !saturday) << hour;
  }
  QSignalSpy ready(campaign, &CampaignWindow::timeViewReady);
  QCustomPlot* plot = grid->plot();
  plot->replot(QCustomPlot::rpImmediateRefresh);
  const QPoint cell(int(plot->xAxis->coordToPixel(2)), int(plot->yAxis->coordToPixel(6 - 5)));
  QTest::mouseClick(plot, Qt::LeftButton, Qt::NoModifier, cell);  // Saturday, 02:00
  WAIT_UNTIL(!ready.isEmpty() && !campaign->timeViewPending(), 20000);
  const SharedTimeView view = campaign->timeView();
  ASSERT_TRUE(view);
  EXPECT_EQ(view->selection.describe(), "02:00 to 03:00, sat");
  EXPECT_EQ(view->selectedUsed, 1u);
  EXPECT_EQ(view->compliance.records, 1u);
}

}  // namespace
}  // namespace viewer

namespace viewer {
namespace {

// "Save report..." writes what the window shows: the selection and the comparison with the
// records they take, and the gap of three hours missing between 05:00 and 09:00.
TEST_F(CampaignTimeTest, TheReportSaysTheSelectionTheComparisonAndTheGap) {
  const analysis::TimeSelection night{.hours = analysis::HoursOfDay{22 * 3600, 6 * 3600}};
  const analysis::TimeSelection day{.hours = analysis::HoursOfDay{6 * 3600, 22 * 3600}};
  select(night, day);
  ReportSaving* saving = campaign->reportSaving();
  QSignalSpy saved(saving, &ReportSaving::saved);
  const std::filesystem::path pdf = dir.path() / "night.pdf";
  ASSERT_TRUE(saving->save(QString::fromStdString(pdf.string())));
  EXPECT_FALSE(saving->save(QString::fromStdString(pdf.string())));  // still being written
  WAIT_UNTIL(!saved.isEmpty(), 20000);
  EXPECT_TRUE(saved.first().first().toBool());
  EXPECT_EQ(
      campaign->statusText(),
      QStringLiteral("report of 18 files saved as %1").arg(QString::fromStdString(pdf.string())));
  std::size_t nights = 0;
  for (const Record& r : records()) nights += isNight(r);
  const std::string text = testing_support::pdfText(pdf);
  for (const std::string& line :
       {std::string("records: 18: 18 used, 0 vetoed, 0 skipped, 0 refused"),
        "selection: 22:00 to 06:00: " + std::to_string(nights) + " of 18 used records",
        "compared with: 06:00 to 22:00: " + std::to_string(18 - nights) + " used records",
        std::string("2026-05-09T05:00:00 to 2026-05-09T09:00:00: 3 records missing (every "
                    "3600 s)")}) {
    EXPECT_NE(text.find(line), std::string::npos) << line << "\n" << text;
  }
}

}  // namespace
}  // namespace viewer
