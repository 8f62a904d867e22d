// Where a campaign window takes its files from: the main window's file list, its directory and
// pattern. The window follows the list's model and selects in it; it knows nothing else of the
// main window.
#pragma once

#include <QString>

class QListWidget;

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
};

}  // namespace viewer
