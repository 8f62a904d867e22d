#include "viewer/campaign/campaign_follow.h"

#include <QSet>

#include "datafiles/file_names.h"

namespace viewer {

CampaignListChange planCampaignChange(const QStringList& campaign, const QStringList& listed) {
  CampaignListChange change;
  const QSet<QString> inList(listed.cbegin(), listed.cend());
  const QSet<QString> inCampaign(campaign.cbegin(), campaign.cend());
  QSet<QString> renameTargets;
  for (const QString& name : campaign) {
    if (inList.contains(name)) continue;
    const std::string old = name.toStdString();
    const QString toggled =
        QString::fromStdString(datafiles::toggledVetoName(old, datafiles::stemLengthOf(old)));
    if (inList.contains(toggled) && !inCampaign.contains(toggled) &&
        !renameTargets.contains(toggled)) {
      change.renamed.emplace_back(name, toggled);
      renameTargets.insert(toggled);
    } else {
      change.removed << name;
    }
  }
  for (const QString& name : listed) {
    if (!inCampaign.contains(name) && !renameTargets.contains(name)) change.added << name;
  }
  return change;
}

}  // namespace viewer
