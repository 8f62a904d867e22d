// The main window "PSD display": file browser, control panels, menus and the five plots.
//
// Every handler is a public member named after its control and event, so that tests can call
// it directly. Handlers are plain member functions connected with function-pointer connects:
// some names are not ASCII, which Qt's moc cannot read.
//
// View and run state lives in the controls themselves (check marks, captions, enabled flags);
// handlers read them when they need them. The analysis state belongs to the window.
#pragma once

#include <QMainWindow>
#include <QMap>
#include <QPointer>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <vector>

#include "analysis/record/analysis_state.h"
#include "analysis/record/file_analysis.h"
#include "analysis/standards/third_octave.h"
#include "viewer/plots/zepl.h"

class QAction;
class QCheckBox;
class QComboBox;
class QGroupBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QListWidgetItem;
class QMenu;
class QPushButton;
class QRadioButton;
class QScrollBar;
class QTimer;
class QPrinter;

namespace viewer {

class BandCursor;
class ThirdOctavePlot;
class CampaignWindow;
class DirectoryWatch;

// (In a namespace: X11's headers, pulled in by QApplication, declare a global type Display.)
class Display : public QMainWindow {
 public:
  explicit Display(const QString& startDir, QWidget* parent = nullptr);
  ~Display() override;

  // Start-up: browser on the start directory, start sizes, hidden plots stacked on their
  // partners, PSD plot y range 1e-9 .. 10000. Runs once, from the constructor.
  void Form_Load();
  // Stretches the plots with the window; a size below the start size is undone.
  void Form_Resize();

  // The analysis of the file selected in flb (runs on every change of the selection).
  void flb_Click();
  // Redraws all five plots from the analysis state, as the channel boxes now ask.
  void ch_Click(int index);

  // Batch loop, averaging, saving and references.
  void cloop_Click();
  void Timer1_Timer();
  void stopBatchLoop();
  void hsstop_Change();
  void chav_Click();
  void restartAverage();
  void cspeichern_Click();
  void cref_Click();

  // File browser and renaming.
  void drilb_Change();
  void dirlb_Change();
  void dirlb_Click();
  void chcsw_Click();
  void ofile_Click(int index);
  void mfilename_Click();
  void mexit_Click();

  // Back transformation of a band of the current record.
  void crück_Click();
  void orück_Click(int index);

  // Scales.
  void mlinf_Click();
  void mlinamp_Click();
  void linlog();
  void mautoscaleamp_Click();
  void mcal1_Click();
  void mcal2_Click();
  void mrawauto_Click();
  void mrawoffset_Click();
  void mcohreal_Click();
  void mcohimag_Click();
  void mcohabs_Click();
  // "magnitude-squared, pooled": while checked the coherence plot shows the coherence pooled
  // over the averaged records with its chance level, and the other three items are unchecked;
  // unchecking it returns to the item checked before.
  void mcohmsc_Click();
  void vscpsdmax_Change();
  void vscpsdmin_Change();

  // Cursor readouts (x in axis units).
  void ZEPL1_CursorMove(double x);
  void ZEPL3_CursorMove(double x);
  void ZEPL4_CursorMove(double x);
  void ZEPL5_CursorMove(double x);
  // The coherence plot reads only while it shows the pooled coherence.
  void ZEPL2_CursorMove(double x);

  // "back FFT of this band" (right-click menu of the PSD and rms plots): the band's edges into
  // tf1 and tf2, then the back transformation as "start" runs it.
  void mbandback_Click();

  // Campaign statistics of the listed files, in a window of their own (opened, or raised).
  void mstatistics_Click();
  CampaignWindow* campaignWindow() const;  // the open campaign window, or null

  // Printing: the window at page size, on the default printer.
  void mprint_Click();
  // Prints into `printer` (a PDF file in tests); false if the printer cannot be painted on.
  bool printWindow(QPrinter& printer);

  // Views of the two plot areas.
  void mdispcoh_Click();
  void mdispraw_Click();
  void mdispdisp_Click();
  void mdisppsd_Click();
  void mintegral_Click();
  // A raw-data limit bar changed: i = 0 for the raw plot, 1 for the back-transformation plot.
  void vscrohmax_Change(int i);
  void vscrohmin_Change(int i);

  // Published reference curves: the noise models on the PSD plot; the view of third-octave
  // velocities against the vibration criteria (index: into analysis::vibrationCriteria()).
  void mnoisemodels_Click();
  void mthirdoctave_Click();
  void mcriterion_Click(int index);
  void thirdOctavePlot_CursorMove(double x);

  // For tests and tools.
  const analysis::AnalysisState& analysisState() const { return *state_; }
  QString statusText() const;
  QString directory() const { return directory_; }  // the directory flb shows
  QString filePattern() const { return pattern_; }
  // Selects `path` as the directory of the browser (as a double click in dirlb does).
  void openDirectory(const QString& path);
  // Brings flb up to date with its directory, keeping the selection on its file and running no
  // analysis; while the loop runs, only appends behind the current entry. The directory watch
  // calls it within two seconds of a change.
  void followDirectory();

