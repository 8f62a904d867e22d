// The files of a directory tree as a campaign window's source: every spectrum file under the
// root at any depth that the main window's component and ".csw" choice (its file pattern at the
// time the tree was opened) let through, named by their paths relative to the root
// (analysis/campaign/campaign_tree.h), in a list of their own that the window follows.
//
// The tree is walked off the GUI thread, again every two seconds, so that files arriving in it,
// also in directories made meanwhile (a new day's directory), join the campaign. A file picked
// in the campaign window opens its directory in the main window and is analysed there, as a
// click in its file list does. Readings are kept in the cache at the default place
// (analysis/campaign/campaign_cache.h).
#pragma once

#include <QObject>
#include <QString>
#include <QStringList>
#include <functional>
#include <memory>
#include <thread>

#include "analysis/campaign/campaign_tree.h"
#include "viewer/campaign/campaign_source.h"

class QTimer;

namespace viewer {

class Display;

class TreeCampaignSource : public QObject, public CampaignSource {
 public:
  // Starts walking the tree off the GUI thread (a station-year's tree takes a few hundred ms);
  // `walked` is called on the GUI thread once the list holds all its files, then the tree is
  // walked again every two seconds.
  TreeCampaignSource(Display& display, const QString& root, std::function<void()> walked);
  ~TreeCampaignSource() override;

  QListWidget* fileList() const override;
  QString directory() const override { return root_; }
  QString filePattern() const override { return pattern_; }
  void analyseSelected() override;
  bool namesPathsInTree() const override { return true; }
  analysis::CampaignCache* cache() const override { return cache_.get(); }

  // Walks the tree again now, off the GUI thread; the list changes when the walk has ended.
  void lookAgain();

 private:
  void walked(const QStringList& names);

  Display& display_;
  QString root_, pattern_;
  analysis::SpectrumFileChoice choice_;
  std::unique_ptr<QListWidget> list_;
  std::unique_ptr<analysis::CampaignCache> cache_;
  std::function<void()> firstWalked_;  // until called
  QTimer* timer_;
  bool walking_ = false;
  std::jthread walker_;  // last: ends before the members it uses
};

}  // namespace viewer
