// Connections from the controls to the handlers.
#include <QAction>
#include <QCheckBox>
#include <QComboBox>
#include <QEvent>
#include <QLineEdit>
#include <QListWidget>
#include <QPushButton>
#include <QRadioButton>
#include <QScrollBar>
#include <QSignalBlocker>
#include <QTimer>

#include "viewer/display/display.h"

namespace viewer {

void Display::connectHandlers() {
  // The file list: every change of the selection runs the analysis once; a click on the entry
  // already selected runs it again.
  connect(flb, &QListWidget::currentRowChanged, this, [this](int) { flb_Click(); });
  // A cut frequency put into its box by the program (the band's edges) shows its start: the
  // narrow box would otherwise show its end ("934" of 0.934). isModified() tells the user's own
  // typing, which keeps its cursor.
  for (QLineEdit* box : {tf1, tf2}) {
    connect(box, &QLineEdit::textChanged, this, [box] {
      if (!box->isModified()) box->setCursorPosition(0);
    });
  }
  flb->viewport()->installEventFilter(this);
  flb->installEventFilter(this);
  connect(flb, &QListWidget::itemClicked, this, [this](QListWidgetItem* item) {
    if (!entryAtPress_.isEmpty() && item->text() == entryAtPress_) flb_Click();
  });
  connect(drilb, &QComboBox::currentTextChanged, this, [this] { drilb_Change(); });
  connect(dirlb, &QListWidget::itemActivated, this,
          [this](QListWidgetItem* item) { openDirectory(item->data(Qt::UserRole).toString()); });
  connect(dirlb, &QListWidget::itemClicked, this, [this] { dirlb_Click(); });
  connect(chcsw, &QCheckBox::clicked, this, [this] { chcsw_Click(); });
  connect(cloop, &QPushButton::clicked, this, [this] { cloop_Click(); });
  connect(Timer1, &QTimer::timeout, this, [this] { Timer1_Timer(); });
  connect(hsstop, &QScrollBar::valueChanged, this, [this] { hsstop_Change(); });
  connect(chav, &QCheckBox::clicked, this, [this] { chav_Click(); });
  connect(cspeichern, &QPushButton::clicked, this, [this] { cspeichern_Click(); });
  connect(cref, &QPushButton::clicked, this, [this] { cref_Click(); });
  for (int i = 0; i < 4; ++i) {
    connect(ofile[static_cast<std::size_t>(i)], &QRadioButton::clicked, this,
            [this, i] { ofile_Click(i); });
    connect(ch[static_cast<std::size_t>(i)], &QCheckBox::clicked, this, [this, i] { ch_Click(i); });
  }
  for (int i = 0; i < 2; ++i) {
    const auto index = static_cast<std::size_t>(i);
    connect(vscrohmax[index], &QScrollBar::valueChanged, this, [this, i] { vscrohmax_Change(i); });
    connect(vscrohmin[index], &QScrollBar::valueChanged, this, [this, i] { vscrohmin_Change(i); });
  }

  // Items whose handlers set the check marks themselves: undo the automatic toggle first.
  const auto handled = [this](QAction* action, void (Display::*handler)()) {
    connect(action, &QAction::triggered, this, [this, action, handler](bool checked) {
      if (action->isCheckable()) action->setChecked(!checked);
      (this->*handler)();
    });
  };
  handled(mdispcoh, &Display::mdispcoh_Click);
  handled(mdispraw, &Display::mdispraw_Click);
  handled(mdispdisp, &Display::mdispdisp_Click);
  handled(mdisppsd, &Display::mdisppsd_Click);
  handled(mintegral, &Display::mintegral_Click);
  handled(mfilename, &Display::mfilename_Click);
  handled(mexit, &Display::mexit_Click);

  handled(mprint, &Display::mprint_Click);
  for (const auto& [item, handler] :
       {std::pair{mlinf, &Display::mlinf_Click}, std::pair{mlinamp, &Display::mlinamp_Click},
        std::pair{mautoscaleamp, &Display::mautoscaleamp_Click},
        std::pair{mcal1, &Display::mcal1_Click}, std::pair{mcal2, &Display::mcal2_Click},
        std::pair{mrawauto, &Display::mrawauto_Click},
        std::pair{mrawoffset, &Display::mrawoffset_Click},
        std::pair{mcohreal, &Display::mcohreal_Click},
        std::pair{mcohimag, &Display::mcohimag_Click},
        std::pair{mcohabs, &Display::mcohabs_Click}}) {
    handled(item, handler);
  }

  connect(crück, &QPushButton::clicked, this, [this] { crück_Click(); });
  for (int i = 0; i < 2; ++i) {
    connect(orück[static_cast<std::size_t>(i)], &QRadioButton::clicked, this,
            [this, i] { orück_Click(i); });
  }
  connect(vscpsdmax, &QScrollBar::valueChanged, this, [this] { vscpsdmax_Change(); });
  connect(vscpsdmin, &QScrollBar::valueChanged, this, [this] { vscpsdmin_Change(); });
  connect(ZEPL1, &ZEPLLib::ZEPL::ScaleToggle, this, [this] { mlinf_Click(); });
  connect(ZEPL1, &ZEPLLib::ZEPL::CursorMove, this, [this](double x) { ZEPL1_CursorMove(x); });
  connect(ZEPL3, &ZEPLLib::ZEPL::CursorMove, this, [this](double x) { ZEPL3_CursorMove(x); });
  connect(ZEPL4, &ZEPLLib::ZEPL::CursorMove, this, [this](double x) { ZEPL4_CursorMove(x); });
  connect(ZEPL5, &ZEPLLib::ZEPL::CursorMove, this, [this](double x) { ZEPL5_CursorMove(x); });
}

bool Display::eventFilter(QObject* watched, QEvent* event) {
  if (watched == flb->viewport() && event->type() == QEvent::MouseButtonPress) {
    entryAtPress_ = selectedFileName();
  }
  if (watched == flb && event->type() == QEvent::FocusIn && flb->currentRow() < 0) {
    // Given the focus without a current entry (by Tab, say), the list makes its first entry
    // current. Nobody chose that file: the list takes the focus quietly and keeps no entry.
    const QSignalBlocker quiet(flb);
    static_cast<QObject*>(flb)->event(event);
    flb->setCurrentRow(-1);
    return true;
  }
  return QMainWindow::eventFilter(watched, event);
}

}  // namespace viewer