  // Controls, named as the window describes them.
  ZEPLLib::ZEPL *ZEPL1, *ZEPL2, *ZEPL3, *ZEPL4, *ZEPL5;
  QComboBox* drilb;
  QListWidget* dirlb;
  QListWidget* flb;
  QCheckBox* chcsw;
  std::array<QRadioButton*, 4> ofile;
  std::array<QScrollBar*, 2> vscrohmax, vscrohmin;
  QScrollBar *vscpsdmax, *vscpsdmin;
  QGroupBox *frrückFFT, *fzähler, *fdarstellung, *floop, *fref;
  std::array<QRadioButton*, 2> orück;
  QLineEdit *tf1, *tf2, *tausgabe;
  QPushButton *crück, *cspeichern, *cloop, *cref;
  QLabel *Label1, *Label2, *lk, *lkv, *lref;
  std::array<QCheckBox*, 4> ch;
  QScrollBar* hsstop;
  QCheckBox *chstop, *chav;
  QTimer* Timer1;
  QMenu *mdisplay, *mpsd, *mraw, *mcoherence, *mrename, *mcampaign;
  QAction *mdispcoh, *mdispraw, *mdispdisp, *mcpace, *mdisppsd, *mintegral;
  QAction *mlinf, *mlinamp, *mautoscaleamp;
  QAction *mcal1, *mcal2, *mrawauto, *mrawoffset;
  QAction *mcohreal, *mcohimag, *mcohabs, *mcohmsc;
  QAction* mbandback;
  BandCursor* bandCursor;  // the band on ZEPL1 and ZEPL4
  QAction *mfilename, *mprint, *mexit;
  ThirdOctavePlot* thirdOctavePlot;
  QAction *mnoisemodels, *mthirdoctave;
  QMenu* mcriteria;
  std::vector<QAction*> mcriterion;
  QAction* mstatistics;

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createControls();
  void createFrames();
  void createMenus();
  void setTabOrder();
  void connectHandlers();

  analysis::RunSettings runSettings() const;
  QString selectedFileName() const;
  void showCounters();
  void drawSpectra(const analysis::RunResult& result);
  void drawRawData(const QString& name, bool expectRawData);
  void drawChannelCurves(ZEPLLib::ZEPL* plot, const analysis::FixedArray<double>& ref1,
                         const analysis::FixedArray<double>& ref2,
                         const analysis::FixedArray<double>& channel1,
                         const analysis::FixedArray<double>& channel2);
  void drawTraces(ZEPLLib::ZEPL* plot, const analysis::FixedArray<double>& trace1,
                  const analysis::FixedArray<double>& trace2);
  bool setBarValue(QScrollBar* bar, double value);
  void rawBarChanged(int i, bool upper);
  void report(const QString& message);
  void drawCoherence();

  // Pooled coherence and band cursor (display_pooled_coherence.cpp, display_band.cpp).
  void setUpPooledCoherence();
  analysis::CoherenceItems coherenceComponent() const;
  void drawPooledCoherence(bool withCurves);
  void leavePooledCoherence();
  void keepPooledCoherenceScale();
  void setUpBandCursor();
  void followBand(double recordSeconds);
  void showBandFigures();

  void createReferenceCurveControls();
  void drawThirdOctave();
  void leaveThirdOctaveView();
  QString noiseModelReadout(double x) const;
  // The noise models on the campaign window's percentile plot too, while the item is checked.
  void showNoiseModelsOnCampaign();

  void fillDrives(const QString& startDir);
  void showDirectory(const QString& path);
  void refillFileList();
  QStringList listedFileNames() const;  // the directory's files the pattern lets through, in order
  void applyPattern();
  void startFollowingDirectory();

  std::unique_ptr<analysis::AnalysisState> state_;
  analysis::FileAnalysis fileAnalysis_;
  QLabel* status_;
  QString directory_;
  QString pattern_ = "*.csvz";
  QMap<QString, QString> driveDirectories_;  // last directory shown on each drive
  QString proposalFor_;     // the measurement analysed last: its record is loaded, mfilename
                            // proposes its veto rename
  bool analysing_ = false;  // a run is inside its yield to the event loop
  bool printing_ = false;   // printWindow() is drawing the window onto a page
  int rowAtPress_ = -1;     // flb's current row when the mouse was pressed on it
  QAction* coherenceItemBeforePooled_ = nullptr;  // returned to when the pooled item is left
  int coherenceAxisType_ = 0;                     // ZEPL2's axis type outside the pooled view
  double bandRecordSeconds_ = 60;                 // record length of the last run
  analysis::ShownBandVelocities bandVelocities_;  // as last drawn in the third-octave view

  DirectoryWatch* directoryWatch_ = nullptr;  // tells when flb's directory changed
  QPointer<CampaignWindow> campaignWindow_;   // while open
};

}  // namespace viewer
