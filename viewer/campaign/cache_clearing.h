// The campaign window's "clear cache" button: empties the cache of readings (the source's, else
// the one at the default place) off the GUI thread, since removing a station-year's rows takes
// a while, and tells the outcome through `report` on the GUI thread. The source forgets the
// readings it keeps in memory too (a station archive's segments): the next computation reads
// every file or segment again.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <thread>

class QPushButton;
class QWidget;

namespace viewer {

class CampaignSource;

class CacheClearing : public QObject {
 public:
  // A source without a cache of its own: the cache at defaultCampaignCachePath() is cleared.
  // The source outlives this.
  CacheClearing(QWidget* parent, CampaignSource& source,
                std::function<void(const QString&)> report);
  ~CacheClearing() override;

  QPushButton* button() const { return button_; }
  void clear();

 private:
  CampaignSource& source_;
  std::function<void(const QString&)> report_;
  QPushButton* button_;
  std::jthread clearing_;
};

}  // namespace viewer
