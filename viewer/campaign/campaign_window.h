// The campaign window: statistics of every file the main window's file list shows (its
// directory and pattern, in its order), computed off the GUI thread, in parallel over files.
//
// It opens on the list as it is and follows it: a file is taken into the campaign only once it
// has settled (arriving_files.h), a file added to the list then read alone; a file removed is
// dropped from the statistics and a veto rename changes the file's status, neither reading the
// other files again; the files are shown in the list's order whatever order they arrived in. A
// file whose size or modification time changes after it was taken (a writer that paused longer
// than the settle time) is read again once it has settled again, its row replaced, in the
// campaign and in the cache: every kChangeCheckMs its files are looked at, off the GUI thread.
// Another directory or pattern starts afresh, as "recompute" does. Closing the window cancels the
// run.
//
// Statistics are shown only for a campaign whose every file is done: while a run goes on the
// plots keep the last complete campaign (or stay empty) and a progress bar counts the files;
// "cancel" ends the run and nothing partial is shown. The four plots: band rms per file
// (timeline; a click on a point selects that file in the main window's list, which analyses
// it as a click there does), spectrogram, percentiles and probability density. "Save
// statistics..." writes the four CSV tables psd-analyze --campaign writes.
//
// Campaigns in time: each record gets a start time (from its name or its modification time, a
// choice of the window; analysis/campaign/start_time.h), the timeline and the spectrogram can
// be drawn against time ("time / position in the list"; time is chosen at first when every
// start time comes from the names), and a selection row (dates, hours, weekdays) restricts the
// percentiles and density to the selected used records, with the unselected ones faded in the
// timeline and spectrogram. "compare with" adds a second selection, drawn dashed over the
// first. Selections are recomputed from memory off the GUI thread (selection_worker.h). A click
// on the spectrogram selects that column's record in the main window's list, as the timeline
// does. "relative motion" (off at first) adds the band rms of channel 1 minus channel 2 to the
// timeline as a third series. The "criteria" tab shows the selection's vibration criteria
// (criteria_view.h); a click on its weekday x hour grid makes that hour of that weekday the
// selection, its dates kept.
//
// A source naming files by their paths in a tree (campaign_source.h) makes a campaign of the
// tree; its cache of readings, if any, is used by every run, a cache that cannot be used is
// reported once, and "clear cache" empties it.
//
// Problems go to the window's status line; refused files are listed with their messages.
#pragma once

#include <QElapsedTimer>
#include <QHash>
#include <QSet>
#include <QStringList>
#include <QWidget>
#include <functional>
#include <memory>
#include <optional>
#include <thread>
#include <vector>

#include "analysis/campaign/campaign.h"
#include "viewer/campaign/campaign_snapshot.h"
#include "viewer/campaign/campaign_source.h"
#include "viewer/campaign/campaign_time_view.h"
#include "viewer/campaign/off_thread_release.h"
#include "viewer/live/arriving_files.h"

class QCheckBox;
class QComboBox;
class QLabel;
class QLineEdit;
class QListWidget;
class QProgressBar;
class QPushButton;
class QCheckBox;
class QRadioButton;
class QTimer;
class QVBoxLayout;

namespace viewer {

class CacheClearing;
class CampaignRun;
class CriteriaView;
class DensityPlot;
class PercentilePlot;
class ReportSaving;
class SelectionRow;
class SelectionWorker;
struct AfreshList;
struct SelectionRequest;
class SpectrogramPlot;
class TimelinePlot;

class CampaignWindow : public QWidget {
  Q_OBJECT

 public:
  // A window of its own (parented to `parent`, the main window, which it outlives never);
  // starts the campaign of the source's list at once.
  CampaignWindow(CampaignSource& source, QWidget* parent);
  ~CampaignWindow() override;

  static constexpr int kChangeCheckMs = 2000;
  // New or changed files whose stamps the GUI thread reads itself, at most.
  static constexpr qsizetype kSettledAtOnceUpTo = 256;

