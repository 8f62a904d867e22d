// The campaign window's "clear cache" button: empties the cache of readings (the source's, else
// the one at the default place) off the GUI thread, since removing a station-year's rows takes
// a while, and tells the outcome through `report` on the GUI thread.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <thread>

class QPushButton;
class QWidget;

namespace analysis {
class CampaignCache;
}

namespace viewer {

class CacheClearing : public QObject {
 public:
  // `cache` may be null: the cache at defaultCampaignCachePath() is cleared.
  CacheClearing(QWidget* parent, analysis::CampaignCache* cache,
                std::function<void(const QString&)> report);
  ~CacheClearing() override;

  QPushButton* button() const { return button_; }
  void clear();

 private:
  analysis::CampaignCache* cache_;
  std::function<void(const QString&)> report_;
  QPushButton* button_;
  std::jthread clearing_;
};

}  // namespace viewer
