#include "viewer/campaign_follow.h"

#include <QSet>

#include "datafiles/file_names.h"

namespace viewer {

CampaignListChange planCampaignChange(const QStringList& campaign, const QStringList& listed) {
  CampaignListChange change;
  if (campaign == listed) return change;
  const QSet<QString> inList(listed.cbegin(), listed.cend());
  const QSet<QString> inCampaign(campaign.cbegin(), campaign.cend());
  QSet<QString> renameTargets;
  QStringList kept;  // the campaign's names after removals and renames, in its order
  for (const QString& name : campaign) {
    if (inList.contains(name)) {
      kept << name;
      continue;
    }
    const std::string old = name.toStdString();
    const QString toggled =
        QString::fromStdString(datafiles::toggledVetoName(old, datafiles::stemLengthOf(old)));
    if (inList.contains(toggled) && !inCampaign.contains(toggled) &&
        !renameTargets.contains(toggled)) {
      change.renamed.emplace_back(name, toggled);
      renameTargets.insert(toggled);
      kept << toggled;
    } else {
      change.removed << name;
    }
  }
  for (const QString& name : listed) {
    if (!inCampaign.contains(name) && !renameTargets.contains(name)) change.appended << name;
  }
  change.kind = kept + change.appended == listed ? CampaignListChange::Kind::Incremental
                                                 : CampaignListChange::Kind::Afresh;
  return change;
}

}  // namespace viewer
