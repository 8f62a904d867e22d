// window-shot: draws the viewer offscreen and saves a picture of it, for the README and for
// looking at the window without a display.
//
//   window-shot DIR OUT.png [FILE] [--raw] [--noise-models] [--third-octave] [--campaign]
//               [--archive] [--units QUANTITY[,asd][,db][,period]]
//               [--select SELECTION [--compare SELECTION]] [--criteria] [--two-sensors N]
//               [--width PX --height PX]
//
// Opens the viewer browsing DIR, selects FILE (if given), switches to the raw-data view with
// --raw, draws the seismic noise models on the PSD plot with --noise-models, shows the
// third-octave velocity view with --third-octave, and saves the window to OUT.png. With
// --campaign it opens the campaign statistics of the listed files instead (with --units, drawn
// in those units), waits until they are computed and saves that window. --select draws it against
// time with that time selection,
// --compare adds the "compare with" selection; a SELECTION is one argument of words: hours
// HH:MM-HH:MM and weekdays (mon-fri, sat,sun), e.g. "06:00-22:00 mon-fri". --criteria shows
// the campaign window's "criteria" tab (with --campaign). --archive takes DIR as a station
// archive (make-samples --mseed): the campaign window on its segments with the channels,
// response file and segments the "statistics of a station archive..." dialog proposes, drawn
// against time. --two-sensors N
// averages the first N listed files and shows relative motion, self-noise and the transfer
// function.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QElapsedTimer>
#include <QEventLoop>
#include <QListWidget>
#include <QPixmap>
#include <QTabWidget>
#include <iostream>
#include <optional>

#include "analysis/campaign/time_selection.h"
#include "viewer/archive/archive_dialog.h"
#include "viewer/archive/archive_opening.h"
#include "viewer/campaign/campaign_window.h"
#include "viewer/campaign/criteria_view.h"
#include "viewer/display/campaign_opening.h"
#include "viewer/display/display.h"
#include "viewer/display/reference_curves_view.h"
#include "viewer/display/two_sensor_view.h"
#include "viewer/display/units/units_view.h"

