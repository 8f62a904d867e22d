// psd-analyze's output of the pooled coherence: the option `--msc-csv PATH` (group "pooled
// coherence", only together with --average) and the table it writes.
//
// The table: a header "line,freq,msc,level95", then one row per line q = 1 .. nSamples/2 with
// the line's frequency (Hz), the magnitude-squared coherence pooled over the measurement
// records of the average and the 95 % chance level of that number of records (the same on
// every row); formulas in analysis/two_sensor/pooled_coherence.h. Numbers as in the other tables of
// psd-analyze, CR LF line ends.
#pragma once

#include <iosfwd>
#include <string>

#include "analysis/record/analysis_state.h"

namespace CLI {
class App;
}

namespace tools {

// Adds --msc-csv, storing its PATH in `mscCsvPath`. The option --average must already be
// defined on `app`.
void addPooledCoherenceOptions(CLI::App& app, std::string& mscCsvPath);

// The table's text for the sums in `state`.
std::string pooledCoherenceCsv(const analysis::AnalysisState& state);

// Writes the table to `path`. Fewer than two pooled records make no table: the reason goes to
// `err` and nothing is written, as when the file cannot be written. Returns false then.
bool writePooledCoherenceCsv(const std::string& path, const analysis::AnalysisState& state,
                             std::ostream& err);

}  // namespace tools
