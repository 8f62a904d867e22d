// One computation of a campaign off the GUI thread: reading the pending files, or finding the
// rms of another band. The core spreads the files over its worker threads; this object runs
// the core on a thread of its own, so that the GUI thread never waits for a file, and hands the
// outcome to the GUI thread through queued signals.
//
// While a run is alive its campaign belongs to it: nothing else may touch the campaign until
// finished() has been delivered (or the run destroyed). At its end the run takes a snapshot of
// the campaign's files, put in the window's order, and their statistics (on its own thread),
// which the window then shows.
#pragma once

#include <QObject>
#include <atomic>
#include <functional>
#include <memory>
#include <optional>
#include <string>
#include <thread>
#include <vector>

#include "analysis/campaign/campaign.h"
#include "viewer/campaign/campaign_snapshot.h"

namespace viewer {

class CampaignRun : public QObject {
  Q_OBJECT

 public:
  // A run reading the pending files of `campaign`, or, with `band`, finding the rms of that
  // band, on `threads` worker threads (0: one per core). A complete run puts the campaign's files
  // in the order of `order` (file names; names not in it follow in campaign order), as its
  // snapshot lists them. start() starts it, once its signals are connected.
  CampaignRun(std::shared_ptr<analysis::Campaign> campaign, std::optional<analysis::RmsBand> band,
              unsigned threads, std::vector<std::string> order, QObject* parent = nullptr);
  // Cancels and waits for the thread: a few ms, the file being read is finished first.
  ~CampaignRun() override;

  // Readings from and into `cache` (null: none); before start().
  void setCache(analysis::CampaignCache* cache) { cache_ = cache; }
  // Readings from the source instead of the files (CampaignRunOptions::reading); before start().
  void setReading(analysis::CampaignReading reading) { reading_ = std::move(reading); }
  // Entries appended to the campaign on the run's thread before it reads them (appending to a
  // station-year's campaign takes the GUI thread about 0.1 s); they count as files to do.
  // Before start().
  void appendFirst(std::vector<analysis::CampaignEntry> entries);
  // Changes of the campaign made on the run's thread before it appends and reads (files gone,
  // renamed, to be read again): on the GUI thread they would copy the readings the window shows,
  // which the campaign shares with it (a station-year's take most of a second). The files they
  // make pending count as files to do. Before start().
  void changeFirst(std::function<void(analysis::Campaign&)> change) {
    changeFirst_ = std::move(change);
  }
  void start();
  void cancel();
  bool cancelled() const;
  // True for a run finding the rms of another band.
  bool changesBand() const { return band_.has_value(); }

  // Files to do in this run; known for certain once the run's changes are made (changeFirst).
  std::size_t filesTotal() const { return total_.load(); }
  // Files done so far; also allows the next progressed() signal.
  std::size_t takeProgress();

  // After finished(): whether every file is done, the snapshot (when every file is done and
  // not cancelled) and the failure that ended the run early (empty when none).
  bool complete() const { return complete_; }
  SharedSnapshot snapshot() const { return snapshot_; }
  const std::string& failure() const { return failure_; }

 signals:
  // Queued to the GUI thread: at most one is pending until takeProgress() is called, so a fast
  // run does not flood the event loop.
  void progressed();
  void finished();

 private:
  void run(std::stop_token stop);
  // The campaign's files that this run reads (or finds the band's rms of).
  std::size_t filesToDo() const;
  // Puts the campaign's files in the order of `order_`, as the snapshot lists them.
  void putFilesInOrder();

  std::shared_ptr<analysis::Campaign> campaign_;
  std::vector<std::string> order_;
  std::vector<analysis::CampaignEntry> appended_;
  std::function<void(analysis::Campaign&)> changeFirst_;
  std::optional<analysis::RmsBand> band_;
  unsigned threads_;
  analysis::CampaignCache* cache_ = nullptr;
  analysis::CampaignReading reading_;
  std::atomic<std::size_t> total_{0};
  std::atomic<std::size_t> done_{0};
  std::atomic<bool> progressPending_{false};
  bool complete_ = false;  // written by the thread before finished(), read after it
  SharedSnapshot snapshot_;
  std::string failure_;
  std::jthread thread_;  // last: ends first, before the members it uses
};

}  // namespace viewer