namespace {

// "06:00-22:00 mon-fri": hours and weekdays, either may be left out.
std::optional<analysis::TimeSelection> selectionOf(const QString& text) {
  analysis::TimeSelection selection;
  for (const QString& word : text.split(' ', Qt::SkipEmptyParts)) {
    if (word.contains(':')) {
      selection.hours = analysis::parseHours(word.toStdString());
      if (!selection.hours) return std::nullopt;
    } else {
      const auto days = analysis::parseWeekdays(word.toStdString());
      if (!days) return std::nullopt;
      selection.weekdays = *days;
    }
  }
  return selection;
}

}  // namespace

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() < 3) {
    std::cerr << "usage: window-shot DIR OUT.png [FILE] [--raw] [--noise-models] [--third-octave] "
                 "[--campaign] [--archive] [--width PX --height PX]\n";
    return 2;
  }
  viewer::Display window(args.at(1));
  window.show();
  int width = 0, height = 0;
  bool raw = false, noiseModels = false, thirdOctave = false, campaign = false, criteria = false;
  bool archive = false;
  QString file, select, compare;
  int twoSensors = 0;
  QStringList units;  // a quantity (disp, vel, acc) and any of asd, db, period
  for (qsizetype i = 3; i < args.size(); ++i) {
    if (args.at(i) == "--raw") {
      raw = true;
    } else if (args.at(i) == "--noise-models") {
      noiseModels = true;
    } else if (args.at(i) == "--third-octave") {
      thirdOctave = true;
    } else if (args.at(i) == "--campaign") {
      campaign = true;
    } else if (args.at(i) == "--archive") {
      archive = true;
    } else if (args.at(i) == "--criteria") {
      criteria = true;
    } else if (args.at(i) == "--select" && i + 1 < args.size()) {
      select = args.at(++i);
    } else if (args.at(i) == "--compare" && i + 1 < args.size()) {
      compare = args.at(++i);
    } else if (args.at(i) == "--two-sensors" && i + 1 < args.size()) {
      twoSensors = args.at(++i).toInt();
    } else if (args.at(i) == "--units" && i + 1 < args.size()) {
      units = args.at(++i).split(',');
    } else if (args.at(i) == "--width" && i + 1 < args.size()) {
      width = args.at(++i).toInt();
    } else if (args.at(i) == "--height" && i + 1 < args.size()) {
      height = args.at(++i).toInt();
    } else {
      file = args.at(i);
    }
  }
  if (width > 0 && height > 0) window.resize(width, height);
  QApplication::processEvents();
  if (raw) window.mdispraw_Click();
  if (noiseModels) window.referenceCurves->mnoisemodels_Click();
  if (thirdOctave) window.referenceCurves->mthirdoctave_Click();
  if (!file.isEmpty()) {
    const auto found = window.flb->findItems(file, Qt::MatchExactly);
    if (found.isEmpty()) {
      std::cerr << "window-shot: " << file.toStdString() << " is not in the file list\n";
      return 1;
    }
    window.flb->setCurrentItem(found.first());
  }
  if (twoSensors > 0) {
    window.flb->setCurrentRow(0);
    window.chav->click();
    for (int row = 1; row < twoSensors && row < window.flb->count(); ++row) {
      window.flb->setCurrentRow(row);
    }
    for (QAction* item :
         {window.twoSensor->mrelative, window.twoSensor->mselfnoise, window.twoSensor->mtransfer}) {
      item->trigger();
    }
  }
  if (!units.isEmpty()) {
    analysis::SpectralUnits chosen;
    chosen.quantity = units.contains("acc")   ? analysis::Quantity::Acceleration
                      : units.contains("vel") ? analysis::Quantity::Velocity
                                              : analysis::Quantity::Displacement;
    chosen.asd = units.contains("asd");
    chosen.db = units.contains("db");
    chosen.period = units.contains("period");
    window.units->setUnits(chosen);
  }
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  QWidget* shown = &window;
  if (archive) {
    viewer::ArchiveDialog dialog(window.directory());
    dialog.setDirectory(args.at(1));
    window.campaign->archive->openArchive(dialog.choice());
    // The window opens once the segments' readings are computed, off the GUI thread.
    QElapsedTimer waited;
    waited.start();
    while (!window.campaign->archive->archiveWindow() && waited.elapsed() < 600000 &&
           window.statusText().startsWith("reading the station archive")) {
      QApplication::processEvents(QEventLoop::WaitForMoreEvents, 100);
    }
    if (!window.campaign->archive->archiveWindow()) {
      std::cerr << "window-shot: no archive window: " << window.statusText().toStdString() << '\n';
      return 1;
    }
  }
  if (campaign || archive) {
    if (campaign) window.campaign->mstatistics_Click();
    viewer::CampaignWindow* statistics =
        archive ? window.campaign->archive->archiveWindow() : window.campaign->campaignWindow();
    if (width > 0 && height > 0) statistics->resize(width, height);
    QEventLoop wait;
    // Files written just before (make-samples) join once they have settled: wait for them too.
    const auto busy = [statistics] {
      return statistics->running() || statistics->waitingForFiles();
    };
    QObject::connect(statistics, &viewer::CampaignWindow::runEnded, &wait, [&] {
      if (!busy()) wait.quit();
    });
    if (busy()) wait.exec();
    if (!statistics->shown()) {
      std::cerr << "window-shot: the campaign was not completed: "
                << statistics->statusText().toStdString() << '\n';
      return 1;
    }
    if (archive && select.isEmpty()) {
      statistics->setTimeAxis(true);
      QEventLoop computed;
      QObject::connect(statistics, &viewer::CampaignWindow::timeViewReady, &computed, [&] {
        if (!statistics->timeViewPending()) computed.quit();
      });
      if (statistics->timeViewPending() || !statistics->timeView()) computed.exec();
    }
    if (!select.isEmpty()) {
      const auto selection = selectionOf(select);
      const auto compared = compare.isEmpty() ? std::nullopt : selectionOf(compare);
      if (!selection || (!compare.isEmpty() && !compared)) {
        std::cerr << "window-shot: no selection: " << select.toStdString() << " "
                  << compare.toStdString() << '\n';
        return 2;
      }
      statistics->setTimeAxis(true);
      statistics->setTimeSelection(*selection, compared);
      QEventLoop computed;
      QObject::connect(statistics, &viewer::CampaignWindow::timeViewReady, &computed, [&] {
        if (!statistics->timeViewPending()) computed.quit();
      });
      if (statistics->timeViewPending()) computed.exec();
    }
    if (!units.isEmpty() || criteria) {  // the statistics in those units come with the time view
      QEventLoop computed;
      QObject::connect(statistics, &viewer::CampaignWindow::timeViewReady, &computed, [&] {
        if (!statistics->timeViewPending()) computed.quit();
      });
      if (statistics->timeViewPending() || !statistics->timeView()) computed.exec();
    }
    if (criteria) {
      statistics->findChild<QTabWidget*>("views")->setCurrentWidget(statistics->criteria());
    }
    for (int i = 0; i < 5; ++i) QApplication::processEvents();
    shown = statistics;
  }
  if (!shown->grab().save(args.at(2))) {
    std::cerr << "window-shot: cannot write " << args.at(2).toStdString() << '\n';
    return 1;
  }
  return 0;
}
