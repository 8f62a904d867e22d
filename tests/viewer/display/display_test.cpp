#include "viewer/display/display.h"

#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QGroupBox>
#include <QLabel>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <QtTest/QTest>
#include <filesystem>

#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"

namespace viewer {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

std::string spectrum(double a) {
  return spectrumText(1501, 60, [a](int k) { return Coefficients{a * k, 1, a, -a * k}; });
}

std::string rawData(int samples) {
  std::string text = "header\r\n";
  for (int r = 1; r <= samples; ++r) {
    for (int c = 1; c <= 14; ++c) text += std::to_string((r * c) % 97) + (c < 14 ? " " : "\r\n");
  }
  return text;
}

class DisplayTest : public ::testing::Test {
 protected:
  DisplayTest() {
    dir.write("11111111.csvz", spectrum(1));
    dir.write("11111111.prn", rawData(3000));
    dir.write("22222222.csvz", spectrum(2));
    dir.write("33333333xxx.csvz", spectrum(3));
    dir.write("44444444.csvn", spectrum(4));
    dir.write("55555555.csvz", "ft2\r\n0,0,0,0,0\r\n0.1,1,oops,1,1\r\n");
    dir.write("66666666.cswz", spectrum(5));
    dir.write("Av1.csvz", spectrum(6));
    dir.write("av.csv", "1,\"t\"\r\nf,psd1,psd2,coh\r\n1,2,3,0.5\r\n");
    window = std::make_unique<Display>(QString::fromStdString(dir.path().string()));
    window->show();
    QApplication::processEvents();
  }

  void select(const QString& name) {
    const auto found = window->flb->findItems(name, Qt::MatchExactly);
    ASSERT_EQ(found.size(), 1) << name.toStdString();
    window->flb->setCurrentItem(found.first());
  }

  QStringList listed() const {
    QStringList names;
    for (int i = 0; i < window->flb->count(); ++i) names << window->flb->item(i)->text();
    return names;
  }

  static QVector<int> colours(const ZEPLLib::ZEPL* plot) {
    QVector<int> result;
    for (int i = 0; i < plot->CurveCount(); ++i) result << plot->CurveAt(i).color;
    return result;
  }

