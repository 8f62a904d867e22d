#include "tools/analyze_command_line.h"

#include <CLI/CLI.hpp>
#include <memory>
#include <ostream>
#include <string>

#include "datafiles/leading_value.h"
#include "psd_version.h"
#include "tools/option_values.h"
#include "tools/pooled_coherence_output.h"
#include "tools/two_sensor_outputs.h"
#include "tools/unit_options.h"

namespace tools {
namespace {

constexpr const char* kDescription =
    "Runs the viewer's per-file analysis on each FILE in turn, exactly as if each were selected "
    "in the viewer's file list, in the order given. One summary line per file goes to standard "
    "error; a refused file ends the run with a message naming the file and the line, and exit "
    "status 1.";

// Help lines name each option with its value's placeholder only: CLI11 would add the value count,
// "REQUIRED" and the options it needs, which the explanations already say.
class PlainFormatter : public CLI::Formatter {
 public:
  PlainFormatter() { column_width(32); }
  std::string make_option_opts(const CLI::Option* option) const override {
    const std::string type = option->get_type_name();
    return type.empty() ? std::string() : " " + type;
  }
};

void addPerFileRunOptions(CLI::App& app, AnalyzeOptions& o) {
  const char* group = "per-file run";
  app.add_option_function<std::string>(
         "--coherence",
         [&o](const std::string& which) {
           o.settings.coherence = {
               .real = which == "real", .imaginary = which == "imag", .magnitude = which == "abs"};
         },
         "coherence component computed per line: real part, imaginary part or magnitude "
         "(default real)")
      ->check(CLI::IsMember({"real", "imag", "abs"}).description(""))
      ->type_name("real|imag|abs")
      ->group(group);
  app.add_flag("--cal1", o.settings.raw.cal1, "raw data: CMG-6T factor 0.52 on channel 1")
      ->group(group);
  app.add_flag("--cal2", o.settings.raw.cal2, "raw data: CMG-6T factor 0.52 on channel 2")
      ->group(group);
  app.add_flag_callback(
         "--no-dc-offset", [&o] { o.settings.raw.subtractDcOffset = false; },
         "raw data: keep the DC offset of the traces")
      ->group(group);
}

void addAveragingOptions(CLI::App& app, AnalyzeOptions& o) {
  const char* group = "averaging";
  app.add_flag("--average", o.average,
               "restart the average with the first FILE and average the others into it")
      ->group(group);
  app.add_option("--save-average", o.saveAverage,
                 "write the average as the viewer's \"save\" button does")
      ->type_name("PATH")
      ->group(group);
  app.add_option("--first-name", o.firstName,
                 "file named first in the saved average's title (the loop's starting file)")
      ->type_name("NAME")
      ->group(group);
}

void addOutputOptions(CLI::App& app, AnalyzeOptions& o) {
  const char* group = "outputs";
  app.add_option("--csv", o.csv,
                 "write line,freq,psd1,psd2,coh,rmsCut1,rmsCut2 of the last FILE, lines 0 .. N/2")
      ->type_name("PATH")
      ->group(group);
  app.add_option("--raw-csv", o.rawCsv,
                 "write sample,rawTime,raw1,raw2 of the last FILE's calibrated raw traces")
      ->type_name("PATH")
      ->group(group);
}

void addBackTransformOptions(CLI::App& app, AnalyzeOptions& o,
                             std::vector<std::string>& backTransformBand) {
  const char* group = "back transformation";
  CLI::Option* band =
      app.add_option_function<std::vector<std::string>>(
             "--back-transform",
             [&backTransformBand](const std::vector<std::string>& values) {
               requireTwoValues("--back-transform", values.size());
               backTransformBand = values;
             },
             "transform the band FLOW < f < FHIGH (Hz) of the last FILE back into traces; "
             "prints the rms title")
          ->expected(2)
          ->allow_extra_args(false)
          ->trigger_on_parse()  // each time given, on its own values
          ->type_name("FLOW FHIGH")
          ->group(group);
  CLI::Option* velocity =
      app.add_flag_callback(
             "--velocity", [&o] { o.band.displacement = false; },
             "back-transform into velocity (mum/s) instead of displacement (mum) (needs "
             "--back-transform)")
          ->group(group);
  CLI::Option* file =
      app.add_option("--bt-csv", o.backTransformCsv,
                     "write the traces as the viewer's back-transformation file (needs "
                     "--back-transform)")
          ->type_name("PATH")
          ->check(nonEmptyPath)
          ->group(group);
  band->needs(file);
  file->needs(band);
  velocity->needs(band);
}

}  // namespace

std::string programVersion() {
  return PSD_DISPLAY_VERSION;
}

std::optional<int> parseCommandLine(int argc, const char* const* argv, AnalyzeOptions& options,
                                    std::ostream& out, std::ostream& err) {
  CLI::App app(kDescription, "psd-analyze");
  // As the hand-written parser did: an option given twice keeps its last value.
  app.option_defaults()->multi_option_policy(CLI::MultiOptionPolicy::TakeLast);
  app.set_version_flag("--version", "psd-analyze " + programVersion(),
                       "print the program's version and exit");
  app.get_help_ptr()->description("print every option with a short explanation and exit");
  app.failure_message([](const CLI::App*, const CLI::Error& e) {
    return "psd-analyze: " + std::string(e.what()) + "\nRun with --help for more information.\n";
  });

  addPerFileRunOptions(app, options);
  addAveragingOptions(app, options);
  addPooledCoherenceOptions(app, options.mscCsv);
  addTwoSensorOptions(app, options.twoSensor);
  addOutputOptions(app, options);
  std::vector<std::string> backTransformBand;
  addBackTransformOptions(app, options, backTransformBand);
  addReferenceCurveOptions(app, options.referenceCurves);
  addCampaignOptions(app, options.campaign);
  addUnitOptions(app, options.units);
  addArchiveOptions(app, options.archive);
  app.formatter(std::make_shared<PlainFormatter>());
  app.add_option("FILE", options.files,
                 "spectrum or average files, analysed in the order given (at least one, "
                 "unless --tree, --mseed or --sds)")
      ->type_name("")
      ->multi_option_policy(CLI::MultiOptionPolicy::TakeAll);

  try {
    app.parse(argc, argv);
    // FILEs or a campaign's tree, one of the two.
    if (!options.campaign.tree.empty() && !options.files.empty()) {
      throw CLI::ExcludesError("--tree", "FILE");
    }
    checkArchiveOptions(app, options.archive, !options.campaign.prefix.empty(),
                        !options.files.empty() || !options.campaign.tree.empty());
    if (options.campaign.tree.empty() && options.files.empty() && !options.archive.active()) {
      throw CLI::RequiredError("FILE");
    }
    checkUnitOptions(options.units);
    options.campaign.units = options.units;  // the percentiles and density tables' units
  } catch (const CLI::ParseError& e) {
    const int status = app.exit(e, out, err);
    return status == 0 ? 0 : 2;
  }
  if (!backTransformBand.empty()) {
    options.backTransform = true;
    options.band.fLow = datafiles::leadingValue(backTransformBand[0]);
    options.band.fHigh = datafiles::leadingValue(backTransformBand[1]);
  }
  return std::nullopt;
}

}  // namespace tools
