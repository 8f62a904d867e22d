#include "viewer/archive/archive_opening.h"

#include <QAction>
#include <QMenu>

#include "viewer/archive/archive_campaign_source.h"
#include "viewer/archive/archive_dialog.h"
#include "viewer/campaign/campaign_window.h"
#include "viewer/campaign/percentile_plot.h"
#include "viewer/display/display.h"
#include "viewer/display/reference_curves_view.h"

namespace viewer {

ArchiveOpening::ArchiveOpening(Display& display, ReferenceCurvesView& referenceCurves, QMenu& menu)
    : display_(display), referenceCurves_(referenceCurves) {
  marchive = menu.addAction("statistics of a station archive...");
  marchive->setObjectName("marchive");
  connect(marchive, &QAction::triggered, this, [this] { marchive_Click(); });
}

ArchiveOpening::~ArchiveOpening() {
  delete window_;  // cancels its runs before its source goes
}

void ArchiveOpening::marchive_Click() {
  ArchiveDialog dialog(display_.directory(), &display_);
  if (dialog.exec() == QDialog::Accepted) openArchive(dialog.choice());
}

void ArchiveOpening::openArchive(const ArchiveChoice& choice) {
  ArchiveSetup setup = archiveSetupOf(choice);
  if (!setup.problem.isEmpty()) {
    display_.report(setup.problem);
    return;
  }
  delete window_;
  source_ = std::make_unique<ArchiveCampaignSource>(display_, std::move(setup), [this] {
    window_ = new CampaignWindow(*source_, &display_);
    window_->setUnits(units_);
    referenceCurves_.showAlsoOn(window_->percentiles()->plot());
    window_->show();
    window_->raise();
    window_->activateWindow();
  });
}

void ArchiveOpening::setUnits(const analysis::SpectralUnits& units) {
  units_ = units;
  if (window_) window_->setUnits(units);
}

}  // namespace viewer