  testing_support::TempDir dir;
  std::unique_ptr<Display> window;
};

TEST_F(DisplayTest, StartsWithTheDescribedControlsAndNothingRead) {
  Display& w = *window;
  EXPECT_EQ(w.windowTitle(), "PSD display");
  EXPECT_TRUE(w.ZEPL1->isVisible());
  EXPECT_TRUE(w.ZEPL2->isVisible());
  for (auto* hidden : {w.ZEPL3, w.ZEPL4, w.ZEPL5}) EXPECT_FALSE(hidden->isVisible());
  EXPECT_EQ(w.ZEPL3->geometry(), QRect(w.ZEPL2->pos(), QSize(w.ZEPL1->width(), 121)));
  EXPECT_EQ(w.ZEPL4->geometry(), w.ZEPL1->geometry());
  EXPECT_EQ(w.ZEPL1->geometry(), QRect(192, 120, 465, 321));
  EXPECT_EQ(w.flb->geometry(), QRect(0, 120, 177, 84));
  EXPECT_EQ(w.ch[3]->geometry(), QRect(88, 32, 81, 17));
  EXPECT_GT(w.fzähler->x(), w.centralWidget()->width());  // beyond the start client area
  EXPECT_EQ(w.vscrohmax[1]->pos(), w.vscrohmax[0]->pos());
  EXPECT_EQ(w.ZEPL1->YMin(), 1e-9);
  EXPECT_EQ(w.ZEPL1->YMax(), 10000);
  EXPECT_EQ(w.ZEPL1->Caption(), "power spectral density (mum^2/Hz) versus frequency (Hz)");
  EXPECT_EQ(w.ZEPL5->Caption(), "displacement data (mum) versus time(s)");

  EXPECT_EQ(w.filePattern(), "*.csvz");
  EXPECT_EQ(listed(), (QStringList{"11111111.csvz", "22222222.csvz", "33333333xxx.csvz",
                                   "55555555.csvz", "Av1.csvz"}));
  EXPECT_EQ(w.flb->currentRow(), -1);
  EXPECT_EQ(w.analysisState().nSamples, 0);

  EXPECT_TRUE(w.mdispcoh->isChecked());
  EXPECT_TRUE(w.mdisppsd->isChecked());
  EXPECT_FALSE(w.mdispdisp->isEnabled());
  EXPECT_FALSE(w.mcpace->isEnabled());
  EXPECT_TRUE(w.mcohreal->isChecked());
  EXPECT_TRUE(w.mrawauto->isChecked() && w.mrawoffset->isChecked());
  EXPECT_FALSE(w.mautoscaleamp->isChecked());
  EXPECT_EQ(w.mfilename->text(), "filename");
  EXPECT_EQ(w.tausgabe->text(), QDir::tempPath() + "/av.csv");
  EXPECT_TRUE(w.crück->toolTip().contains("\"backtransformation.csv\""));
  EXPECT_EQ(w.hsstop->value(), 60);
  EXPECT_FALSE(w.Timer1->isActive());
  EXPECT_EQ(w.Timer1->interval(), 250);
  EXPECT_EQ(w.analysisState().startWidth, w.width() * 15);
  EXPECT_EQ(w.analysisState().startPlotHeight, 4815);
}

TEST_F(DisplayTest, SelectingAFileDrawsTheCoreArraysInOrderAndColour) {
  select("11111111.csvz");
  Display& w = *window;
  const analysis::AnalysisState& s = w.analysisState();
  EXPECT_EQ(s.nSamples, 3000);
  EXPECT_EQ(s.nPlot, 1200);
  EXPECT_EQ(w.mfilename->text(), "11111111xxx.csvz");
  EXPECT_EQ(w.lk->text(), "k = 0");
  EXPECT_EQ(w.lkv->text(), "kv = 0");
  EXPECT_TRUE(w.crück->isEnabled());
  EXPECT_EQ(w.statusText(), "");

  EXPECT_EQ(colours(w.ZEPL1), (QVector<int>{0x8080FF, 0x808080, 255, 0}));
  EXPECT_EQ(colours(w.ZEPL4), (QVector<int>{0x8080FF, 0x808080, 255, 0}));
  EXPECT_EQ(colours(w.ZEPL2), (QVector<int>{0xFFC0C0, 0xC00000}));
  EXPECT_EQ(colours(w.ZEPL3), (QVector<int>{255, 0}));

  // The curves are the numbers of the core run on the same file, computed independently.
  analysis::AnalysisState expected;
  analysis::FileAnalysis core;
  core.analyzeFile(expected, dir.path(), "11111111.csvz", {});
  const ZEPLLib::ZEPL::Curve psd1 = w.ZEPL1->CurveAt(2);
  ASSERT_EQ(psd1.y.size(), 1200);
  for (int i = 0; i < 1200; ++i) {
    ASSERT_EQ(psd1.x[i], expected.freq[static_cast<std::size_t>(i)]);
    ASSERT_EQ(psd1.y[i], expected.psd1[static_cast<std::size_t>(i)]);
  }
  EXPECT_EQ(w.ZEPL4->CurveAt(3).y[500], expected.rmsCut2[500]);
  EXPECT_EQ(w.ZEPL2->CurveAt(1).y[7], expected.coh[7]);
  const ZEPLLib::ZEPL::Curve raw1 = w.ZEPL3->CurveAt(0);
  ASSERT_EQ(raw1.y.size(), 3000);
  EXPECT_EQ(raw1.x[0], static_cast<double>(s.rawTime[1]));
  EXPECT_EQ(raw1.y[2999], s.raw1[3000]);
  EXPECT_EQ(w.ZEPL1->XMax(), 100);
  EXPECT_EQ(w.ZEPL3->XMax(), 60);
}

TEST_F(DisplayTest, EveryClickRunsTheAnalysisOnceAlsoOnTheSelectedEntry) {
  Display& w = *window;
  w.chav->setChecked(true);
  const QRect second = w.flb->visualItemRect(w.flb->item(1));
  QTest::mouseClick(w.flb->viewport(), Qt::LeftButton, {}, second.center());
  EXPECT_EQ(w.flb->currentRow(), 1);
  EXPECT_EQ(w.analysisState().kvCount, 1);
  // The second click runs the analysis too, which finds the record in the average already.
  QTest::mouseClick(w.flb->viewport(), Qt::LeftButton, {}, second.center());
  EXPECT_TRUE(w.statusText().endsWith(w.flb->item(1)->text() + ": already in the average"))
      << w.statusText().toStdString();
  EXPECT_EQ(w.analysisState().kvCount, 1);
  w.flb->setCurrentRow(0);
  EXPECT_EQ(w.analysisState().kvCount, 2);
  EXPECT_EQ(w.lkv->text(), "kv = 2");
}

TEST_F(DisplayTest, ANameThatIsNoMeasurementStopsTheLoopAndKeepsThePlots) {
  select("11111111.csvz");
  Display& w = *window;
  w.cloop->setText("Stop");
  w.cspeichern->setEnabled(false);
  w.Timer1->start();
  select("Av1.csvz");
  EXPECT_EQ(w.statusText(), "Av1.csvz: not a measurement; the loop stopped");
  EXPECT_EQ(w.cloop->text(), "Start");
  EXPECT_FALSE(w.Timer1->isActive());
  EXPECT_TRUE(w.cspeichern->isEnabled());
  EXPECT_EQ(w.ZEPL1->CurveCount(), 4);
  EXPECT_EQ(w.mfilename->text(), "11111111xxx.csvz");
  EXPECT_EQ(w.analysisState().nSamples, 3000);
}

TEST_F(DisplayTest, ARefusedFileChangesNothingButTheStatusLine) {
  select("11111111.csvz");
  Display& w = *window;
  const std::uint64_t before = analysis_testing::fingerprint(w.analysisState());
  const QVector<double> shown = w.ZEPL1->CurveAt(2).y;
  select("55555555.csvz");
  EXPECT_EQ(w.statusText(), "55555555.csvz: line 3: 'oops' is not a number");
  EXPECT_EQ(analysis_testing::fingerprint(w.analysisState()), before);
  EXPECT_EQ(w.ZEPL1->CurveAt(2).y, shown);
  EXPECT_EQ(w.mfilename->text(), "11111111xxx.csvz");
}

TEST_F(DisplayTest, ChannelBoxesRedrawAllPlotsFromTheState) {
  select("11111111.csvz");
  Display& w = *window;
  w.ch[1]->setChecked(false);
  w.ch_Click(1);
  EXPECT_EQ(colours(w.ZEPL1), (QVector<int>{0x8080FF, 0x808080, 255}));
  EXPECT_EQ(colours(w.ZEPL2), (QVector<int>{0xFFC0C0}));  // coherence needs both channels
  EXPECT_EQ(colours(w.ZEPL3), (QVector<int>{255}));
  EXPECT_EQ(colours(w.ZEPL5), (QVector<int>{255}));
  w.ch[1]->setChecked(true);
  w.ch[2]->setChecked(false);
  w.ch_Click(2);
  EXPECT_EQ(colours(w.ZEPL4), (QVector<int>{0x808080, 255, 0}));
  EXPECT_EQ(colours(w.ZEPL2), (QVector<int>{0xC00000}));
  for (QCheckBox* box : w.ch) box->setChecked(false);
  w.ch_Click(0);
  for (auto* plot : {w.ZEPL1, w.ZEPL2, w.ZEPL3, w.ZEPL4, w.ZEPL5}) EXPECT_EQ(plot->CurveCount(), 0);
}

TEST_F(DisplayTest, ComponentAndExtensionChoicesSetThePattern) {
  Display& w = *window;
  w.ofile[3]->setChecked(true);
  w.ofile_Click(3);
  EXPECT_EQ(w.filePattern(), "*.csv");
  EXPECT_TRUE(listed().contains("44444444.csvn"));
  EXPECT_TRUE(listed().contains("av.csv"));
  w.chcsw->setChecked(true);
  w.chcsw_Click();
  EXPECT_EQ(listed(), (QStringList{"66666666.cswz"}));
  w.ofile[1]->setChecked(true);
  w.ofile_Click(1);
  EXPECT_EQ(w.filePattern(), "*.cswn");
  EXPECT_TRUE(listed().isEmpty());
}

TEST_F(DisplayTest, RenamingMarksAVetoAndTheSecondRenameTakesItBack) {
  Display& w = *window;
  select("11111111.csvz");
  w.mfilename_Click();
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "11111111xxx.csvz"));
  EXPECT_FALSE(std::filesystem::exists(dir.path() / "11111111.csvz"));
  EXPECT_EQ(w.flb->currentItem()->text(), "11111111xxx.csvz");
  EXPECT_EQ(w.mfilename->text(), "11111111.csvz");  // the selection was analysed again
  w.mfilename_Click();
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "11111111.csvz"));
  EXPECT_EQ(w.mfilename->text(), "11111111xxx.csvz");
}

