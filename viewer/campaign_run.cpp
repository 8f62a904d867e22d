#include "viewer/campaign_run.h"

#include <exception>

namespace viewer {

CampaignRun::CampaignRun(std::shared_ptr<analysis::Campaign> campaign,
                         std::optional<analysis::RmsBand> band, unsigned threads, QObject* parent)
    : QObject(parent), campaign_(std::move(campaign)) {
  for (const analysis::CampaignFile& file : campaign_->files()) {
    const bool toDo = band ? file.hasSpectrum() && *band != campaign_->band()
                           : file.status == analysis::CampaignStatus::Pending;
    if (toDo) ++total_;
  }
  // The signals go to objects of the GUI thread: queued, since they are emitted on this one.
  thread_ = std::jthread([this, band, threads](std::stop_token stop) { run(stop, band, threads); });
}

CampaignRun::~CampaignRun() {
  thread_.request_stop();
  if (thread_.joinable()) thread_.join();
}

void CampaignRun::cancel() {
  thread_.request_stop();
}

std::size_t CampaignRun::takeProgress() {
  progressPending_.store(false);
  return done_.load();
}

bool CampaignRun::cancelled() const {
  return thread_.get_stop_token().stop_requested();
}

void CampaignRun::run(std::stop_token stop, std::optional<analysis::RmsBand> band,
                      unsigned threads) {
  analysis::CampaignRunOptions options{.threads = threads, .progress = {}};
  options.progress = [this](const analysis::CampaignProgress& progress) {
    done_.store(progress.filesDone);
    if (!progressPending_.exchange(true)) emit progressed();
  };
  try {
    const analysis::CampaignRunOutcome outcome = band ? campaign_->changeBand(*band, options, stop)
                                                      : campaign_->computePending(options, stop);
    complete_ = outcome.finished && campaign_->finished() && !stop.stop_requested();
    if (complete_) {
      snapshot_ = std::make_shared<const CampaignSnapshot>(CampaignSnapshot{
          campaign_->files(), campaign_->bins(), campaign_->band(), campaign_->statistics()});
    }
  } catch (const std::exception& error) {
    failure_ = error.what();
  }
  emit finished();
}

}  // namespace viewer
