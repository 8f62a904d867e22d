#include "viewer/archive/archive_dialog.h"

#include <QComboBox>
#include <QDialogButtonBox>
#include <QDir>
#include <QDoubleSpinBox>
#include <QFileDialog>
#include <QFormLayout>
#include <QHBoxLayout>
#include <QLineEdit>
#include <QPushButton>

namespace viewer {
namespace {

constexpr const char* kNoChannel = "(none)";

QWidget* withButton(QLineEdit* edit, QPushButton* button, QWidget* parent) {
  auto* row = new QWidget(parent);
  auto* layout = new QHBoxLayout(row);
  layout->setContentsMargins(0, 0, 0, 0);
  layout->addWidget(edit, 1);
  layout->addWidget(button);
  return row;
}

}  // namespace

ArchiveDialog::ArchiveDialog(const QString& startDirectory, QWidget* parent) : QDialog(parent) {
  setWindowTitle("statistics of a station archive");
  directory = new QLineEdit(this);
  directory->setObjectName("archiveDirectory");
  channel1 = new QComboBox(this);
  channel1->setObjectName("archiveChannel1");
  channel2 = new QComboBox(this);
  channel2->setObjectName("archiveChannel2");
  responses = new QLineEdit(this);
  responses->setObjectName("archiveResponses");
  responses->setToolTip(
      "StationXML files, or pole-zero files named NET.STA.LOC.CHA.pz; "
      "separated by ';'");
  segment = new QDoubleSpinBox(this);
  segment->setObjectName("archiveSegment");
  segment->setRange(1, 100000);
  segment->setDecimals(2);
  segment->setSuffix(" s");
  segment->setValue(655.36);
  overlap = new QDoubleSpinBox(this);
  overlap->setObjectName("archiveOverlap");
  overlap->setRange(0, 95);
  overlap->setSuffix(" %");
  overlap->setValue(50);
  auto* browseDirectory = new QPushButton("...", this);
  auto* browseResponses = new QPushButton("...", this);
  connect(browseDirectory, &QPushButton::clicked, this, &ArchiveDialog::chooseDirectory);
  connect(browseResponses, &QPushButton::clicked, this, &ArchiveDialog::chooseResponses);
  connect(directory, &QLineEdit::editingFinished, this,
          [this] { setDirectory(directory->text()); });

  auto* form = new QFormLayout(this);
  form->addRow("directory (SDS or miniSEED files)", withButton(directory, browseDirectory, this));
  form->addRow("channel 1", channel1);
  form->addRow("channel 2", channel2);
  form->addRow("response file(s)", withButton(responses, browseResponses, this));
  form->addRow("segment", segment);
  form->addRow("overlap", overlap);
  auto* buttons = new QDialogButtonBox(QDialogButtonBox::Ok | QDialogButtonBox::Cancel, this);
  connect(buttons, &QDialogButtonBox::accepted, this, &QDialog::accept);
  connect(buttons, &QDialogButtonBox::rejected, this, &QDialog::reject);
  form->addRow(buttons);
  directory->setText(startDirectory);
}

void ArchiveDialog::chooseDirectory() {
  const QString chosen =
      QFileDialog::getExistingDirectory(this, "station archive", directory->text());
  if (!chosen.isEmpty()) setDirectory(chosen);
}

void ArchiveDialog::chooseResponses() {
  const QStringList chosen =
      QFileDialog::getOpenFileNames(this, "response files", directory->text(),
                                    "responses (*.xml *.pz *.PZ *.sacpz);;all files (*)");
  if (!chosen.isEmpty()) responses->setText(chosen.join(';'));
}

void ArchiveDialog::setDirectory(const QString& chosen) {
  directory->setText(chosen);
  channel1->clear();
  channel2->clear();
  channel2->addItem(kNoChannel);
  const auto ids = archiveChannels(std::filesystem::path(chosen.toStdString()));
  for (const auto& id : ids) {
    channel1->addItem(QString::fromStdString(id.text()));
    channel2->addItem(QString::fromStdString(id.text()));
  }
  // Two channels at first: the pair whose transfer function and coherence the records give.
  if (ids.size() >= 2) channel2->setCurrentIndex(2);
  // make-samples and many data centres put the responses beside the archive.
  if (responses->text().isEmpty()) {
    const QDir dir(chosen);
    const QStringList xml = dir.entryList({"*.xml"}, QDir::Files);
    if (!xml.isEmpty()) responses->setText(dir.filePath(xml.first()));
  }
}

ArchiveChoice ArchiveDialog::choice() const {
  ArchiveChoice c;
  c.directory = directory->text();
  c.channel1 = channel1->currentText();
  c.channel2 = channel2->currentText() == kNoChannel ? QString() : channel2->currentText();
  for (const QString& file : responses->text().split(';', Qt::SkipEmptyParts)) {
    c.responseFiles << file.trimmed();
  }
  c.segmentSeconds = segment->value();
  c.overlapPercent = overlap->value();
  return c;
}

}  // namespace viewer
