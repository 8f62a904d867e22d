#include "viewer/display/campaign_opening.h"

#include <QAction>
#include <QFileDialog>
#include <QMenu>
#include <QMenuBar>

#include "viewer/archive/archive_opening.h"
#include "viewer/campaign/campaign_window.h"
#include "viewer/campaign/gui_phase.h"
#include "viewer/campaign/percentile_plot.h"
#include "viewer/display/display.h"
#include "viewer/display/reference_curves_view.h"
#include "viewer/display/tree_campaign_source.h"

namespace viewer {

CampaignOpening::CampaignOpening(Display& display, ReferenceCurvesView& referenceCurves)
    : display_(display), referenceCurves_(referenceCurves) {
  mcampaign = new QMenu("campaign", &display);
  mcampaign->setObjectName("mcampaign");
  display.menuBar()->insertMenu(display.mprint, mcampaign);
  mstatistics = mcampaign->addAction("statistics of the listed files");
  mstatistics->setObjectName("mstatistics");
  connect(mstatistics, &QAction::triggered, this, [this] { mstatistics_Click(); });
  mtree = mcampaign->addAction("statistics of a directory tree...");
  mtree->setObjectName("mtree");
  connect(mtree, &QAction::triggered, this, [this] { mtree_Click(); });
  archive = std::make_unique<ArchiveOpening>(display, referenceCurves, *mcampaign);
}

CampaignOpening::~CampaignOpening() {
  delete window_;      // it asks this object for its list until it goes
  delete treeWindow_;  // likewise its source
}

void CampaignOpening::mtree_Click() {
  const QString root = QFileDialog::getExistingDirectory(
      &display_, "statistics of a directory tree", display_.directory());
  if (!root.isEmpty()) openTree(root);
}

void CampaignOpening::openTree(const QString& root) {
  delete treeWindow_;  // cancels its runs before its source goes
  // The window opens once the tree has been walked, off the GUI thread.
  treeSource_ = std::make_unique<TreeCampaignSource>(display_, root, [this] {
    const GuiPhase phase("campaign window construction");
    treeWindow_ = new CampaignWindow(*treeSource_, &display_);
    treeWindow_->setUnits(units_);
    referenceCurves_.showAlsoOn(treeWindow_->percentiles()->plot());
    treeWindow_->show();
    treeWindow_->raise();
    treeWindow_->activateWindow();
  });
}

CampaignWindow* CampaignOpening::treeWindow() const {
  return treeWindow_.data();
}

void CampaignOpening::setUnits(const analysis::SpectralUnits& units) {
  units_ = units;
  for (CampaignWindow* window : {window_.data(), treeWindow_.data()}) {
    if (window) window->setUnits(units);
  }
  archive->setUnits(units);
}

void CampaignOpening::mstatistics_Click() {
  if (!window_) {
    window_ = new CampaignWindow(*this, &display_);
    window_->setUnits(units_);
    // The percentiles against the noise models, as the PSD plot.
    referenceCurves_.showAlsoOn(window_->percentiles()->plot());
  }
  window_->show();
  window_->raise();
  window_->activateWindow();
}

CampaignWindow* CampaignOpening::campaignWindow() const {
  return window_.data();
}

QListWidget* CampaignOpening::fileList() const {
  return display_.flb;
}

QString CampaignOpening::directory() const {
  return display_.directory();
}

QString CampaignOpening::filePattern() const {
  return display_.filePattern();
}

void CampaignOpening::analyseSelected() {
  display_.flb_Click();
}

}  // namespace viewer
