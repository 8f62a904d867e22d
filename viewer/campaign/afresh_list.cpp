#include "viewer/campaign/afresh_list.h"

#include "viewer/campaign/campaign_entry.h"

namespace viewer {

AfreshList prepareAfreshList(const QString& directory, const QStringList& listed, bool pathsInTree,
                             const analysis::RmsBand& band, const QDateTime& now, qint64 nowMs,
                             std::stop_token stop) {
  AfreshList list{.listed = listed, .settled = {}, .taken = {}, .arriving = {}, .campaign = {}};
  const QList<FileStamp> stamps = fileStampsOf(directory, listed, stop);
  if (stop.stop_requested()) return list;
  list.settled = list.arriving.settled(listed, stamps, now, nowMs);
  const QHash<QString, FileStamp>& settledStamps = list.arriving.stampsOfSettled();
  for (const QString& name : list.settled) list.taken.insert(name, settledStamps.value(name));
  list.campaign = std::make_shared<analysis::Campaign>(analysis::CampaignSettings{.band = band});
  list.campaign->append(campaignEntriesOf(directory, list.settled, pathsInTree));
  return list;
}

}  // namespace viewer
