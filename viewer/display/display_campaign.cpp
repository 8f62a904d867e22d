// The menu "campaign": statistics of the listed files in a window of their own.
#include "viewer/campaign/campaign_window.h"
#include "viewer/display/display.h"

namespace viewer {

void Display::mstatistics_Click() {
  if (!campaignWindow_) {
    campaignWindow_ = new CampaignWindow(*this);
    showNoiseModelsOnCampaign();  // the percentiles against the noise models, as the PSD plot
  }
  campaignWindow_->show();
  campaignWindow_->raise();
  campaignWindow_->activateWindow();
}

CampaignWindow* Display::campaignWindow() const {
  return campaignWindow_.data();
}

}  // namespace viewer
