// Work moved off the campaign window's GUI thread gives what it gave there: the spectrogram's
// cells of a long campaign computed on a thread of their own, and a long list prepared at once.
#include <gtest/gtest.h>
#include <qcustomplot.h>

#include <QFileInfo>
#include <QListWidget>
#include <QtTest/QTest>
#include <chrono>
#include <cmath>
#include <string>

#include "tests/support/temp_dir.h"
#include "tests/support/wait_until.h"
#include "viewer/campaign/afresh_list.h"
#include "viewer/campaign/campaign_source.h"
#include "viewer/campaign/campaign_window.h"
#include "viewer/campaign/selection_worker.h"
#include "viewer/campaign/spectrogram_plot.h"

namespace viewer {
namespace {

// kFiles records every 15 minutes from 1 January, named MMDDhhmm, with a day left out (a gap
// on the time axis); record i has PSD i + 1 + bin / 10 in channel 1 and twice that in 2.
constexpr int kFiles = 500;

SharedSnapshot snapshotOfDays() {
  std::vector<analysis::CampaignFile> files;
  for (int i = 0; i < kFiles; ++i) {
    const int minutes = i * 15 + (i >= 200 ? 1440 : 0);
    analysis::CampaignFile file;
    file.status = analysis::CampaignStatus::Used;
    file.firstBin = i % 3;
    for (int bin = 0; bin < 20; ++bin) {
      file.binned1.push_back(i + 1 + bin / 10.0);
      file.binned2.push_back(2 * (i + 1 + bin / 10.0));
    }
    char name[32];
    std::snprintf(name, sizeof name, "01%02d%02d%02d.csvz", 1 + minutes / 1440, minutes / 60 % 24,
                  minutes % 60);
    file.name = name;
    file.modified = 1798761600;  // 2027-01-01 00:00: the names are of 2026
    files.push_back(std::move(file));
  }
  auto snapshot = std::make_shared<CampaignSnapshot>();
  snapshot->files = std::make_shared<const std::vector<analysis::CampaignFile>>(std::move(files));
  return snapshot;
}

struct MapCase {
  const char* name;
  bool timeAxis;
  int channelAfter;  // the channel chosen at once after the campaign was shown
};

class SpectrogramOffThread : public testing::TestWithParam<MapCase> {};

TEST_P(SpectrogramOffThread, FillsTheSameMapAsOnTheGuiThread) {
  const MapCase& c = GetParam();
  const SharedSnapshot snapshot = snapshotOfDays();
  SelectionWorker::Index index;
  const analysis::StartTimeChoice fromNames{.source = analysis::StartSource::Name,
                                            .pattern = analysis::TimePattern::parse("MMDDhhmm")};
  const SharedTimeView view = SelectionWorker::compute({snapshot, fromNames, {}, {}}, index);
  ASSERT_TRUE(view->hasTimes());
  SpectrogramPlot onGui, offGui;
  offGui.setFilledOffThreadFrom(1);
  for (SpectrogramPlot* plot : {&onGui, &offGui}) {
    plot->setTimeAxis(c.timeAxis);
    plot->show(snapshot);
    plot->setTimeView(view);
    plot->setChannel(c.channelAfter);
  }
  EXPECT_FALSE(onGui.filling());
  EXPECT_TRUE(offGui.filling());
  WAIT_UNTIL(!offGui.filling(), 5000);

  QCPColorMapData* expected = onGui.colourMap()->data();  // cell() is not const
  QCPColorMapData* actual = offGui.colourMap()->data();
  ASSERT_EQ(actual->keySize(), expected->keySize());
  ASSERT_EQ(actual->valueSize(), expected->valueSize());
  EXPECT_EQ(actual->keyRange(), expected->keyRange());
  EXPECT_EQ(actual->valueRange(), expected->valueRange());
  for (int x = 0; x < expected->keySize(); ++x) {
    for (int y = 0; y < expected->valueSize(); ++y) {
      const double want = expected->cell(x, y), got = actual->cell(x, y);
      if (std::isnan(want)) {
        EXPECT_TRUE(std::isnan(got)) << x << "," << y;
      } else {
        EXPECT_EQ(got, want) << x << "," << y;
      }
    }
  }
  // Channel 2 is twice channel 1 everywhere: the colours span the channel chosen last.
  EXPECT_EQ(offGui.colourMap()->dataRange(), onGui.colourMap()->dataRange());
  EXPECT_DOUBLE_EQ(onGui.colourMap()->dataRange().lower, c.channelAfter * 1.0);
  EXPECT_EQ(offGui.plot()->xAxis->range(), onGui.plot()->xAxis->range());
  EXPECT_EQ(offGui.plot()->yAxis->range(), onGui.plot()->yAxis->range());
  EXPECT_EQ(offGui.plot()->xAxis->label(), onGui.plot()->xAxis->label());
  EXPECT_EQ(offGui.colourMap()->colorScale()->axis()->label(),
            onGui.colourMap()->colorScale()->axis()->label());
  const QCPRange keys = onGui.plot()->xAxis->range();
  for (double f : {0.01, 0.3, 0.5, 0.99}) {
    const double key = keys.lower + f * keys.size();
    EXPECT_EQ(offGui.fileAtKey(key), onGui.fileAtKey(key)) << f;
  }
}

INSTANTIATE_TEST_SUITE_P(AxesAndChannels, SpectrogramOffThread,
                         testing::Values(MapCase{"positions", false, 1}, MapCase{"time", true, 1},
                                         MapCase{"channelChangedWhileFilling", true, 2}),
                         [](const auto& info) { return std::string(info.param.name); });

// Prepared in one go, the list takes the names one at a time would take, with the same stamps,
// and the campaign holds exactly those, in the list's order.
TEST(AfreshList, TakesTheNamesTheArrivingFilesTakeAndTheirCampaign) {
  testing_support::TempDir dir;
  const QString directory = QString::fromStdString(dir.path().string());
  const auto now = std::chrono::file_clock::now();
  std::filesystem::last_write_time(dir.write("old.csvz", "1\n2\n"), now - std::chrono::hours(1));
  std::filesystem::last_write_time(dir.write("writing.csvz", "1\n"), now);
  std::filesystem::last_write_time(dir.write("older.csvz", "1\n"), now - std::chrono::hours(2));
  const QStringList listed = {"old.csvz", "writing.csvz", "gone.csvz", "older.csvz"};
  const QDateTime wallNow = QDateTime::currentDateTime();

  ArrivingFiles oneByOne;
  const QStringList expected = oneByOne.settled(listed, directory, wallNow, 0);
  const AfreshList list = prepareAfreshList(directory, listed, false, {}, wallNow, 0);
  EXPECT_EQ(list.settled, QStringList({"old.csvz", "gone.csvz", "older.csvz"}));
  EXPECT_EQ(list.settled, expected);
  QHash<QString, FileStamp> taken;  // as the window took them: a name gone without a stamp
  for (const QString& name : expected) taken.insert(name, oneByOne.stampsOfSettled().value(name));
  EXPECT_EQ(list.taken, taken);
  EXPECT_EQ(list.arriving.waitingCount(), 1);
  // Stamps in UTC are the instants QFileInfo gives in local time.
  const QFileInfo old(QString::fromStdString((dir.path() / "old.csvz").string()));
  EXPECT_EQ(list.taken.value("old.csvz").modified, old.lastModified());
  EXPECT_EQ(list.taken.value("old.csvz").size, 4);
  ASSERT_TRUE(list.campaign);
  ASSERT_EQ(list.campaign->files().size(), 3u);
  for (std::size_t i = 0; i < 3; ++i) {
    EXPECT_EQ(QString::fromStdString(list.campaign->files()[i].name), expected[i]);
    EXPECT_EQ(list.campaign->files()[i].status, analysis::CampaignStatus::Pending);
  }
}

// A directory's list, as the main window's.
class ListSource : public CampaignSource {
 public:
  explicit ListSource(QString directory) : directory_(std::move(directory)) {}
  QListWidget* fileList() const override { return &list_; }
  QString directory() const override { return directory_; }
  QString filePattern() const override { return "*.csvz"; }
  void analyseSelected() override {}