TEST_F(DisplayTest, ARenameNeverOverwritesAndNeedsASelection) {
  Display& w = *window;
  w.mfilename_Click();
  EXPECT_EQ(w.statusText(), "rename: no file is selected");
  dir.write("22222222xxx.csvz", "keep me");
  w.dirlb_Click();  // re-read the directory
  select("22222222.csvz");
  w.mfilename_Click();
  EXPECT_EQ(w.statusText(),
            "rename: 22222222xxx.csvz already exists; 22222222.csvz keeps its name");
  EXPECT_EQ(dir.read("22222222xxx.csvz"), "keep me");
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "22222222.csvz"));
  // An average file has no veto name: the caption left from another file is not applied to it.
  w.ofile[3]->setChecked(true);
  w.ofile_Click(3);
  select("av.csv");
  w.mfilename_Click();
  EXPECT_EQ(w.statusText(), "rename: no new name is proposed for av.csv");
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "av.csv"));
}

TEST_F(DisplayTest, TabbingIntoTheFileListAnalysesNothingTheArrowKeysDo) {
  Display& w = *window;
  w.chav->setChecked(true);
  w.activateWindow();
  ASSERT_TRUE(QTest::qWaitForWindowActive(&w));
  w.flb->setFocus(Qt::TabFocusReason);
  QApplication::processEvents();
  ASSERT_TRUE(w.flb->hasFocus());
  EXPECT_EQ(w.flb->currentRow(), -1);
  EXPECT_EQ(w.analysisState().nSamples, 0);
  EXPECT_EQ(w.analysisState().kvCount, 0);
  QTest::keyClick(w.flb, Qt::Key_Down);  // a real choice: the first entry
  EXPECT_EQ(w.flb->currentRow(), 0);
  EXPECT_EQ(w.analysisState().nSamples, 3000);
  EXPECT_EQ(w.analysisState().kvCount, 1);
  QTest::keyClick(w.flb, Qt::Key_Down);
  EXPECT_EQ(w.flb->currentRow(), 1);
  EXPECT_EQ(w.analysisState().kvCount, 2);
}

