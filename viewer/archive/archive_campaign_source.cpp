#include "viewer/archive/archive_campaign_source.h"

#include <QDir>
#include <QListWidget>
#include <QMetaObject>
#include <map>
#include <mutex>
#include <tuple>
#include <utility>

#include "analysis/archive/archive_time.h"
#include "analysis/archive/segment_readings.h"
#include "analysis/campaign/campaign_cache.h"
#include "viewer/display/display.h"

namespace viewer {

namespace archive = analysis::archive;

// The readings of every band asked for so far, by bins per octave and band; shared with the
// campaign's worker threads, which may outlive nothing of it but this.
struct ArchiveReadings {
  ArchiveSetup setup;
  std::unique_ptr<analysis::CampaignCache> cache;
  std::mutex mutex;  // guards byBand; held while a band is computed, so it is computed once
  using Key = std::tuple<int, double, double>;
  std::map<Key, std::map<std::string, analysis::CampaignFile>> byBand;

  // The readings of a band, computed when not held. Called with `mutex` held.
  const std::map<std::string, analysis::CampaignFile>& of(
      const analysis::FrequencyBins& bins, const analysis::RmsBand& band,
      const archive::SegmentReadingControl& control, archive::SegmentReadings* whole = nullptr) {
    const Key key{bins.perOctave, band.fLow, band.fHigh};
    if (const auto held = byBand.find(key); held != byBand.end()) return held->second;
    const auto session = cache ? cache->session() : nullptr;
    archive::SegmentReadings read =
        archive::readSegments(setup.request, setup.responses, setup.responsesDigest, bins, band, 0,
                              session.get(), control);
    std::map<std::string, analysis::CampaignFile> named;
    for (const analysis::CampaignFile& file : read.files) named.emplace(file.name, file);
    if (whole) *whole = std::move(read);
    if (control.stop.stop_requested()) {  // incomplete: not kept
      static const std::map<std::string, analysis::CampaignFile> none;
      return none;
    }
    return byBand.emplace(key, std::move(named)).first->second;
  }
};

ArchiveCampaignSource::ArchiveCampaignSource(Display& display, ArchiveSetup setup,
                                             std::function<void()> ready)
    : display_(display),
      list_(std::make_unique<QListWidget>()),
      readings_(std::make_shared<ArchiveReadings>()),
      ready_(std::move(ready)),
      steps_(std::make_shared<SegmentSteps>(*list_)) {
  const archive::ArchiveRequest& request = setup.request;
  directory_ = QDir::toNativeSeparators(QString::fromStdString(
      (request.mseedPaths.empty() ? request.sdsRoot : request.mseedPaths.front()).string()));
  pattern_ = QString::fromStdString(request.channel1.text() +
                                    (request.channel2 ? "+" + request.channel2->text() : ""));
  readings_->setup = std::move(setup);
  if (const auto path = analysis::defaultCampaignCachePath()) {
    readings_->cache = std::make_unique<analysis::CampaignCache>(*path);
  }
  connect(list_.get(), &QListWidget::currentRowChanged, this, [this] { analyseSelected(); });
  display_.report("reading the station archive " + directory_ + "...");
  thread_ = std::jthread([this, readings = readings_](std::stop_token stop) {
    const archive::SegmentReadingControl control{
        .stop = stop, .progress = [this](std::size_t computed) {
          if (computed % 16 != 0) return;  // a status line a few times a second, not more
          QMetaObject::invokeMethod(
              this,
              [this, computed] {
                display_.report(QStringLiteral("reading the station archive %1: %2 segments")
                                    .arg(directory_)
                                    .arg(computed));
              },
              Qt::QueuedConnection);
        }};
    archive::SegmentReadings whole;
    QStringList names;
    {
      const std::lock_guard lock(readings->mutex);
      readings->of(analysis::FrequencyBins{analysis::kDefaultBinsPerOctave}, {}, control, &whole);
    }
    if (stop.stop_requested()) return;
    for (const analysis::CampaignFile& file : whole.files) {
      names << QString::fromStdString(file.name);
    }
    QString refusal = QString::fromStdString(whole.report.refusal);
    for (const std::string& problem : whole.report.problems) {
      if (refusal.isEmpty() && names.isEmpty()) refusal = QString::fromStdString(problem);
    }
    QMetaObject::invokeMethod(
        this,
        [this, names, leftOut = whole.report.leftOut, fromCache = whole.fromCache, refusal] {
          list_->addItems(names);
          computed(leftOut, fromCache, refusal);
        },
        Qt::QueuedConnection);
  });
}

ArchiveCampaignSource::~ArchiveCampaignSource() = default;

QListWidget* ArchiveCampaignSource::fileList() const {
  return list_.get();
}

void ArchiveCampaignSource::computed(std::size_t leftOut, std::size_t fromCache,
                                     const QString& refusal) {
  if (list_->count() == 0) {
    display_.report(
        directory_ + ": " +
        (refusal.isEmpty() ? "no complete segment of " + pattern_ + " in the archive" : refusal));
    return;
  }
  display_.report(QStringLiteral("%1: %2 segments of %3, %4 left out (incomplete), %5 from the "
                                 "cache")
                      .arg(directory_)
                      .arg(list_->count())
                      .arg(pattern_)
                      .arg(leftOut)
                      .arg(fromCache));
  if (ready_) std::exchange(ready_, nullptr)();
}

analysis::CampaignReading ArchiveCampaignSource::reading() const {
  return
      [readings = readings_](const analysis::CampaignEntry& entry,
                             const analysis::FrequencyBins& bins, const analysis::RmsBand& band) {
        const std::lock_guard lock(readings->mutex);
        const auto& named = readings->of(bins, band, {});
        if (const auto found = named.find(entry.fileName); found != named.end())
          return found->second;
        analysis::CampaignFile none;
        none.name = entry.fileName;
        none.status = analysis::CampaignStatus::Refused;
        none.message = entry.fileName + ": no longer a complete segment of the archive";
        return none;
      };
}

void ArchiveCampaignSource::clearReadings(const std::function<void()>& clear) {
  const std::lock_guard lock(readings_->mutex);
  readings_->byBand.clear();
  clear();
}

void ArchiveCampaignSource::analyseSelected() {
  const QListWidgetItem* item = list_->currentItem();
  if (!item) return;
  const std::string name = item->text().toStdString();
  const std::size_t at = name.rfind('@');
  const auto start =
      at == std::string::npos ? std::nullopt : archive::parseIsoUtc(name.substr(at + 1));
  if (!start) return;
  const unsigned picked = ++picked_;
  steps_->setBusy(true);
  archive::ArchiveRequest request = readings_->setup.request;
  // The name holds the start to the millisecond, the grid to the microsecond.
  request.from = *start;
  request.to = *start + 999;
  showing_ = std::jthread([this, picked, request, readings = readings_](std::stop_token stop) {
    auto record = std::make_shared<archive::SegmentRecord>();
    const archive::ArchiveReport report =
        archive::forEachSegment(request, readings->setup.responses, [&](const auto& r) {
          *record = r;
          return false;
        });
    if (stop.stop_requested()) return;
    const QString problem =
        record->name.empty()
            ? QString::fromStdString(
                  request.channel1.text() + ": the segment could not be cut " +
                  "again: " + (report.refusal.empty() ? "a sample is missing" : report.refusal))
            : QString();
    QMetaObject::invokeMethod(
        this,
        [this, picked, record, problem] {
          if (picked != picked_) return;  // another segment was picked since
          steps_->setBusy(false);
          if (!problem.isEmpty()) {
            display_.report(problem);  // the loop goes on with the next segment, as past a
                                       // file it could not read
          } else {
            display_.showRecord(*record, steps_);
          }
        },
        Qt::QueuedConnection);
  });
}

}  // namespace viewer