 private:
  QString directory_;
  mutable QListWidget list_;
};

// A list longer than the window prepares at once is prepared off the GUI thread: the campaign
// starts a moment later with the same files in the same order, and a file listed meanwhile is
// taken once that first run has ended, as when the list is short.
TEST(CampaignWindowOpening, ALongListGivesTheCampaignAShortOneGives) {
  for (const int files : {999, 1200}) {
    testing_support::TempDir dir;
    const auto settled = std::chrono::file_clock::now() - std::chrono::seconds(10);
    ListSource source(QString::fromStdString(dir.path().string()));
    QStringList names;
    for (int i = 0; i <= files; ++i) {
      const std::string name = std::to_string(10000000 + i) + ".csvz";
      std::filesystem::last_write_time(dir.write(name, "not a spectrum\n"), settled);
      names << QString::fromStdString(name);
    }
    source.fileList()->addItems(names.mid(0, files));
    CampaignWindow window(source, nullptr);
    EXPECT_EQ(window.running(), files <= 1000) << files;
    source.fileList()->addItem(names.last());  // listed while the first campaign starts
    WAIT_UNTIL(window.shown() &&
                   window.shown()->files->size() == static_cast<std::size_t>(names.size()) &&
                   !window.running(),
               20000);
    QStringList shown;
    for (const auto& file : *window.shown()->files) shown << QString::fromStdString(file.name);
    EXPECT_EQ(shown, names) << files;
    EXPECT_EQ(window.shown()->statistics.counts.refused, static_cast<std::size_t>(files + 1));
  }
}

}  // namespace
}  // namespace viewer
