// The file browser: drives, directories, the filtered file list, and the veto rename.
#include <QAction>
#include <QApplication>
#include <QCheckBox>
#include <QComboBox>
#include <QDir>
#include <QFile>
#include <QFileInfo>
#include <QLabel>
#include <QListWidget>
#include <QRadioButton>
#include <QStorageInfo>

#include "viewer/display/display.h"
#include "viewer/live/file_pattern.h"

namespace viewer {

namespace {
constexpr int kPathRole = Qt::UserRole;
}  // namespace

void Display::fillDrives(const QString& startDir) {
  // Without drive letters, each mounted file system's root stands for a drive.
  QStringList roots;
  for (const QStorageInfo& volume : QStorageInfo::mountedVolumes()) {
    if (volume.isValid() && volume.isReady() && !roots.contains(volume.rootPath())) {
      roots << volume.rootPath();
    }
  }
  const QString startRoot = QStorageInfo(startDir).rootPath();
  if (!roots.contains(startRoot)) roots << startRoot;
  roots.sort();
  drilb->blockSignals(true);
  drilb->clear();
  drilb->addItems(roots);
  drilb->setCurrentText(startRoot);
  drilb->blockSignals(false);
  driveDirectories_[startRoot] = startDir;
}

void Display::drilb_Change() {
  const QString drive = drilb->currentText();
  showDirectory(driveDirectories_.value(drive, drive));
  dirlb_Change();
}

void Display::showDirectory(const QString& path) {
  const QString absolute = QDir(path).absolutePath();
  driveDirectories_[drilb->currentText()] = absolute;
  dirlb->clear();
  // The classic directory list: the path's folders from the root down, then the subfolders.
  QStringList chain;
  for (QDir dir(absolute);;) {
    chain.prepend(dir.absolutePath());
    if (!dir.cdUp()) break;
  }
  int depth = 0;
  for (const QString& folder : chain) {
    const QString label = depth == 0 ? folder : QFileInfo(folder).fileName();
    auto* item = new QListWidgetItem(QString(depth * 2, ' ') + label, dirlb);
    item->setData(kPathRole, folder);
    ++depth;
  }
  dirlb->setCurrentRow(dirlb->count() - 1);
  const QFileInfoList subfolders = QDir(absolute).entryInfoList(QDir::Dirs | QDir::NoDotAndDotDot,
                                                                QDir::Name | QDir::IgnoreCase);
  for (const QFileInfo& sub : subfolders) {
    auto* item = new QListWidgetItem(QString(depth * 2, ' ') + sub.fileName(), dirlb);
    item->setData(kPathRole, sub.absoluteFilePath());
  }
  directory_ = absolute;
}

void Display::openDirectory(const QString& path) {
  showDirectory(path);
  dirlb_Change();
}

void Display::dirlb_Change() {
  QDir dir(directory_);
  if (!dir.exists()) report(directory_ + ": cannot be read");
  refillFileList();
}

void Display::dirlb_Click() {
  refillFileList();
}

void Display::refillFileList() {
  // Re-reading clears the selection without running an analysis.
  flb->blockSignals(true);
  flb->clear();
  flb->addItems(listedFileNames());
  flb->setCurrentRow(-1);
  flb->blockSignals(false);
}

QStringList Display::listedFileNames() const {
  QStringList listed;
  const QStringList names =
      QDir(directory_).entryList(QDir::Files, QDir::Name | QDir::IgnoreCase);  // no hidden files
  for (const QString& name : names) {
    if (viewer::matchesFilePattern(name, pattern_)) listed << name;
  }
  return listed;
}

void Display::applyPattern() {
  pattern_ = chcsw->isChecked() ? "*.csw" : "*.csv";
  const char* letters[] = {"z", "n", "e"};
  for (std::size_t i = 0; i < 3; ++i) {
    if (ofile[i]->isChecked()) pattern_ += letters[i];
  }
  refillFileList();
}

void Display::chcsw_Click() {
  applyPattern();
}

void Display::ofile_Click(int) {
  applyPattern();
}

void Display::mfilename_Click() {
  const int row = flb->currentRow();
  if (row < 0) {
    report("rename: no file is selected");
    return;
  }
  const QString name = flb->item(row)->text();
  const QString proposed = mfilename->text();
  if (name != proposalFor_) {
    report("rename: no new name is proposed for " + name);
    return;
  }
  const QString oldPath = QDir(directory_).filePath(name);
  const QString newPath = QDir(directory_).filePath(proposed);
  if (QFileInfo::exists(newPath)) {
    report("rename: " + proposed + " already exists; " + name + " keeps its name");
    return;
  }
  QFile file(oldPath);
  if (!file.rename(newPath)) {
    report("rename: " + name + " cannot be renamed into " + proposed + " (" + file.errorString() +
           ")");
    return;
  }
  refillFileList();
  flb->setCurrentRow(row);  // runs the analysis of the file now at that place
  // The run's own problems, if any, say more than the confirmation.
  if (statusText().isEmpty()) report("rename: " + name + " renamed " + proposed);
}

void Display::mexit_Click() {
  close();
  QApplication::quit();
}

}  // namespace viewer
