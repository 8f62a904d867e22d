// Which plot each area shows, the raw-data limit bars, and the layout on resize.
#include <QAction>
#include <QGroupBox>
#include <QLabel>
#include <QResizeEvent>
#include <QScrollBar>
#include <QStatusBar>

#include "viewer/display/display.h"
#include "viewer/display/twips.h"

namespace viewer {

void Display::mdispcoh_Click() {
  for (const auto& component : components_) component->onUpperViewChosen();
  mdispcoh->setChecked(true);
  mdispraw->setChecked(false);
  mdispdisp->setChecked(false);
  ZEPL2->show();
  ZEPL3->hide();
  ZEPL5->hide();
  for (QScrollBar* bar : {vscrohmax[0], vscrohmin[0], vscrohmax[1], vscrohmin[1]}) bar->hide();
}

void Display::mdispraw_Click() {
  for (const auto& component : components_) component->onUpperViewChosen();
  mdispcoh->setChecked(false);
  mdispraw->setChecked(true);
  mdispdisp->setChecked(false);
  ZEPL2->hide();
  ZEPL3->show();
  ZEPL5->hide();
  vscrohmax[0]->show();
  vscrohmin[0]->show();
  vscrohmax[1]->hide();
  vscrohmin[1]->hide();
}

void Display::mdispdisp_Click() {
  for (const auto& component : components_) component->onUpperViewChosen();
  mdispcoh->setChecked(false);
  mdispraw->setChecked(false);
  mdispdisp->setChecked(true);
  ZEPL2->hide();
  ZEPL3->hide();
  ZEPL5->show();
  vscrohmax[1]->show();
  vscrohmin[1]->show();
  vscrohmax[0]->hide();
  vscrohmin[0]->hide();
}

void Display::mdisppsd_Click() {
  for (const auto& component : components_) component->onMainViewChosen();
  const bool showPsd = !mdisppsd->isChecked();
  mdisppsd->setChecked(showPsd);
  mintegral->setChecked(!showPsd);
  ZEPL4->setVisible(!showPsd);
  ZEPL1->setVisible(showPsd);
  vscpsdmin->setVisible(showPsd);
  vscpsdmax->setVisible(showPsd);
}

void Display::mintegral_Click() {
  // The same switch seen from the other item.
  mdisppsd->setChecked(!mintegral->isChecked());
  mdisppsd_Click();
}

void Display::vscrohmax_Change(int i) {
  rawBarChanged(i, true);
}

void Display::vscrohmin_Change(int i) {
  rawBarChanged(i, false);
}

void Display::rawBarChanged(int i, bool upper) {
  const auto index = static_cast<std::size_t>(i);
  const int span = std::abs(vscrohmax[index]->value() - vscrohmin[index]->value());
  int step = 1;
  if (span > 20) step = 10;
  if (span > 200) step = 100;
  vscrohmax[index]->setSingleStep(step);
  vscrohmin[index]->setSingleStep(step);
  // A bar holds the negated limit; a limit is written only while the pair stays increasing.
  ZEPLLib::ZEPL* plot = i == 0 ? ZEPL3 : ZEPL5;
  if (plot->YMin() < plot->YMax()) {
    if (upper) {
      plot->setYMax(-vscrohmax[index]->value());
    } else {
      plot->setYMin(-vscrohmin[index]->value());
    }
  }
}

void Display::resizeEvent(QResizeEvent* event) {
  QMainWindow::resizeEvent(event);
  Form_Resize();
}

void Display::Form_Resize() {
  if (state_->startWidth == 0) return;  // before the start sizes are known
  const int w = toTwips(width()), h = toTwips(height());
  const auto horizontalMargin =
      static_cast<std::int16_t>(state_->startWidth - state_->startPlotWidth);
  const auto verticalMargin =
      static_cast<std::int16_t>(state_->startHeight - state_->startPlotHeight);
  const auto setSizes = [this](int plotWidth, int plotHeight) {
    ZEPL1->resize(plotWidth, plotHeight);
    for (ZEPLLib::ZEPL* strip : {ZEPL2, ZEPL3}) strip->resize(plotWidth, strip->height());
    ZEPL4->resize(plotWidth, plotHeight);
    for (const auto& component : components_) {
      component->onPlotsResized(plotWidth, plotHeight);
    }
    ZEPL5->resize(plotWidth, ZEPL5->height());
  };
  if (w >= state_->startWidth && h >= state_->startHeight) {
    setSizes(toPixels(w - horizontalMargin), toPixels(h - verticalMargin));
    vscpsdmin->move(vscpsdmin->x(), ZEPL1->y() + ZEPL1->height() - vscpsdmin->height());
  } else if (w >= 2500 && h >= 2500) {
    resize(toPixels(state_->startWidth), toPixels(state_->startHeight));
    setSizes(toPixels(state_->startPlotWidth), toPixels(state_->startPlotHeight));
  }
}

}  // namespace viewer
