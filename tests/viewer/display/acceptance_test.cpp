// Whole-program runs through the window: the sample series end to end, and a directory of
// hostile files. The command-line tools are run as separate programs.
#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <map>
#include <sstream>

#include "analysis/record/averaging.h"
#include "analysis/record/file_analysis.h"
#include "tests/support/temp_dir.h"
#include "viewer/display/display.h"
#include "viewer/display/temp_directory.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;

void run(const std::string& command) {
  ASSERT_EQ(std::system(command.c_str()), 0) << command;
}

std::string quoted(const fs::path& path) {
  return "'" + path.string() + "'";
}

std::string readFile(const fs::path& path) {
  std::ifstream in(path, std::ios::binary);
  std::ostringstream text;
  text << in.rdbuf();
  return text.str();
}

// Every file of a directory with its contents and permissions.
std::map<std::string, std::pair<std::string, fs::perms>> snapshot(const fs::path& dir) {
  std::map<std::string, std::pair<std::string, fs::perms>> files;
  for (const auto& entry : fs::directory_iterator(dir)) {
    files[entry.path().filename().string()] = {readFile(entry.path()),
                                               entry.status().permissions()};
  }
  return files;
}

void select(Display& w, const QString& name) {
  const auto found = w.flb->findItems(name, Qt::MatchExactly);
  ASSERT_EQ(found.size(), 1) << name.toStdString();
  w.flb->setCurrentItem(found.first());
}

// Starts the loop with averaging on the selected file and ticks until it stops; returns every
// status text seen on the way.
QStringList runAveragingLoop(Display& w) {
  w.chav->setChecked(true);
  w.chav_Click();
  w.cloop_Click();
  QStringList statuses;
  for (int tick = 0; tick < 1000 && w.cloop->text() == "Stop"; ++tick) {
    w.Timer1_Timer();
    statuses << w.statusText();
  }
  return statuses;
}

TEST(Acceptance, SampleSeriesEndToEnd) {
  testing_support::TempDir dir;
  run(std::string(MAKE_SAMPLES) + " " + quoted(dir.path()) + " --series 60");
  Display w(QString::fromStdString(dir.path().string()));
  w.show();
  select(w, "26120801.csvz");
  runAveragingLoop(w);
  EXPECT_EQ(w.analysisState().kCount, 60);
  EXPECT_EQ(w.analysisState().kvCount, 60);
  EXPECT_EQ(w.flb->currentItem()->text(), "26120860.csvz");

  w.tausgabe->setText(QString::fromStdString((dir.path() / "av-window.csv").string()));
  w.cspeichern_Click();
  std::string files;
  for (int i = 1; i <= 60; ++i) {
    files += " " + quoted(dir.path() / (QString::asprintf("261208%02d.csvz", i).toStdString()));
  }
  run(std::string(PSD_ANALYZE) + " --average --first-name 26120801.csvz --save-average " +
      quoted(dir.path() / "av-cli.csv") + files + " 2>/dev/null");
  EXPECT_EQ(readFile(dir.path() / "av-window.csv"), readFile(dir.path() / "av-cli.csv"));

  // The saved average taken in with averaging on, then stored as the reference.
  w.ofile[3]->setChecked(true);
  w.ofile_Click(3);
  const double mean = w.analysisState().psd1[100];
  select(w, "av-window.csv");
  EXPECT_EQ(w.analysisState().kvCount, 120);
  EXPECT_NEAR(w.analysisState().psd1[100], mean, 1e-12 * mean);
  w.cref_Click();
  EXPECT_EQ(w.lref->text(), "av-window.csv");

  // A band of the last file back-transformed, as psd-analyze does it.
  select(w, "26120860.csvz");
  w.tf1->setText("0.1");
  w.tf2->setText("10");
  w.crück_Click();
  run(std::string(PSD_ANALYZE) + " --back-transform 0.1 10 --bt-csv " +
      quoted(dir.path() / "bt-cli.csv") + " " + quoted(dir.path() / "26120860.csvz") +
      " >/dev/null 2>&1");
  EXPECT_EQ(readFile(fs::path(QDir::tempPath().toStdString()) / "backtransformation.csv"),
            readFile(dir.path() / "bt-cli.csv"));
  EXPECT_TRUE(w.ZEPL5->Caption().startsWith("displacement data (mum) versus time(s), rms1:   "));

  // Every view.
  for (QAction* item :
       {w.mdispraw, w.mdispdisp, w.mdispcoh, w.mdisppsd, w.mintegral, w.mlinf, w.mlinamp,
        w.mautoscaleamp, w.mrawauto, w.mcohabs, w.mcohimag, w.mcohreal}) {
    item->trigger();
  }
  EXPECT_TRUE(w.mdispcoh->isChecked());
  EXPECT_TRUE(w.mdisppsd->isChecked());
  EXPECT_EQ(w.ZEPL1->AxisType(), 0);
  select(w, "26120859.csvz");
  EXPECT_EQ(w.ZEPL1->CurveCount(), 4);
  // The loop above averaged it: shown, not added again.
  EXPECT_EQ(w.statusText().toStdString(), "26120859.csvz: already in the average");
}

