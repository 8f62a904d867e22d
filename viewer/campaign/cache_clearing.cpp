#include "viewer/campaign/cache_clearing.h"

#include <QMetaObject>
#include <QPushButton>
#include <QWidget>

#include "analysis/campaign/campaign_cache.h"
#include "viewer/campaign/campaign_source.h"

namespace viewer {

CacheClearing::CacheClearing(QWidget* parent, CampaignSource& source,
                             std::function<void(const QString&)> report)
    : QObject(parent), source_(source), report_(std::move(report)) {
  button_ = new QPushButton("clear cache", parent);
  button_->setObjectName("clearCache");
  button_->setToolTip(
      "forget every file's reading kept for campaigns: the next campaign reads "
      "its files again");
  connect(button_, &QPushButton::clicked, this, &CacheClearing::clear);
}

CacheClearing::~CacheClearing() = default;  // the clearing thread ends before the members go

void CacheClearing::clear() {
  if (clearing_.joinable()) clearing_.join();  // a click while clearing: after it
  button_->setEnabled(false);
  clearing_ = std::jthread([this] {
    std::optional<std::string> failure;
    std::string place;
    source_.clearReadings([&] {
      if (analysis::CampaignCache* cache = source_.cache()) {
        failure = cache->clear();
        place = cache->path().string();
      } else if (const auto path = analysis::defaultCampaignCachePath()) {
        analysis::CampaignCache defaultCache(*path);
        failure = defaultCache.clear();
        place = path->string();
      } else {
        failure = "no cache: neither XDG_CACHE_HOME nor HOME is set";
      }
    });
    const QString message = failure ? QString::fromStdString(*failure)
                                    : "cache cleared: " + QString::fromStdString(place);
    QMetaObject::invokeMethod(
        this,
        [this, message] {
          button_->setEnabled(true);
          report_(message);
        },
        Qt::QueuedConnection);
  });
}

}  // namespace viewer
