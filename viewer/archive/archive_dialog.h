// "statistics of a station archive": the directory (an SDS tree or miniSEED files), the channel
// pair (listed from the archive once a directory is chosen), the response file(s), segment
// length and overlap. Only asks: archive_opening.h takes the choice.
#pragma once

#include <QDialog>

#include "viewer/archive/archive_choice.h"

class QComboBox;
class QDoubleSpinBox;
class QLineEdit;

namespace viewer {

class ArchiveDialog : public QDialog {
 public:
  explicit ArchiveDialog(const QString& startDirectory, QWidget* parent = nullptr);

  ArchiveChoice choice() const;
  // Takes `directory` as chosen: lists its channels, proposes the response files beside it.
  void setDirectory(const QString& directory);

  QLineEdit* directory;
  QComboBox *channel1, *channel2;  // channel2's first entry "(none)": one-channel records
  QLineEdit* responses;            // files separated by ';'
  QDoubleSpinBox *segment, *overlap;

 private:
  void chooseDirectory();
  void chooseResponses();
};

}  // namespace viewer