TEST_F(DisplayTest, HiddenFilesAreNotListed) {
  Display& w = *window;
  dir.write(".12121212.csvz", spectrum(7));
  w.dirlb_Click();
  EXPECT_FALSE(listed().contains(".12121212.csvz"));
  EXPECT_EQ(listed().size(), 5);
}

TEST_F(DisplayTest, UpperCaseExtensionsAreRenamedAndFindTheirRawData) {
  Display& w = *window;
  dir.write("77777777.CSVZ", spectrum(7));
  dir.write("77777777.PRN", rawData(3000));
  w.dirlb_Click();
  select("77777777.CSVZ");
  EXPECT_EQ(w.statusText(), "");
  EXPECT_EQ(w.ZEPL3->CurveCount(), 2);  // the raw traces of 77777777.PRN
  EXPECT_EQ(w.mfilename->text(), "77777777xxx.CSVZ");
  w.mfilename_Click();
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "77777777xxx.CSVZ"));
  ASSERT_NE(w.flb->currentItem(), nullptr);
  EXPECT_EQ(w.flb->currentItem()->text(), "77777777xxx.CSVZ");  // still listed and selected
  EXPECT_EQ(w.mfilename->text(), "77777777.CSVZ");
  w.mfilename_Click();
  EXPECT_TRUE(std::filesystem::exists(dir.path() / "77777777.CSVZ"));
}

