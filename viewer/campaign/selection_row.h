// One row of time selection fields in the campaign window: dates from / to (empty = open;
// YYYY-MM-DD or YYYY-MM-DDThh:mm; from inclusive, to exclusive), hours from hh:mm to hh:mm
// (both empty = the whole day; a range may wrap past midnight) and seven weekday boxes, Mon to
// Sun. The fields are read as analysis/campaign/time_selection.h defines a selection.
#pragma once

#include <QString>
#include <QWidget>
#include <array>
#include <optional>

#include "analysis/campaign/time_selection.h"

class QCheckBox;
class QLineEdit;

namespace viewer {

class SelectionRow : public QWidget {
  Q_OBJECT

 public:
  SelectionRow(const QString& label, QWidget* parent);

  // The selection the fields describe, or nothing with the problem (naming the field's text).
  std::optional<analysis::TimeSelection> selection(QString* problem) const;
  void setSelection(const analysis::TimeSelection& selection);

 signals:
  // A field's editing finished or a box was toggled.
  void changed();

 private:
  QLineEdit *from_, *to_, *hoursFrom_, *hoursTo_;
  std::array<QCheckBox*, 7> days_;
};

}  // namespace viewer
