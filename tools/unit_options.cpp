#include "tools/unit_options.h"

#include <CLI/CLI.hpp>
#include <string>

namespace tools {

void addUnitOptions(CLI::App& app, analysis::SpectralUnits& units) {
  const char* group = "units";
  app.add_option_function<std::string>(
         "--units",
         [&units](const std::string& which) {
           units.quantity = which == "disp"  ? analysis::Quantity::Displacement
                            : which == "vel" ? analysis::Quantity::Velocity
                            : which == "acc" ? analysis::Quantity::Acceleration
                                             : analysis::Quantity::Recorded;
         },
         "quantity of the spectral columns of --csv, --noise-models-csv, --relative-csv, "
         "--self-noise-csv and the campaign's percentiles and density: the program's PSD axis "
         "(mum^2/Hz, default) or the one-sided displacement, velocity or acceleration density")
      ->check(CLI::IsMember({"recorded", "disp", "vel", "acc"}).description(""))
      ->type_name("recorded|disp|vel|acc")
      ->group(group);
  app.add_flag("--asd", units.asd, "amplitude spectral density, the square root of the PSD")
      ->group(group);
  app.add_flag("--db", units.db, "decibels re 1 m^2/Hz, 1 (m/s)^2/Hz or 1 (m/s^2)^2/Hz")
      ->group(group);
  app.add_flag("--period", units.period, "a period column (s) after the frequency column")
      ->group(group);
}

void checkUnitOptions(const analysis::SpectralUnits& units) {
  if (!units.recorded()) return;
  for (const auto& [given, name] : {std::pair{units.asd, "--asd"}, std::pair{units.db, "--db"},
                                    std::pair{units.period, "--period"}}) {
    if (given) throw CLI::ValidationError(name, "needs --units disp, vel or acc");
  }
}

}  // namespace tools
