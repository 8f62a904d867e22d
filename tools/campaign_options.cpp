#include "tools/campaign_options.h"

#include <CLI/CLI.hpp>
#include <cctype>
#include <cmath>
#include <optional>
#include <string_view>
#include <vector>

#include "tools/option_values.h"

namespace tools {

namespace {

// A value read by `parse(text, &problem)`, stored into `target`; a refusal names the option.
template <typename Parse, typename Target>
CLI::Option* addParsed(CLI::App& app, const char* name, Target& target, Parse parse,
                       const char* help, const char* typeName, CLI::Option* campaign,
                       const char* group) {
  return app
      .add_option_function<std::string>(
          name,
          [name, &target, parse](const std::string& text) {
            std::string problem;
            auto value = parse(text, &problem);
            if (!value) throw CLI::ValidationError(name, problem);
            target = std::move(*value);
          },
          help)
      ->type_name(typeName)
      ->needs(campaign)
      ->group(group);
}

std::optional<analysis::CivilSeconds> parseBound(std::string_view text, std::string* problem) {
  // A trailing Z (UTC, as archive times are written) is accepted; the time is read as written.
  auto value =
      analysis::parseIsoDateTime(text.ends_with('Z') ? text.substr(0, text.size() - 1) : text);
  if (!value) {
    *problem = "\"" + std::string(text) +
               "\" is no date and time (YYYY-MM-DD, YYYY-MM-DDThh:mm or YYYY-MM-DDThh:mm:ss)";
  }
  return value;
}

void addTimeOptions(CLI::App& app, CampaignOptions& o, CLI::Option* campaign, const char* group) {
  addParsed(app, "--time-from", o.timeFrom, &analysis::StartTimeChoice::parse,
            "start time of each record: auto (the default: from names MMDDhhmm, YYMMDDhhmm or "
            "MMDDhhmmss when all are valid, else the modification times), mtime, or "
            "name:PATTERN of the fields YY MM DD hh mm ss",
            "SOURCE", campaign, group);
  addParsed(app, "--from", o.selection.from, parseBound,
            "statistics of the records starting at or after DATETIME (ISO 8601; a date alone "
            "is 00:00)",
            "DATETIME", campaign, group);
  addParsed(app, "--to", o.selection.to, parseBound,
            "statistics of the records starting before DATETIME", "DATETIME", campaign, group);
  addParsed(app, "--hours", o.selection.hours, &analysis::parseHours,
            "statistics of the records starting at these hours of the day, from inclusive, to "
            "exclusive; 22:00-06:00 wraps past midnight",
            "HH:MM-HH:MM", campaign, group);
  addParsed(app, "--weekdays", o.selection.weekdays, &analysis::parseWeekdays,
            "statistics of the records starting on these days: mon,tue,... or ranges (mon-fri)",
            "LIST", campaign, group);
}

void addTreeOptions(CLI::App& app, CampaignOptions& o, CLI::Option* campaign, const char* group) {
  CLI::Option* tree =
      app.add_option("--tree", o.tree,
                     "statistics of every spectrum file under DIR at any depth instead of FILEs "
                     "(hidden entries and links to directories skipped), ordered by start time")
          ->check(CLI::ExistingDirectory.description(""))
          ->type_name("DIR")
          ->needs(campaign)
          ->group(group);
  app.add_option_function<std::string>(
         "--component",
         [&o](const std::string& letter) { o.choice.component = letter == "all" ? 0 : letter[0]; },
         "the component of the tree's files: .csvz, .csvn, .csve or all (default z)")
      ->check(CLI::IsMember({"z", "n", "e", "all"}).description(""))
      ->type_name("z|n|e|all")
      ->needs(tree)
      ->group(group);
  app.add_flag("--csw", o.choice.csw, "the tree's .csw files instead of its .csv files")
      ->needs(tree)
      ->group(group);
  CLI::Option* cache = app.add_option("--cache", o.cache,
                                      "the cache of each file's reading (default "
                                      "$XDG_CACHE_HOME/psd-display/campaigns.sqlite, else "
                                      "~/.cache/psd-display/campaigns.sqlite)")
                           ->type_name("PATH")
                           ->check(nonEmptyPath)
                           ->needs(campaign)
                           ->group(group);
  app.add_flag("--no-cache", o.noCache, "read every file, neither using nor filling the cache")
      ->needs(campaign)
      ->excludes(cache)
      ->group(group);
  app.add_flag("--compliance", o.compliance,
               "also write PREFIX-thirdoct.csv, PREFIX-levels.csv, PREFIX-compliance.csv and "
               "PREFIX-compliance-hours.csv: one-third-octave velocities, L10/L50/L90 levels and "
               "how often the selected records meet each vibration criterion")
      ->needs(campaign)
      ->group(group);
}

}  // namespace

void addCampaignOptions(CLI::App& app, CampaignOptions& o) {
  const char* group = "campaign";
  CLI::Option* campaign =
      app.add_option("--campaign", o.prefix,
                     "statistics of all FILEs together: writes PREFIX-files.csv, "
                     "PREFIX-percentiles.csv, PREFIX-density.csv and PREFIX-bins.csv")
          ->type_name("PREFIX")
          ->check([](const std::string& prefix) {
            return prefix.empty() ? std::string("PREFIX is empty") : std::string();
          })
          ->group(group);
  for (const char* perFileOutput :
       {"--average", "--save-average", "--csv", "--raw-csv", "--back-transform", "--bt-csv",
        "--noise-models-csv", "--third-octave-csv", "--relative-csv", "--transfer-csv",
        "--self-noise-csv"}) {
    campaign->excludes(perFileOutput);
  }
  app.add_option_function<std::vector<double>>(
         "--band",
         [&o](const std::vector<double>& band) {
           requireTwoValues("--band", band.size());
           if (!(band[0] >= 0 && band[0] <= band[1])) {
             throw CLI::ValidationError("--band", "needs 0 <= FLOW <= FHIGH");
           }
           o.settings.band = {band[0], band[1]};
         },
         "band of the rms per file, Hz: lines with FLOW <= f <= FHIGH (default 1 Hz to the "
         "highest line drawn)")
      ->expected(2)
      ->allow_extra_args(false)
      ->trigger_on_parse()  // each time given, on its own values
      ->type_name("FLOW FHIGH")
      ->needs(campaign)
      ->group(group);
  app.add_option("--bins-per-octave", o.settings.binsPerOctave,
                 "frequency bins per octave, edges anchored at 1 Hz (default 12)")
      ->check(CLI::Range(1, analysis::kMaxBinsPerOctave))
      ->type_name("B")
      ->needs(campaign)
      ->group(group);
  app.add_option("--threads", o.threads, "files read in parallel (default: one per core)")
      ->check(CLI::Range(1u, 1024u))
      ->type_name("N")
      ->needs(campaign)
      ->group(group);
  addTimeOptions(app, o, campaign, group);
  addTreeOptions(app, o, campaign, group);
  // Only a name ending in .pdf: a slip of the hand must not replace a table or a record.
  app.add_option("--report", o.report,
                 "also write the campaign report (A4 pages: statistics, timeline, refused "
                 "records, gaps) to FILE.pdf")
      ->type_name("FILE.pdf")
      ->check([](const std::string& path) {
        const std::string tail = path.size() >= 4 ? path.substr(path.size() - 4) : path;
        std::string lower;
        for (char c : tail) lower += static_cast<char>(std::tolower(static_cast<unsigned char>(c)));
        return lower == ".pdf" && path.size() > 4 ? std::string()
                                                  : std::string("FILE.pdf must end in .pdf");
      })
      ->needs(campaign)
      ->group(group);
}

}  // namespace tools
