// Names the piece of GUI-thread work under way (a plot's fill, the list's construction), so that
// a probe can tell in which of them the event loop was held up longest (bench_tree_window).
// Without a probe installed, a phase costs a test of one pointer on entering and leaving.
#pragma once

namespace viewer {

// Called with the phase's name on entering (true) and leaving (false) it, on the GUI thread.
using GuiPhaseProbe = void (*)(const char* name, bool entering);

// Installs the probe of every later phase (null: none).
void setGuiPhaseProbe(GuiPhaseProbe probe);

class GuiPhase {
 public:
  // `name` must outlive the phase (a string literal).
  explicit GuiPhase(const char* name);
  ~GuiPhase();
  GuiPhase(const GuiPhase&) = delete;
  GuiPhase& operator=(const GuiPhase&) = delete;

 private:
  const char* name_;
  GuiPhaseProbe probe_;  // the one it entered with, so that it leaves with the same
};

}  // namespace viewer
