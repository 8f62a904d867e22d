#include "viewer/campaign/campaign_run.h"

#include <algorithm>
#include <exception>
#include <numeric>
#include <string_view>
#include <unordered_map>

#if defined(__linux__)
#include <sys/resource.h>
#include <sys/syscall.h>
#include <unistd.h>
#endif

namespace viewer {

namespace {

// The reading threads run at a lower priority than the GUI thread, so that on a busy machine the
// window keeps answering while they read: a nice value of 5 gives a thread about a third of the
// processor share of one at 0 when both want to run.
constexpr int kBackgroundNice = 5;

void lowerPriorityOfThisThread() {
#if defined(__linux__)
  // Per thread on Linux; threads started from this one inherit it.
  setpriority(PRIO_PROCESS, static_cast<id_t>(syscall(SYS_gettid)), kBackgroundNice);
#endif
}

}  // namespace

CampaignRun::CampaignRun(std::shared_ptr<analysis::Campaign> campaign,
                         std::optional<analysis::RmsBand> band, unsigned threads,
                         std::vector<std::string> order, QObject* parent)
    : QObject(parent),
      campaign_(std::move(campaign)),
      order_(std::move(order)),
      band_(band),
      threads_(threads),
      total_(filesToDo()) {}

std::size_t CampaignRun::filesToDo() const {
  std::size_t toDo = 0;
  for (const analysis::CampaignFile& file : campaign_->files()) {
    if (band_ ? file.hasSpectrum() && *band_ != campaign_->band()
              : file.status == analysis::CampaignStatus::Pending) {
      ++toDo;
    }
  }
  return toDo;
}

void CampaignRun::appendFirst(std::vector<analysis::CampaignEntry> entries) {
  total_ += entries.size();
  appended_ = std::move(entries);
}

void CampaignRun::start() {
  // The signals go to objects of the GUI thread: queued, since they are emitted on this one.
  thread_ = std::jthread([this](std::stop_token stop) { run(stop); });
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

void CampaignRun::run(std::stop_token stop) {
  lowerPriorityOfThisThread();  // before the core starts its workers from here
  analysis::CampaignRunOptions options{
      .threads = threads_, .progress = {}, .cache = cache_, .reading = reading_};
  options.progress = [this](const analysis::CampaignProgress& progress) {
    done_.store(progress.filesDone);
    if (!progressPending_.exchange(true)) emit progressed();
  };
  try {
    if (changeFirst_) {
      changeFirst_(*campaign_);
      total_.store(filesToDo() + appended_.size());
    }
    campaign_->append(appended_);
    const analysis::CampaignRunOutcome outcome = band_
                                                     ? campaign_->changeBand(*band_, options, stop)
                                                     : campaign_->computePending(options, stop);
    complete_ = outcome.finished && campaign_->finished() && !stop.stop_requested();
    if (complete_) {
      putFilesInOrder();
      snapshot_ = std::make_shared<const CampaignSnapshot>(CampaignSnapshot{
          campaign_->sharedFiles(), campaign_->bins(), campaign_->band(), campaign_->statistics()});
    }
  } catch (const std::exception& error) {
    failure_ = error.what();
  } catch (...) {
    failure_ = "the computation failed";
  }
  emit finished();
}

void CampaignRun::putFilesInOrder() {
  std::unordered_map<std::string_view, std::size_t> rank;
  for (std::size_t i = 0; i < order_.size(); ++i) rank.emplace(order_[i], i);
  const std::vector<analysis::CampaignFile>& files = campaign_->files();
  std::vector<std::size_t> ranks(files.size());
  for (std::size_t i = 0; i < files.size(); ++i) {
    const auto found = rank.find(files[i].tableName());
    ranks[i] = found != rank.end() ? found->second : rank.size();
  }
  std::vector<std::size_t> order(files.size());
  std::iota(order.begin(), order.end(), std::size_t{0});
  std::stable_sort(order.begin(), order.end(),
                   [&ranks](std::size_t a, std::size_t b) { return ranks[a] < ranks[b]; });
  campaign_->reorder(order);
}

}  // namespace viewer
