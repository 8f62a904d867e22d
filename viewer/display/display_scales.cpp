// Linear and logarithmic scales, the limit bars of the PSD plot, and the menu switches that
// the next analysis reads.
#include <QAction>
#include <QScrollBar>
#include <cmath>

#include "viewer/display/display.h"

namespace viewer {
namespace {
void toggle(QAction* item) {
  item->setChecked(!item->isChecked());
}
}  // namespace

void Display::mlinf_Click() {
  toggle(mlinf);
  linlog();
}

void Display::mlinamp_Click() {
  toggle(mlinamp);
  linlog();
}

void Display::linlog() {
  const bool linearFrequency = mlinf->isChecked();
  const bool linearAmplitude = mlinamp->isChecked();
  const int axisType = (linearFrequency ? 0 : 2) + (linearAmplitude ? 0 : 1);
  const double xMin = linearFrequency ? 0 : 0.01;
  for (ZEPLLib::ZEPL* plot : {ZEPL1, ZEPL2, ZEPL4}) plot->setAxisType(axisType);
  for (ZEPLLib::ZEPL* plot : {ZEPL1, ZEPL2, ZEPL4}) {
    plot->setXMin(xMin);
    plot->setXMax(100);
  }
  if (linearAmplitude) {
    ZEPL1->setYMin(0);
    ZEPL4->setYMin(0);
  } else {
    ZEPL1->setYMin(std::pow(10.0, vscpsdmin->value()));
    ZEPL4->setYMin(1e-5);
  }
  if (state_->nameStemLength == 10) {
    for (ZEPLLib::ZEPL* plot : {ZEPL1, ZEPL2, ZEPL4}) {
      if (linearFrequency) {
        plot->setXMax(250);
      } else {
        plot->setXMin(0.1);
        plot->setXMax(1000);
      }
    }
  }
  for (const auto& component : components_) component->onScalesChanged();
}

void Display::mautoscaleamp_Click() {
  toggle(mautoscaleamp);
  vscpsdmin->setEnabled(!mautoscaleamp->isChecked());
  vscpsdmax->setEnabled(!mautoscaleamp->isChecked());
}

void Display::mcal1_Click() {
  toggle(mcal1);
}
void Display::mcal2_Click() {
  toggle(mcal2);
}
void Display::mrawoffset_Click() {
  toggle(mrawoffset);
}

void Display::mrawauto_Click() {
  toggle(mrawauto);
  for (QScrollBar* bar : {vscrohmax[0], vscrohmin[0], vscrohmax[1], vscrohmin[1]}) {
    bar->setEnabled(!mrawauto->isChecked());
  }
}

void Display::mcohreal_Click() {
  for (const auto& component : components_) component->onCoherenceItemChosen();
  mcohreal->setChecked(true);
  mcohimag->setChecked(false);
  mcohabs->setChecked(false);
  ZEPL2->setYMin(-1);
}

void Display::mcohimag_Click() {
  for (const auto& component : components_) component->onCoherenceItemChosen();
  mcohreal->setChecked(false);
  mcohimag->setChecked(true);
  mcohabs->setChecked(false);
  ZEPL2->setYMin(-1);
}

void Display::mcohabs_Click() {
  for (const auto& component : components_) component->onCoherenceItemChosen();
  mcohreal->setChecked(false);
  mcohimag->setChecked(false);
  mcohabs->setChecked(true);
  ZEPL2->setYMin(0);
}

// The bars hold decimal exponents; a limit is written only while the pair stays increasing.
void Display::vscpsdmax_Change() {
  if (vscpsdmax->value() > vscpsdmin->value()) ZEPL1->setYMax(std::pow(10.0, vscpsdmax->value()));
}

void Display::vscpsdmin_Change() {
  if (vscpsdmax->value() > vscpsdmin->value()) ZEPL1->setYMin(std::pow(10.0, vscpsdmin->value()));
}

}  // namespace viewer
