// psd-analyze's choice of units for its spectral tables (the --help group "units"):
//   --units recorded|disp|vel|acc   the quantity (default recorded: the program's own axis)
//   --asd                           amplitude spectral density instead of PSD
//   --db                            decibels re 1 SI unit
//   --period                        a period column (s) after the frequency column
// Conversions and unit names: analysis/units/spectral_units.h. --asd, --db and --period need a
// quantity other than "recorded": the program's own axis has no such form.
#pragma once

#include "analysis/units/spectral_units.h"

namespace CLI {
class App;
}

namespace tools {

// Adds the group's options to `app`; they fill `units` when parsed.
void addUnitOptions(CLI::App& app, analysis::SpectralUnits& units);

// Throws CLI::ValidationError when a form or the period is asked without a quantity.
void checkUnitOptions(const analysis::SpectralUnits& units);

}  // namespace tools
