// Where a campaign window takes its files from: the main window's file list, its directory and
// pattern. The window follows the list's model and selects in it; it knows nothing else of the
// main window.
#pragma once

#include <QString>
#include <functional>

#include "analysis/campaign/campaign.h"

class QListWidget;

namespace analysis {
class CampaignCache;
}

namespace viewer {

class CampaignSource {
 public:
  virtual ~CampaignSource() = default;
  // The list whose entries are the campaign's files; its model's changes are followed.
  virtual QListWidget* fileList() const = 0;
  virtual QString directory() const = 0;
  virtual QString filePattern() const = 0;
  // Analyses the list's selected entry again, as a click on the selected entry does.
  virtual void analyseSelected() = 0;
  // True when the list names files by their path relative to directory(), the root of a tree
  // ("2026-05-01/05010000.csvz"); false when it names files of directory() alone.
  virtual bool namesPathsInTree() const { return false; }
  // The cache of readings the campaign's runs use, or null to read every file.
  virtual analysis::CampaignCache* cache() const { return nullptr; }
  // Readings computed by the source instead of read from files (a station archive's
  // segments), or empty to read the files.
  virtual analysis::CampaignReading reading() const { return {}; }
  // "clear cache": empties the cache of readings by calling `clear` (off the GUI thread) after
  // forgetting the readings the source keeps in memory, none being computed meanwhile, so that
  // the next computation reads them again. By default `clear` alone.
  virtual void clearReadings(const std::function<void()>& clear) { clear(); }
};

}  // namespace viewer