TEST_F(DisplayTest, TheCountersStayReadableAndCoverNoPlotAtEverySize) {
  Display& w = *window;
  select("11111111.csvz");
  w.chav->setChecked(true);
  w.chav_Click();
  const QSize start = w.size();
  const QRect startFrame = w.fzähler->geometry();
  const auto onWindow = [&w](const QWidget* widget) {
    return QRect(widget->mapTo(&w, QPoint(0, 0)), widget->size());
  };
  for (const QSize larger :
       {QSize(0, 0), QSize(1, 0), QSize(0, 1), QSize(100, 0), QSize(40, 300), QSize(900, 500)}) {
    SCOPED_TRACE(larger.width() * 1000 + larger.height());
    w.resize(start + larger);
    QApplication::processEvents();
    for (const QLabel* counter : {w.lk, w.lkv}) {
      EXPECT_TRUE(counter->isVisible());
      EXPECT_TRUE(w.rect().contains(onWindow(counter)));
      EXPECT_GE(counter->width(), counter->fontMetrics().horizontalAdvance("kv = 32767"));
    }
    EXPECT_FALSE(onWindow(w.lk).intersects(onWindow(w.lkv)));
    for (const QWidget* plot : {w.ZEPL1, w.ZEPL2, w.ZEPL3, w.ZEPL4, w.ZEPL5}) {
      if (!plot->isVisible()) continue;
      for (const QWidget* counter : {static_cast<QWidget*>(w.fzähler), static_cast<QWidget*>(w.lk),
                                     static_cast<QWidget*>(w.lkv)}) {
        if (counter->isVisible()) {
          EXPECT_FALSE(onWindow(counter).intersects(onWindow(plot)));
        }
      }
    }
  }
  EXPECT_EQ(w.lk->text(), "k = 1");
  EXPECT_EQ(w.lkv->text(), "kv = 1");
  w.resize(start);  // the empty frame keeps its place beyond the start client area, hidden
  QApplication::processEvents();
  EXPECT_EQ(w.fzähler->geometry(), startFrame);
  EXPECT_FALSE(w.fzähler->isVisible());
}

TEST_F(DisplayTest, ThePlotsStretchWithTheWindowAndTheStartSizeIsTheMinimum) {
  Display& w = *window;
  const QSize start = w.size();
  const int stripHeight = w.ZEPL2->height();
  const QRect psd = w.ZEPL1->geometry();
  const int barTop = w.vscpsdmin->y();
  w.resize(start.width() + 100, start.height() + 40);  // 1500 and 600 twips
  QApplication::processEvents();
  for (auto* plot : {w.ZEPL1, w.ZEPL2, w.ZEPL3, w.ZEPL4, w.ZEPL5}) {
    EXPECT_EQ(plot->width(), psd.width() + 100) << plot->objectName().toStdString();
  }
  EXPECT_EQ(w.ZEPL1->height(), psd.height() + 40);
  EXPECT_EQ(w.ZEPL4->height(), psd.height() + 40);
  for (auto* strip : {w.ZEPL2, w.ZEPL3, w.ZEPL5}) EXPECT_EQ(strip->height(), stripHeight);
  EXPECT_EQ(w.vscpsdmin->y(), barTop + 40);

  w.resize(start.width() + 100, start.height() - 30);
  QApplication::processEvents();
  EXPECT_EQ(w.size(), start);
  EXPECT_EQ(w.ZEPL1->geometry(), psd);
  EXPECT_EQ(w.vscpsdmin->y(), barTop);
}

}  // namespace
}  // namespace viewer
