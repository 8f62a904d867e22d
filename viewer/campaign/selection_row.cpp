#include "viewer/campaign/selection_row.h"

#include <QCheckBox>
#include <QHBoxLayout>
#include <QLabel>
#include <QLineEdit>

namespace viewer {

namespace {

constexpr const char* kDays[7] = {"Mon", "Tue", "Wed", "Thu", "Fri", "Sat", "Sun"};

QString clockText(int seconds) {
  return QStringLiteral("%1:%2")
      .arg(seconds / 3600, 2, 10, QLatin1Char('0'))
      .arg(seconds / 60 % 60, 2, 10, QLatin1Char('0'));
}

}  // namespace

SelectionRow::SelectionRow(const QString& label, QWidget* parent) : QWidget(parent) {
  auto* layout = new QHBoxLayout(this);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(new QLabel(label, this));
  const auto field = [this](const char* name, const char* placeholder, int width) {
    auto* edit = new QLineEdit(this);
    edit->setObjectName(name);
    edit->setPlaceholderText(placeholder);
    edit->setMaximumWidth(width);
    connect(edit, &QLineEdit::editingFinished, this, &SelectionRow::changed);
    return edit;
  };
  from_ = field("from", "YYYY-MM-DD", 130);
  to_ = field("to", "YYYY-MM-DD", 130);
  hoursFrom_ = field("hoursFrom", "hh:mm", 60);
  hoursTo_ = field("hoursTo", "hh:mm", 60);
  layout->addWidget(new QLabel("dates from", this));
  layout->addWidget(from_);
  layout->addWidget(new QLabel("to", this));
  layout->addWidget(to_);
  layout->addSpacing(12);
  layout->addWidget(new QLabel("hours from", this));
  layout->addWidget(hoursFrom_);
  layout->addWidget(new QLabel("to", this));
  layout->addWidget(hoursTo_);
  layout->addSpacing(12);
  for (int d = 0; d < 7; ++d) {
    days_[static_cast<std::size_t>(d)] = new QCheckBox(kDays[d], this);
    QCheckBox* box = days_[static_cast<std::size_t>(d)];
    box->setObjectName(kDays[d]);
    box->setChecked(true);
    connect(box, &QCheckBox::toggled, this, &SelectionRow::changed);
    layout->addWidget(box);
  }
  layout->addStretch(1);
}

std::optional<analysis::TimeSelection> SelectionRow::selection(QString* problem) const {
  analysis::TimeSelection selection;
  for (auto [edit, bound] : {std::pair{from_, &selection.from}, std::pair{to_, &selection.to}}) {
    const QString text = edit->text().trimmed();
    if (text.isEmpty()) continue;
    *bound = analysis::parseIsoDateTime(text.toStdString());
    if (!*bound) {
      *problem = QStringLiteral("\"%1\" is no date (YYYY-MM-DD or YYYY-MM-DDThh:mm)").arg(text);
      return std::nullopt;
    }
  }
  const QString hoursFrom = hoursFrom_->text().trimmed(), hoursTo = hoursTo_->text().trimmed();
  if (!hoursFrom.isEmpty() || !hoursTo.isEmpty()) {
    std::string why;
    // One field left empty stands for midnight.
    const auto hours = analysis::parseHours(
        (hoursFrom.isEmpty() ? QStringLiteral("00:00") : hoursFrom).toStdString() + "-" +
            (hoursTo.isEmpty() ? QStringLiteral("00:00") : hoursTo).toStdString(),
        &why);
    if (!hours) {
      *problem = QStringLiteral("hours \"%1\" to \"%2\": each hh:mm, 00:00 to 23:59")
                     .arg(hoursFrom, hoursTo);
      return std::nullopt;
    }
    selection.hours = hours;
  }
  selection.weekdays = 0;
  for (int d = 0; d < 7; ++d) {
    if (days_[static_cast<std::size_t>(d)]->isChecked()) {
      selection.weekdays |= static_cast<std::uint8_t>(1u << d);
    }
  }
  return selection;
}

void SelectionRow::setSelection(const analysis::TimeSelection& selection) {
  const QSignalBlocker blocks[] = {QSignalBlocker(from_), QSignalBlocker(to_),
                                   QSignalBlocker(hoursFrom_), QSignalBlocker(hoursTo_)};
  from_->setText(selection.from ? QString::fromStdString(analysis::isoText(*selection.from))
                                : QString());
  to_->setText(selection.to ? QString::fromStdString(analysis::isoText(*selection.to)) : QString());
  hoursFrom_->setText(selection.hours ? clockText(selection.hours->from) : QString());
  hoursTo_->setText(selection.hours ? clockText(selection.hours->to) : QString());
  for (int d = 0; d < 7; ++d) {
    const QSignalBlocker block(days_[static_cast<std::size_t>(d)]);
    days_[static_cast<std::size_t>(d)]->setChecked((selection.weekdays >> d & 1) != 0);
  }
}

}  // namespace viewer
