#include <gtest/gtest.h>

#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QDir>
#include <QLineEdit>
#include <QListWidget>
#include <QPrinter>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QTimer>
#include <cmath>
#include <filesystem>
#include <fstream>

#include "analysis/transform/back_transformation.h"
#include "datafiles/back_transformation_file.h"
#include "tests/support/temp_dir.h"
#include "tests/support/test_files.h"
#include "viewer/display/display.h"
#include "viewer/display/temp_directory.h"

namespace viewer {
namespace {

using analysis_testing::Coefficients;
using analysis_testing::spectrumText;

// One line on channel 1: 2.5 Hz (line 150 of a 60 s record) with velocity amplitude 3 mum/s.
Coefficients oneLine(int k) {
  return k == 150 ? Coefficients{3, 0, 0, 0} : Coefficients{};
}

class ViewsTest : public ::testing::Test {
 protected:
  ViewsTest() {
    dir.write("11111111.csvz", spectrumText(1501, 60, oneLine));
    dir.write("2222222222.cswz", spectrumText(1501, 6, oneLine));
    window = std::make_unique<Display>(QString::fromStdString(dir.path().string()));
    window->show();
    QApplication::processEvents();
  }

  testing_support::TempDir dir;  // inside the tests' own temp directory
  std::unique_ptr<Display> window;
};

TEST_F(ViewsTest, BackTransformationInTheTempDirectoryWritesWhatPsdAnalyzeWrites) {
  Display& w = *window;
  ASSERT_TRUE(showsTempDirectory(w.directory()));
  w.flb->setCurrentRow(0);
  w.crück_Click();
  EXPECT_TRUE(w.crück->isEnabled());
  EXPECT_TRUE(w.mdispdisp->isEnabled());
  const int rms = static_cast<int>(std::lround(1000 * 3 / (2.5 * 6.28318) / std::sqrt(2.0)));
  EXPECT_EQ(w.ZEPL5->Caption(),
            QString("displacement data (mum) versus time(s), rms1:   %1nm ,rms2: 0nm").arg(rms));
  EXPECT_EQ(w.ZEPL5->CurveCount(), 2);
  EXPECT_EQ(w.ZEPL5->CurveAt(0).y.size(), 3000);

  // The file holds the halved traces before the offset correction, as psd-analyze writes them.
  analysis::AnalysisState core;
  analysis::FileAnalysis fileAnalysis;
  fileAnalysis.analyzeFile(core, dir.path(), "11111111.csvz", {});
  analysis::InverseTransform transform;
  analysis::backTransform(core, transform, {0.1, 100, true});
  const std::string expected =
      datafiles::formatBackTransformationFile(core.backTrans1.span(), core.backTrans2.span(), 3000);
  const auto written =
      std::filesystem::path(QDir::tempPath().toStdString()) / "backtransformation.csv";
  std::ifstream in(written, std::ios::binary);
  const std::string text((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  EXPECT_EQ(text, expected);
  EXPECT_EQ(std::count(text.begin(), text.end(), '\n'), 3002);

  // Autoscale: the displacement amplitude 0.19 mum rounds to limits of 0.
  EXPECT_EQ(w.ZEPL5->YMin(), 0);
  EXPECT_EQ(w.ZEPL5->YMax(), 0);

  w.orück[0]->setChecked(true);
  w.orück_Click(0);
  EXPECT_EQ(w.ZEPL5->Caption(), "displacement data (mum) versus time(s)");
  w.crück_Click();
  EXPECT_EQ(w.ZEPL5->Caption(), "back transformed raw data (mum) versus time(s)");
  EXPECT_EQ(w.ZEPL5->YMax(), 3);
  EXPECT_EQ(w.ZEPL5->YMin(), -3);
}

TEST_F(ViewsTest, ExtremesBeyondTheLimitBarsStillCompleteTheRun) {
  Display& w = *window;
  dir.write("33333333.csvz", spectrumText(1501, 60, [](int k) {
              return k == 150 ? Coefficients{20000, 0, 0, 0} : Coefficients{};
            }));
  w.dirlb_Click();
  w.flb->setCurrentRow(1);
  w.orück[0]->setChecked(true);  // velocity: traces of +-20000 mum/s
  w.crück_Click();
  EXPECT_EQ(w.ZEPL5->YMax(), 20000);
  EXPECT_EQ(w.ZEPL5->YMin(), -20000);
  EXPECT_EQ(w.vscrohmax[1]->value(), 0);  // the bars keep their values
  EXPECT_EQ(w.vscrohmin[1]->value(), 0);
  EXPECT_EQ(w.ZEPL5->CurveCount(), 2);
  EXPECT_TRUE(w.crück->isEnabled());
  EXPECT_TRUE(w.mdispdisp->isEnabled());
}

TEST_F(ViewsTest, ABandBeyondSinglePrecisionIsRefusedAndNothingChanges) {
  Display& w = *window;
  dir.write("33333333.csvz", spectrumText(1501, 60, [](int k) {
              return k == 150 ? Coefficients{3, 0, 1e39, 0} : Coefficients{};
            }));
  dir.write("44444444.csvz", "ft2\r\n0,0,0,0,0\r\n1e-300,1,0,1,0\r\n2,1,0,1,0\r\n");
  w.dirlb_Click();
  w.flb->setCurrentRow(0);
  w.crück_Click();  // a sound run first: its traces, title, limits and file must stay
  const auto written =
      std::filesystem::path(QDir::tempPath().toStdString()) / "backtransformation.csv";
  const auto contents = [&written] {
    std::ifstream in(written, std::ios::binary);
    return std::string((std::istreambuf_iterator<char>(in)), std::istreambuf_iterator<char>());
  };
  const std::string file = contents();
  const QString caption = w.ZEPL5->Caption();
  const QVector<double> trace = w.ZEPL5->CurveAt(0).y;
  const double yMin = w.ZEPL5->YMin(), yMax = w.ZEPL5->YMax();
  const int barMin = w.vscrohmin[1]->value(), barMax = w.vscrohmax[1]->value();

  const struct {
    int row;
    const char* low;
    bool velocity;
    const char* status;
  } cases[] = {
      {1, "0.1", true,
       "back transformation: 33333333.csvz: line 150 (2.5 Hz): channel 2 does not fit single "
       "precision; nothing written"},
      {2, "0", false,
       "back transformation: 44444444.csvz: line 1 (1E-300 Hz): channel 1 does not fit single "
       "precision; nothing written"},
  };
  for (const auto& c : cases) {
    SCOPED_TRACE(c.status);
    w.flb->setCurrentRow(c.row);
    const std::uint64_t analysed = analysis_testing::fingerprint(w.analysisState());
    w.tf1->setText(c.low);
    w.orück[c.velocity ? 0 : 1]->setChecked(true);
    w.crück_Click();
    EXPECT_EQ(w.statusText().toStdString(), c.status);
    EXPECT_TRUE(contents() == file);
    EXPECT_EQ(w.ZEPL5->Caption().toStdString(), caption.toStdString());
    ASSERT_EQ(w.ZEPL5->CurveCount(), 2);
    EXPECT_TRUE(w.ZEPL5->CurveAt(0).y == trace);
    EXPECT_EQ(w.ZEPL5->YMin(), yMin);
    EXPECT_EQ(w.ZEPL5->YMax(), yMax);
    EXPECT_EQ(w.vscrohmin[1]->value(), barMin);
    EXPECT_EQ(w.vscrohmax[1]->value(), barMax);
    EXPECT_EQ(analysis_testing::fingerprint(w.analysisState()), analysed);
    EXPECT_TRUE(w.crück->isEnabled());
    EXPECT_FALSE(w.mdispdisp->isEnabled());  // no result of this record to show
  }
  // Back on the first record, the same band gives the same traces and file again.
  w.flb->setCurrentRow(0);
  w.tf1->setText("0.1");
  w.orück[1]->setChecked(true);
  w.crück_Click();
  EXPECT_TRUE(w.ZEPL5->CurveAt(0).y == trace);
  EXPECT_TRUE(contents() == file);
}

TEST_F(ViewsTest, TheLoopIsHeldWhilePrinting) {
  Display& w = *window;
  dir.write("33333333.csvz", spectrumText(1501, 60, oneLine));
  w.dirlb_Click();
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString((dir.path() / "window.pdf").string()));
  for (const bool looping : {true, false}) {
    SCOPED_TRACE(looping);
    w.flb->setCurrentRow(0);
    if (looping) w.cloop_Click();
    w.Timer1->setInterval(0);  // a running loop would tick at every pass of the event loop
    ASSERT_TRUE(w.printWindow(printer));
    EXPECT_EQ(w.flb->currentRow(), 0);
    EXPECT_EQ(w.Timer1->isActive(), looping);
    EXPECT_EQ(w.cloop->text(), looping ? "Stop" : "Start");
    if (looping) w.cloop_Click();
  }
  // A click on the loop's button that the print's own event handling takes: no tick analyses
  // during the print, and afterwards the loop runs or stands as the click left it.
  for (const bool looping : {true, false}) {
    SCOPED_TRACE(looping);
    w.flb->setCurrentRow(0);
    if (looping) w.cloop_Click();
    w.Timer1->setInterval(0);
    QMetaObject::invokeMethod(w.cloop, "click", Qt::QueuedConnection);
    ASSERT_TRUE(w.printWindow(printer));
    EXPECT_EQ(w.flb->currentRow(), 0);
    EXPECT_EQ(w.Timer1->isActive(), !looping);
    EXPECT_EQ(w.cloop->text(), looping ? "Start" : "Stop");
    if (!looping) w.cloop_Click();
  }
}

// A cut frequency set by the program (the band's edges) shows its start in the narrow box.
TEST_F(ViewsTest, CutFrequenciesSetByTheProgramShowTheirStart) {
  Display& w = *window;
  for (QLineEdit* box : {w.tf1, w.tf2}) {
    box->setText("6.977");
    EXPECT_EQ(box->cursorPosition(), 0) << box->objectName().toStdString();
  }
}

TEST_F(ViewsTest, TheTempDirectoryTestIsCaseSensitive) {
  EXPECT_TRUE(showsTempDirectory(tempDirectory() + "/old"));
  EXPECT_FALSE(showsTempDirectory(tempDirectory().toUpper() + "/old"));
  EXPECT_FALSE(showsTempDirectory("/elsewhere"));
}

TEST_F(ViewsTest, WithoutARecordTheButtonSaysSoAndStaysUsable) {
  Display& w = *window;
  w.crück_Click();
  EXPECT_EQ(w.statusText(), "back transformation: no record is loaded");
  EXPECT_TRUE(w.crück->isEnabled());
  EXPECT_FALSE(w.mdispdisp->isEnabled());
}

TEST_F(ViewsTest, DisplaySwitchesAndANewAnalysisLeavesTheResultView) {
  Display& w = *window;
  w.mdisppsd_Click();  // checked: switches to the integral view
  EXPECT_TRUE(w.mintegral->isChecked());
  EXPECT_TRUE(w.ZEPL4->isVisible());
  EXPECT_FALSE(w.ZEPL1->isVisible());
  EXPECT_FALSE(w.vscpsdmax->isVisible());
  w.mintegral_Click();  // checked: back to the PSD
  EXPECT_TRUE(w.mdisppsd->isChecked());
  EXPECT_TRUE(w.ZEPL1->isVisible());
  w.mdispcoh_Click();  // already checked: stays
  EXPECT_TRUE(w.ZEPL2->isVisible());

  dir.write("33333333.csvz", spectrumText(1501, 60, oneLine));
  w.dirlb_Click();
  w.flb->setCurrentRow(0);
  w.crück_Click();
  w.mdispdisp_Click();
  EXPECT_TRUE(w.ZEPL5->isVisible());
  EXPECT_TRUE(w.vscrohmax[1]->isVisible());
  EXPECT_FALSE(w.vscrohmax[0]->isVisible());
  w.flb->setCurrentRow(1);
  EXPECT_TRUE(w.mdispraw->isChecked());
  EXPECT_TRUE(w.ZEPL3->isVisible());
  EXPECT_FALSE(w.mdispdisp->isEnabled());
}

TEST_F(ViewsTest, ScaleCasesAndShortRecords) {
  Display& w = *window;
  w.mlinf_Click();  // frequency linear, amplitude logarithmic
  for (auto* plot : {w.ZEPL1, w.ZEPL2, w.ZEPL4}) {
    EXPECT_EQ(plot->AxisType(), 1);
    EXPECT_EQ(plot->XMin(), 0);
    EXPECT_EQ(plot->XMax(), 100);
  }
  EXPECT_EQ(w.ZEPL1->YMin(), 1e-9);
  EXPECT_EQ(w.ZEPL4->YMin(), 1e-5);
  w.mlinamp_Click();
  EXPECT_EQ(w.ZEPL1->AxisType(), 0);
  EXPECT_EQ(w.ZEPL1->YMin(), 0);

  w.chcsw->setChecked(true);
  w.chcsw_Click();
  w.flb->setCurrentRow(0);
  ASSERT_EQ(w.analysisState().nameStemLength, 10);
  w.linlog();
  EXPECT_EQ(w.ZEPL2->XMax(), 250);
  w.mlinf_Click();  // frequency logarithmic again
  EXPECT_EQ(w.ZEPL2->AxisType(), 2);
  EXPECT_EQ(w.ZEPL4->XMin(), 0.1);
  EXPECT_EQ(w.ZEPL4->XMax(), 1000);
  emit w.ZEPL1->ScaleToggle();  // the same as "frequency linear"
  EXPECT_TRUE(w.mlinf->isChecked());
}

TEST_F(ViewsTest, LimitBars) {
  Display& w = *window;
  w.vscpsdmax->setValue(-9);  // not above the lower bar: no change
  EXPECT_EQ(w.ZEPL1->YMax(), 10000);
  w.vscpsdmax->setValue(-8);
  EXPECT_DOUBLE_EQ(w.ZEPL1->YMax(), 1e-8);

  const struct { int max, min, step; } spans[] = {{-10, 10, 1}, {-11, 10, 10}, {-101, 100, 100}};
  for (const auto& s : spans) {
    w.vscrohmin[0]->setValue(s.min);
    w.vscrohmax[0]->setValue(s.max);
    EXPECT_EQ(w.vscrohmax[0]->singleStep(), s.step);
    EXPECT_EQ(w.vscrohmin[0]->singleStep(), s.step);
  }
  w.ZEPL3->setYMin(-1);
  w.ZEPL3->setYMax(1);
  w.ZEPL5->setYMin(-1);
  w.ZEPL5->setYMax(1);
  w.vscrohmax[1]->setValue(-40);
  EXPECT_EQ(w.ZEPL5->YMax(), 40);
  EXPECT_EQ(w.ZEPL3->YMax(), 1);

  w.mautoscaleamp_Click();
  EXPECT_FALSE(w.vscpsdmax->isEnabled());
  w.mrawauto_Click();  // unchecked: the raw bars can be used
  EXPECT_TRUE(w.vscrohmax[0]->isEnabled());
}

TEST_F(ViewsTest, CursorReadouts) {
  Display& w = *window;
  w.flb->setCurrentRow(0);
  w.ZEPL1_CursorMove(2.5);
  EXPECT_TRUE(w.ZEPL2->cursorShown());
  EXPECT_EQ(w.ZEPL2->cursorX(), 2.5);
  const analysis::AnalysisState& s = w.analysisState();
  EXPECT_EQ(w.ZEPL1->ToolTipText(), "f: 2.500Hz,  K1: 2.19E0  K2: 0.00E0");
  EXPECT_DOUBLE_EQ(s.psd1[150], 9 / std::pow(2.5 * 6.28318, 2) * 60);
  w.cref_Click();
  w.ZEPL1_CursorMove(2.5);
  EXPECT_EQ(w.ZEPL1->ToolTipText(), "f: 2.500Hz,  K1: 2.19E0  K2: 0.00E0  R1: 2.19E0  R2: 0.00E0");
  w.ZEPL4_CursorMove(2.5);
  EXPECT_NEAR(s.rmsCut1[150], std::sqrt(s.psd1[150] / 60 / 2), 1e-15);
  const QString nm = "135.05";
  EXPECT_EQ(w.ZEPL4->ToolTipText(),
            "f: 2.50Hz,  K1: " + nm + "nm  K2: .nm  R1: " + nm + "nm  R2: .nm");
  w.ZEPL3_CursorMove(12.5);
  EXPECT_EQ(w.ZEPL3->ToolTipText(), "12.500");
}

TEST_F(ViewsTest, PrintingIntoAPdfRestoresTheWindow) {
  Display& w = *window;
  const QSize before = w.size();
  const auto pdf = dir.path() / "window.pdf";
  QPrinter printer(QPrinter::HighResolution);
  printer.setOutputFormat(QPrinter::PdfFormat);
  printer.setOutputFileName(QString::fromStdString(pdf.string()));
  w.ZEPL1->setFrameStyle(0);
  ASSERT_TRUE(w.printWindow(printer));
  EXPECT_EQ(w.size(), before);
  EXPECT_EQ(w.ZEPL1->FrameStyle(), 2);
  EXPECT_EQ(w.ZEPL2->FrameStyle(), 2);
  EXPECT_EQ(dir.read("window.pdf").substr(0, 4), "%PDF");
}

}  // namespace
}  // namespace viewer
