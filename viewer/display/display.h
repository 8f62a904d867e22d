// The main window "PSD display": file browser, control panels, menus and the five plots.
//
// Every handler is a public member named after its control and event, so that tests can call
// it directly. Handlers are plain member functions connected with function-pointer connects:
// some names are not ASCII, which Qt's moc cannot read.
//
// View and run state lives in the controls themselves (check marks, captions, enabled flags);
// handlers read them when they need them. The analysis state belongs to the window.
//
// Capabilities beyond these controls (pooled coherence, band cursor, reference curves, campaign,
// live directory) are components (display_component.h): each owns its menu items, drawing and
// state, and the window tells them of its events.
#pragma once

#include <QMainWindow>
#include <QMap>
#include <QString>
#include <QStringList>
#include <array>
#include <memory>
#include <optional>
#include <vector>

#include "analysis/record/analysis_state.h"
#include "analysis/record/file_analysis.h"
#include "viewer/display/display_component.h"
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

namespace analysis::archive {
struct SegmentRecord;
}

namespace viewer {

class BandView;
class CampaignOpening;
class LiveDirectory;
class PooledCoherenceView;
class RecordSteps;
class ReferenceCurvesView;
class TwoSensorView;
class UnitsView;

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
  // Analyses a record that is no file, a station archive's segment, as a click on a
  // measurement file analyses the file (averaging with the window's settings), and draws its
  // spectra, coherence and raw traces (display_record.cpp). The loop then steps on through
  // `steps` (the records it belongs to) until a file is clicked in flb.
  void showRecord(const analysis::archive::SegmentRecord& record,
                  std::weak_ptr<RecordSteps> steps = {});
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
  void vscpsdmax_Change();
  void vscpsdmin_Change();

  // Cursor readouts (x in axis units).
  void ZEPL1_CursorMove(double x);
  void ZEPL3_CursorMove(double x);
  void ZEPL4_CursorMove(double x);
  void ZEPL5_CursorMove(double x);

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

  // For tests and tools.
  const analysis::AnalysisState& analysisState() const { return *state_; }
  QString statusText() const;
  QString directory() const { return directory_; }  // the directory flb shows
  // The name of the record shown: the segment's, else the file selected (display_loop.cpp).
  QString recordName() const;
  QString filePattern() const { return pattern_; }
  // Selects `path` as the directory of the browser (as a double click in dirlb does).
  void openDirectory(const QString& path);
  // The directory's files the pattern lets through, in order.
  QStringList listedFileNames() const;
  bool analysing() const { return analysing_; }  // a run waits in its yield to the event loop
  // A message on the status line (empty: clears it).
  void report(const QString& message);
  // Redraws the coherence plot from the analysis state.
  void drawCoherence();

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
  QMenu *mdisplay, *mpsd, *mraw, *mcoherence, *mrename;
  QAction *mdispcoh, *mdispraw, *mdispdisp, *mcpace, *mdisppsd, *mintegral;
  QAction *mlinf, *mlinamp, *mautoscaleamp;
  QAction *mcal1, *mcal2, *mrawauto, *mrawoffset;
  QAction *mcohreal, *mcohimag, *mcohabs;
  QAction *mfilename, *mprint, *mexit;

  // The components, in the order they hear of events.
  ReferenceCurvesView* referenceCurves;
  CampaignOpening* campaign;
  PooledCoherenceView* pooledCoherence;
  TwoSensorView* twoSensor;
  BandView* band;
  LiveDirectory* liveDirectory;
  UnitsView* units;  // last: it converts what the others drew on the PSD plot

 protected:
  void resizeEvent(QResizeEvent* event) override;
  bool eventFilter(QObject* watched, QEvent* event) override;

 private:
  void createControls();
  void createFrames();
  void createMenus();
  void setTabOrder();
  void connectHandlers();
  template <typename Component>
  Component* addComponent(std::unique_ptr<Component> component);

  analysis::RunSettings runSettings() const;
  QString selectedFileName() const;
  // What a run says beside its record (not averaged, not paired), after the record's own
  // messages.
  void reportRunNotes(const analysis::RunResult& result);
  void showCounters();
  void drawSpectra(const analysis::RunResult& result);
  void drawRawData(const QString& name, bool expectRawData);
  void drawChannelCurves(ZEPLLib::ZEPL* plot, const analysis::FixedArray<double>& ref1,
                         const analysis::FixedArray<double>& ref2,
                         const analysis::FixedArray<double>& channel1,
                         const analysis::FixedArray<double>& channel2);
  void drawTraces(ZEPLLib::ZEPL* plot, const analysis::FixedArray<double>& trace1,
                  const analysis::FixedArray<double>& trace2);
  // The raw traces of the segment shown (display_record.cpp), samples from index 1; both empty
  // while a file is shown, whose traces are the analysis state's.
  void drawSegmentTraces();
  std::vector<double> segmentRaw1_, segmentRaw2_;
  QString segmentShown_;  // the name of the segment shown; empty while a file is shown
  // The steps of the record shown last by showRecord, which the loop takes instead of flb;
  // none after a click in flb. Expired: their source is gone, and the loop stops.
  std::optional<std::weak_ptr<RecordSteps>> recordSteps_;
  bool setBarValue(QScrollBar* bar, double value);
  void rawBarChanged(int i, bool upper);

  void fillDrives(const QString& startDir);
  void showDirectory(const QString& path);
  void refillFileList();
  void applyPattern();

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
  QString entryAtPress_;    // flb's selected entry when the mouse was pressed on it
  std::vector<std::unique_ptr<DisplayComponent>> components_;
};

}  // namespace viewer
