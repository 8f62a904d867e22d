// The campaign window's "Save report..." button: asks for a file (a name without ".pdf" gets it)
// and writes the campaign report (viewer/report/) of the campaign shown, with the selection,
// the "compare with" selection and their compliance tables as the window shows them (the grids
// of the criterion chosen in the "criteria" view), off the
// GUI thread: a station-year's report takes a few seconds. The status line says where it goes,
// then that it was saved or what went wrong, naming the file.
#pragma once

#include <QObject>
#include <QString>
#include <functional>
#include <thread>

class QPushButton;

namespace viewer {

class CampaignWindow;

class ReportSaving : public QObject {
  Q_OBJECT

 public:
  // `source` names what the campaign is of ("directory ... files ..."), `report` tells the
  // status line.
  ReportSaving(CampaignWindow* window, std::function<QString()> source,
               std::function<void(const QString&)> report);
  ~ReportSaving() override;

  QPushButton* button() const { return button_; }
  void ask();  // the file dialog, then save()
  // Starts writing the report to `path`; false (and the status line says why) when nothing
  // complete is shown, the selection is still being computed or a report is being written.
  bool save(const QString& path);
  bool saving() const { return saving_; }

 signals:
  void saved(bool ok);

 private:
  CampaignWindow* window_;
  std::function<QString()> source_;
  std::function<void(const QString&)> report_;
  QPushButton* button_;
  bool saving_ = false;
  std::jthread writer_;  // last: ends before the members it uses
};

}  // namespace viewer