  // Starts the campaign of the main window's list afresh (the "recompute" button).
  void recompute();
  // Cancels the run (the "cancel" button). Cancelled reading shows nothing and waits for
  // "recompute"; a cancelled band leaves the campaign with its band, still following the list.
  void cancel();
  // Reads the band fields and finds the rms of that band (the fields' editing finished).
  void applyBand();
  // Starts writing PREFIX-files.csv, -percentiles.csv, -density.csv and -bins.csv of the
  // campaign shown, off the GUI thread; statisticsSaved() tells the outcome, the status line
  // what went wrong. Returns false (and says why) when nothing complete is shown or a save is
  // still being written.
  bool saveStatistics(const QString& prefix);

  // The time controls, as a user would set them (the fields are filled in, the view recomputed).
  void setStartTimeSource(const analysis::StartTimeChoice& choice);
  void setTimeSelection(const analysis::TimeSelection& selection,
                        std::optional<analysis::TimeSelection> compare = std::nullopt);
  void setTimeAxis(bool time);
  // The main window's "units" menu: the percentile, density and spectrogram plots follow it
  // (campaign_window_units.cpp), recomputed off the GUI thread from the campaign shown.
  void setUnits(const analysis::SpectralUnits& units);
  const analysis::SpectralUnits& units() const { return units_; }
  // Start times and selections of the campaign shown (the last computed), or null.
  SharedTimeView timeView() const;
  // Whether a time view is being computed.
  bool timeViewPending() const;

  // Worker threads of the next runs (0, the default: one per core).
  void setThreads(unsigned threads) { threads_ = threads; }

  bool running() const { return run_ != nullptr; }
  // Listed files not taken yet: still being written, or written on since they were read.
  bool waitingForFiles() const { return arriving_.waitingCount() > 0 || !changed_.isEmpty(); }
  // Looks now, off the GUI thread, whether files of the campaign changed since they were taken
  // (as every kChangeCheckMs); those that did are read again once they have settled.
  void lookForChangedFiles();
  // Files the last run started had to read (all for a new campaign, the new ones when the list
  // grew, those with a spectrum for another band).
  std::size_t lastRunFiles() const { return lastRunFiles_; }
  // The campaign shown (the last one completed), or nothing.
  SharedSnapshot shown() const { return shown_; }
  QString statusText() const;

  TimelinePlot* timeline() const { return timeline_; }
  SpectrogramPlot* spectrogram() const { return spectrogram_; }
  PercentilePlot* percentiles() const { return percentiles_; }
  DensityPlot* density() const { return density_; }
  // The "Save report..." button and its writing (report_saving.h).
  ReportSaving* reportSaving() const { return reportSaving_; }
  CriteriaView* criteria() const { return criteria_; }

 signals:
  // A run ended: completed, cancelled or failed (for tests and tools).
  void runEnded();
  // A save started by saveStatistics() ended: ok when all four tables were written.
  void statisticsSaved(bool ok);
  // The time view of the campaign shown was computed and drawn.
  void timeViewReady();

 protected:
  void closeEvent(QCloseEvent* event) override;

 private:
  void createControls();
  void followList();
  // Of `names`, those that have settled, their stamps kept; the arrival timer set for the rest.
  // Nothing when there are more than kSettledAtOnceUpTo whose stamps are not at hand: those are
  // read on stamper_ (a station-year's last 2,000 files took the GUI thread some 20 ms), and the
  // list is followed again with them.
  std::optional<QStringList> takeSettled(const QStringList& names);
  void readStampsOffThread(const QStringList& names, const QDateTime& now, qint64 nowMs);
  void filesChanged(const QStringList& names, const QHash<QString, FileStamp>& seen);
  void startAfresh();
  // The rest of startAfresh once its list is prepared (campaign_window_opening.cpp): off the
  // GUI thread for a long list, which the window then waits for (afreshPending_).
  void prepareAfresh(const QStringList& listed);
  void adoptAfresh(unsigned generation, AfreshList list);
  // `appended`: entries the run appends to the campaign before reading them, after
  // `changeFirst` (CampaignRun::changeFirst).
  void startRun(std::optional<analysis::RmsBand> band,
                std::vector<analysis::CampaignEntry> appended = {},
                std::function<void(analysis::Campaign&)> changeFirst = {});
  void runProgressed();
  void runFinished(CampaignRun* run);
  void showSnapshot(SharedSnapshot snapshot);
  void clearPlots();
  void selectInMainList(const QString& name);
  void askSavePrefix();
  void report(const QString& message);
  QStringList listedNames() const;
  analysis::CampaignEntry entryOf(const QString& name) const;  // of a name in the list
  void reportCacheProblem();
  QString bandText() const;
  void createTimeControls(QVBoxLayout* layout);
  void requestTimeView();
  // The time view the controls ask for, or nothing (and the problem on the status line).
  std::optional<SelectionRequest> timeRequest();
  void showTimeView();
  void chooseAxis(bool time);
  // The criteria grid's cell: that hour of that weekday becomes the selection.
  void selectHour(int weekday, int hour);

