// The menu "campaign": statistics of the listed files in a window of their own, which follows the
// main window's file list (viewer/campaign/campaign_window.h).
#pragma once

#include <QObject>
#include <QPointer>

#include "viewer/campaign/campaign_source.h"
#include "viewer/display/display_component.h"

class QAction;
class QMenu;

namespace viewer {

class CampaignWindow;
class Display;
class ReferenceCurvesView;

class CampaignOpening : public QObject, public DisplayComponent, public CampaignSource {
 public:
  // The menu goes before "print" in the menu bar; the campaign's percentiles show the noise
  // models as `referenceCurves` shows them on the PSD plot.
  CampaignOpening(Display& display, ReferenceCurvesView& referenceCurves);
  ~CampaignOpening() override;

  // Opens the campaign window, or raises it when it is open.
  void mstatistics_Click();
  CampaignWindow* campaignWindow() const;  // the open campaign window, or null

  QListWidget* fileList() const override;
  QString directory() const override;
  QString filePattern() const override;
  void analyseSelected() override;

  QMenu* mcampaign;
  QAction* mstatistics;

 private:
  Display& display_;
  ReferenceCurvesView& referenceCurves_;
  QPointer<CampaignWindow> window_;  // while open
};

}  // namespace viewer
