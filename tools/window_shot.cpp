// window-shot: draws the viewer offscreen and saves a picture of it, for the README and for
// looking at the window without a display.
//
//   window-shot DIR OUT.png [FILE] [--raw] [--noise-models] [--third-octave] [--campaign]
//               [--width PX --height PX]
//
// Opens the viewer browsing DIR, selects FILE (if given), switches to the raw-data view with
// --raw, draws the seismic noise models on the PSD plot with --noise-models, shows the
// third-octave velocity view with --third-octave, and saves the window to OUT.png. With
// --campaign it opens the campaign statistics of the listed files instead, waits until they are
// computed and saves that window.
#include <QApplication>
#include <QEventLoop>
#include <QListWidget>
#include <QPixmap>
#include <iostream>

#include "viewer/campaign/campaign_window.h"
#include "viewer/display/campaign_opening.h"
#include "viewer/display/display.h"
#include "viewer/display/reference_curves_view.h"

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM",
          qgetenv("QT_QPA_PLATFORM").isEmpty() ? "offscreen" : qgetenv("QT_QPA_PLATFORM"));
  QApplication app(argc, argv);
  const QStringList args = QApplication::arguments();
  if (args.size() < 3) {
    std::cerr << "usage: window-shot DIR OUT.png [FILE] [--raw] [--noise-models] [--third-octave] "
                 "[--campaign] [--width PX --height PX]\n";
    return 2;
  }
  viewer::Display window(args.at(1));
  window.show();
  int width = 0, height = 0;
  bool raw = false, noiseModels = false, thirdOctave = false, campaign = false;
  QString file;
  for (qsizetype i = 3; i < args.size(); ++i) {
    if (args.at(i) == "--raw") {
      raw = true;
    } else if (args.at(i) == "--noise-models") {
      noiseModels = true;
    } else if (args.at(i) == "--third-octave") {
      thirdOctave = true;
    } else if (args.at(i) == "--campaign") {
      campaign = true;
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
  for (int i = 0; i < 5; ++i) QApplication::processEvents();
  QWidget* shown = &window;
  if (campaign) {
    window.campaign->mstatistics_Click();
    viewer::CampaignWindow* statistics = window.campaign->campaignWindow();
    if (width > 0 && height > 0) statistics->resize(width, height);
    QEventLoop wait;
    QObject::connect(statistics, &viewer::CampaignWindow::runEnded, &wait, [&] {
      if (!statistics->running()) wait.quit();
    });
    if (statistics->running()) wait.exec();
    if (!statistics->shown()) {
      std::cerr << "window-shot: the campaign was not completed: "
                << statistics->statusText().toStdString() << '\n';
      return 1;
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