  CampaignSource& source_;
  QString directory_, pattern_;  // of the campaign
  QStringList names_;            // the campaign's files, in its order
  std::shared_ptr<analysis::Campaign> campaign_;
  std::unique_ptr<CampaignRun> run_;                   // the run the campaign belongs to
  std::vector<std::unique_ptr<CampaignRun>> retired_;  // cancelled runs of older campaigns
  SharedSnapshot shown_;
  analysis::SpectralUnits units_;  // of the plots, as the main window's "units" menu
  analysis::RmsBand band_;         // the band asked for
  bool listChanged_ = false;       // the list changed while a run went on
  bool stoppedByUser_ = false;     // cancelled: wait for "recompute"
  unsigned threads_ = 0;
  std::size_t lastRunFiles_ = 0;
  bool cacheProblemReported_ = false;
  bool cacheRowReported_ = false;
  bool saving_ = false;  // a save is being written
  QString savingTo_;     // its prefix

  QLabel* summary_;
  QProgressBar* progress_;
  QPushButton *cancel_, *recompute_, *save_;
  QLineEdit *bandLow_, *bandHigh_;
  QRadioButton *channel1_, *channel2_;
  QCheckBox* relativeMotion_;  // the timeline's third series
  TimelinePlot* timeline_;
  SpectrogramPlot* spectrogram_;
  PercentilePlot* percentiles_;
  DensityPlot* density_;
  CriteriaView* criteria_;  // the "criteria" tab
  QListWidget* refused_;
  QLabel* status_;
  CacheClearing* cacheClearing_;  // the "clear cache" button
  ReportSaving* reportSaving_;    // the "Save report..." button
  QTimer* listTimer_;             // gathers the list's changes into one follow-up
  QTimer* arrivalTimer_;          // looks again at files that were still being written
  ArrivingFiles arriving_;
  QElapsedTimer clock_;
  QHash<QString, FileStamp> taken_;  // each file of the campaign as it was taken
  QSet<QString> changed_;            // files changed since taken, to be read again
  QTimer* changeTimer_;              // looks for changed files every kChangeCheckMs
  bool lookingForChanges_ = false;   // checker_ runs
  bool afreshPending_ = false;       // preparer_ prepares the list of a campaign started afresh
  unsigned afreshGeneration_ = 0;    // of the last campaign started afresh
  // Stamps read by stamper_ for followList, with the moment before they were read.
  struct ReadStamps {
    unsigned generation = 0;  // of the campaign whose directory they were read in
    QHash<QString, FileStamp> stamps;
    QDateTime now;
    qint64 nowMs = 0;
  };
  std::optional<ReadStamps> readStamps_;
  bool readingStamps_ = false;  // stamper_ runs
  // Campaigns in time.
  QComboBox* timeFrom_;
  QLineEdit* timePattern_;
  QRadioButton *timeAxis_, *positionAxis_;
  SelectionRow *selectionRow_, *compareRow_;
  QCheckBox* compareOn_;
  QLabel* timeSummary_;
  SelectionWorker* selectionWorker_;
  bool axisChosen_ = false;       // the user chose the axis: no automatic choice any more
  SharedTimeView drawnTimeView_;  // the one the plots were given last
  OffThreadRelease released_;     // frees the time view the plots gave up
  std::jthread checker_;          // looks for changed files; ends before the members it uses
  std::jthread preparer_;         // prepares a long list started afresh
  std::jthread stamper_;          // reads the stamps of many files new to the list
  std::jthread saver_;  // writes the tables; last, so that it ends before the members it uses
};

}  // namespace viewer