TEST(Acceptance, HostileFilesAreRefusedAndNothingIsHarmed) {
  testing_support::TempDir dir;
  run(std::string(MAKE_SAMPLES) + " " + quoted(dir.path()) + " --hostile");
  const auto before = snapshot(dir.path());
  const fs::path protectedResult =
      fs::path(QDir::tempPath().toStdString()) / "backtransformation.csv";
  {
    std::ofstream(protectedResult) << "keep";
    fs::permissions(protectedResult, fs::perms::owner_read);
  }

  Display w(QString::fromStdString(dir.path().string()));
  w.show();
  w.chstop->setChecked(false);
  w.mdispraw_Click();  // the raw data is read only while it is shown during a run
  select(w, "26120801.csvz");
  const QString seen = runAveragingLoop(w).join('\n');
  EXPECT_EQ(w.flb->currentItem()->text(), "Av1.csvz");  // the loop stops at a non-measurement
  for (const char* bad : {"26121101.csvz", "26121102.csvz", "26121103.csvz", "26121104.csvz",
                          "26121105.csvz", "26121106.csvz", "av0count40000.csvz"}) {
    EXPECT_TRUE(seen.contains(bad)) << bad;
  }
  EXPECT_TRUE(seen.contains("26121107.prn"));
  EXPECT_TRUE(seen.contains("26121108.prn"));

  // The average is the average of the good files alone.
  const std::string goodList = readFile(dir.path() / "good-files.txt");
  std::istringstream names(goodList);
  analysis::AnalysisState expected;
  analysis::FileAnalysis core;
  bool first = true;
  int good = 0;
  for (std::string name; std::getline(names, name);) {
    core.analyzeFile(expected, dir.path(), name, {.averaging = !first});
    if (first) analysis::restartAverage(expected);
    first = false;
    ++good;
  }
  EXPECT_EQ(w.analysisState().kvCount, good);
  for (std::size_t q = 1; q <= 1500; ++q) {
    ASSERT_DOUBLE_EQ(w.analysisState().sumPsd1[q], expected.sumPsd1[q]) << q;
  }

  w.tausgabe->setText(QString::fromStdString((dir.path() / "av-readonly.csv").string()));
  w.cspeichern_Click();
  EXPECT_TRUE(w.statusText().contains("is write-protected"));
  select(w, "26120803.csvz");
  w.crück_Click();
  EXPECT_TRUE(w.statusText().contains("backtransformation.csv is write-protected"));
  EXPECT_TRUE(w.crück->isEnabled());
  EXPECT_EQ(readFile(protectedResult), "keep");
  fs::permissions(protectedResult, fs::perms::owner_all);
  fs::remove(protectedResult);

  EXPECT_EQ(snapshot(dir.path()), before);  // no file changed, added or deleted
}

TEST(Acceptance, PsdAnalyzeReportsTheRawDataFailureOfEveryFile) {
  testing_support::TempDir dir;
  run(std::string(MAKE_SAMPLES) + " " + quoted(dir.path()) + " --series 3");
  fs::remove(dir.path() / "26120801.prn");
  dir.write("26120802.prn", "header\r\n1 2 3 four 5 6 7 8 9 10 11 12 13 14\r\n");
  const auto errors = dir.path() / "errors.txt";
  const std::string files = quoted(dir.path() / "26120801.csvz") + " " +
                            quoted(dir.path() / "26120802.csvz") + " " +
                            quoted(dir.path() / "26120803.csvz");
  // The last file's raw data is sound: the run succeeds, and says what it could not read.
  run(std::string(PSD_ANALYZE) + " --raw-csv " + quoted(dir.path() / "raw.csv") + " " + files +
      " 2>" + quoted(errors));
  const std::string said = readFile(errors);
  EXPECT_NE(said.find("psd-analyze: 26120801.prn: cannot be opened"), std::string::npos) << said;
  EXPECT_NE(said.find("psd-analyze: 26120802.prn: line 2: 'four' is not a number"),
            std::string::npos)
      << said;
  EXPECT_EQ(said.find("26120803.prn"), std::string::npos) << said;
  // A failure of the last file's raw data still fails the run.
  const std::string lastFails = std::string(PSD_ANALYZE) + " --raw-csv " +
                                quoted(dir.path() / "raw.csv") + " " +
                                quoted(dir.path() / "26120801.csvz") + " 2>/dev/null";
  EXPECT_NE(std::system(lastFails.c_str()), 0);
}

TEST(Acceptance, PsdAnalyzeRefusesABandBeyondSinglePrecisionAndWritesNothing) {
  testing_support::TempDir dir;
  // Channel 2 at 1e39 on line 1: read as a double, it cannot be packed in single precision.
  dir.write("12345678.csvz", "ft2\r\n0,0,0,0,0\r\n1,1,0,1e39,0\r\n2,1,0,1,0\r\n");
  const auto errors = dir.path() / "errors.txt";
  const std::string command = std::string(PSD_ANALYZE) + " --back-transform 0.1 100 --velocity " +
                              "--bt-csv " + quoted(dir.path() / "bt.csv") + " " +
                              quoted(dir.path() / "12345678.csvz") + " 2>" + quoted(errors);
  EXPECT_NE(std::system(command.c_str()), 0);
  EXPECT_FALSE(fs::exists(dir.path() / "bt.csv"));
  EXPECT_NE(readFile(errors).find("psd-analyze: 12345678.csvz: line 1 (1 Hz): channel 2 does not "
                                  "fit single precision; nothing written"),
            std::string::npos)
      << readFile(errors);
}

}  // namespace
}  // namespace viewer
