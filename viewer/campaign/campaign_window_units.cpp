// The campaign window in the units of the main window's "units" menu: the selection worker
// computes the statistics of the chosen quantity from the campaign shown (a unit change reads
// no file), and the plots draw them in the chosen form and axis when the view arrives.
#include "viewer/campaign/campaign_window.h"
#include "viewer/campaign/selection_worker.h"

namespace viewer {

void CampaignWindow::setUnits(const analysis::SpectralUnits& units) {
  if (units == units_) return;
  units_ = units;
  requestTimeView();
}

}  // namespace viewer
