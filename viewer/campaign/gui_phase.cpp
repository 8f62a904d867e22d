#include "viewer/campaign/gui_phase.h"

#include <atomic>

namespace viewer {
namespace {

std::atomic<GuiPhaseProbe> installed{nullptr};

}  // namespace

void setGuiPhaseProbe(GuiPhaseProbe probe) {
  installed.store(probe, std::memory_order_relaxed);
}

GuiPhase::GuiPhase(const char* name)
    : name_(name), probe_(installed.load(std::memory_order_relaxed)) {
  if (probe_) probe_(name_, true);
}

GuiPhase::~GuiPhase() {
  if (probe_) probe_(name_, false);
}

}  // namespace viewer
