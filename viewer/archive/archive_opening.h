// The "campaign" menu's "statistics of a station archive...": the dialog (archive_dialog.h),
// then the campaign window on the archive's segments (archive_campaign_source.h) once their
// readings are computed. A choice that cannot be taken (no directory, no response, no SEED id)
// goes to the main window's status line.
#pragma once

#include <QObject>
#include <QPointer>
#include <memory>

#include "analysis/units/spectral_units.h"
#include "viewer/archive/archive_choice.h"

class QAction;
class QMenu;

namespace viewer {

class ArchiveCampaignSource;
class CampaignWindow;
class Display;
class ReferenceCurvesView;

class ArchiveOpening : public QObject {
 public:
  ArchiveOpening(Display& display, ReferenceCurvesView& referenceCurves, QMenu& menu);
  ~ArchiveOpening() override;

  // Asks with the dialog, then opens the archive.
  void marchive_Click();
  // Opens a campaign window on the archive's segments; an archive window open before is closed.
  void openArchive(const ArchiveChoice& choice);
  CampaignWindow* archiveWindow() const { return window_.data(); }
  ArchiveCampaignSource* archiveSource() const { return source_.get(); }
  void setUnits(const analysis::SpectralUnits& units);

  QAction* marchive;

 private:
  Display& display_;
  ReferenceCurvesView& referenceCurves_;
  std::unique_ptr<ArchiveCampaignSource> source_;  // outlives its window
  QPointer<CampaignWindow> window_;
  analysis::SpectralUnits units_;
};

}  // namespace viewer
