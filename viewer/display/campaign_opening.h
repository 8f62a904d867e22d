// The menu "campaign": statistics of the listed files, or of a directory tree (tree_campaign_
// source.h), in a window of their own; the window of the listed files follows the
// main window's file list (viewer/campaign/campaign_window.h).
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "analysis/units/spectral_units.h"
#include "viewer/campaign/campaign_source.h"
#include "viewer/display/display_component.h"

class QAction;
class QMenu;

namespace viewer {

class ArchiveOpening;
class CampaignWindow;
class Display;
class ReferenceCurvesView;
class TreeCampaignSource;

class CampaignOpening : public QObject, public DisplayComponent, public CampaignSource {
 public:
  // The menu goes before "print" in the menu bar; the campaign's percentiles show the noise
  // models as `referenceCurves` shows them on the PSD plot.
  CampaignOpening(Display& display, ReferenceCurvesView& referenceCurves);
  ~CampaignOpening() override;

  // Opens the campaign window, or raises it when it is open.
  void mstatistics_Click();
  CampaignWindow* campaignWindow() const;  // the open campaign window, or null
  // Asks for a directory and opens the campaign of its tree (openTree).
  void mtree_Click();
  // Opens a campaign window on the tree under `root`, with the main window's component and
  // ".csw" choice, once the tree has been walked; a tree window open before is closed.
  void openTree(const QString& root);
  CampaignWindow* treeWindow() const;  // the open tree campaign window, or null
  // The "units" menu's choice: the campaign windows open and opened later follow it.
  void setUnits(const analysis::SpectralUnits& units);

  QListWidget* fileList() const override;
  QString directory() const override;
  QString filePattern() const override;
  void analyseSelected() override;

  QMenu* mcampaign;
  QAction* mstatistics;
  QAction* mtree;

 private:
  Display& display_;
  ReferenceCurvesView& referenceCurves_;
  QPointer<CampaignWindow> window_;                 // while open
  std::unique_ptr<TreeCampaignSource> treeSource_;  // outlives its window
  QPointer<CampaignWindow> treeWindow_;
  analysis::SpectralUnits units_;

 public:
  std::unique_ptr<ArchiveOpening> archive;  // "statistics of a station archive..."
};

}  // namespace viewer
