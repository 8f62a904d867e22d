#include "viewer/campaign/report_saving.h"

#include <QComboBox>
#include <QDir>
#include <QFileDialog>
#include <QMetaObject>
#include <QPushButton>

#include "analysis/compliance/compliance.h"
#include "viewer/campaign/campaign_window.h"
#include "viewer/campaign/criteria_view.h"
#include "viewer/report/report_content.h"
#include "viewer/report/report_pdf.h"

namespace viewer {

ReportSaving::ReportSaving(CampaignWindow* window, std::function<QString()> source,
                           std::function<void(const QString&)> report)
    : QObject(window), window_(window), source_(std::move(source)), report_(std::move(report)) {
  button_ = new QPushButton("Save report...", window);
  button_->setObjectName("saveReport");
  button_->setToolTip("write the campaign report of what is shown as a PDF");
  connect(button_, &QPushButton::clicked, this, &ReportSaving::ask);
}

ReportSaving::~ReportSaving() = default;  // the writing thread ends before the members go

void ReportSaving::ask() {
  const QString suggested = QDir(QDir::homePath()).filePath("campaign-report.pdf");
  QString chosen =
      QFileDialog::getSaveFileName(window_, "Save report", suggested, "PDF documents (*.pdf)");
  if (chosen.isEmpty()) return;
  if (!chosen.endsWith(".pdf", Qt::CaseInsensitive)) chosen += ".pdf";
  save(chosen);
}

bool ReportSaving::save(const QString& path) {
  const SharedSnapshot snapshot = window_->shown();
  if (!snapshot) {
    report_("report: no complete campaign is shown");
    return false;
  }
  if (window_->timeViewPending()) {
    report_("report: the selection is still being computed; save the report when it is shown");
    return false;
  }
  if (saving_) {
    report_("report: a report is still being written");
    return false;
  }
  SharedTimeView view = window_->timeView();
  if (view && view->snapshot != snapshot) view = nullptr;
  // The grids show the criterion chosen in the "criteria" view, when there is one.
  std::optional<std::size_t> gridCriterion;
  if (const auto* chosen = window_->criteria()->findChild<QComboBox*>("criterion")) {
    gridCriterion = static_cast<std::size_t>(chosen->currentData().toULongLong());
  }
  saving_ = true;
  report_("saving the report to " + QDir::toNativeSeparators(path));
  writer_ =
      std::jthread([this, snapshot, view, path, gridCriterion, source = source_().toStdString()] {
        CampaignReportInput input{.source = source,
                                  .files = *snapshot->files,
                                  .band = snapshot->band,
                                  .startSource = "no start times",
                                  .statistics = &snapshot->statistics,
                                  .selectedUsed = snapshot->statistics.counts.used};
        analysis::ComplianceTables tables, compared;
        if (view) {
          input.starts = view->starts.start;
          input.startSource = view->starts.source;
          input.selection = view->selection;
          input.statistics = &view->selectionStatistics();
          if (view->selection.active()) input.selectedUsed = view->selectedUsed;
          input.compare = view->compare;
          input.compareStatistics = view->compareStatistics ? &*view->compareStatistics : nullptr;
          input.comparedUsed = view->comparedUsed;
        }
        // The judgements once, the tables of both selections from them.
        const analysis::CampaignCompliance compliance(*snapshot->files);
        tables = compliance.tablesOf(view && view->selection.active()
                                         ? std::span<const std::uint8_t>(view->selected)
                                         : std::span<const std::uint8_t>(),
                                     input.starts);
        input.compliance = &tables;
        input.gridCriterion = gridCriterion;
        if (view && view->compare) {
          compared = compliance.tablesOf(view->compared, input.starts);
          input.compareCompliance = &compared;
        }
        const auto failure =
            writeReportPdf(std::filesystem::path(QDir::toNativeSeparators(path).toStdString()),
                           campaignReport(input));
        QMetaObject::invokeMethod(
            this,
            [this, failure, path, records = snapshot->files->size()] {
              saving_ = false;
              if (failure) {
                report_("report: " + QString::fromStdString(*failure));
              } else {
                report_(QStringLiteral("report of %1 files saved as %2")
                            .arg(records)
                            .arg(QDir::toNativeSeparators(path)));
              }
              emit saved(!failure);
            },
            Qt::QueuedConnection);
      });
  return true;
}

}  // namespace viewer
