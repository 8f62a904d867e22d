#include "tools/pooled_coherence_output.h"

#include <CLI/CLI.hpp>
#include <algorithm>
#include <ostream>

#include "analysis/two_sensor/pooled_coherence.h"
#include "datafiles/number_format.h"
#include "datafiles/text_file.h"

namespace tools {

void addPooledCoherenceOptions(CLI::App& app, std::string& mscCsvPath) {
  app.add_option("--msc-csv", mscCsvPath,
                 "write line,freq,msc,level95 for lines 1 .. N/2: the magnitude-squared coherence "
                 "pooled over the averaged measurement records and its 95 % chance level (needs "
                 "--average)")
      ->type_name("PATH")
      ->group("pooled coherence")
      ->needs(app.get_option("--average"));
}

std::string pooledCoherenceCsv(const analysis::AnalysisState& s) {
  std::string out = "line,freq,msc,level95\r\n";
  const double level = analysis::mscChanceLevel(s.pooledCount);
  // The average's lines, whatever record was shown last.
  const std::size_t h = static_cast<std::size_t>(std::max(s.averageSamples / 2, 0));
  for (std::size_t q = 1; q <= h; ++q) {
    out += std::to_string(q);
    for (double v : {s.averageFreq[q], analysis::pooledMsc(s, q), level}) {
      out += ',';
      datafiles::appendDouble(out, v);
    }
    out += "\r\n";
  }
  return out;
}

bool writePooledCoherenceCsv(const std::string& path, const analysis::AnalysisState& state,
                             std::ostream& err) {
  if (state.pooledCount < 2) {
    err << "psd-analyze: " << path << ": not written: the average pools " << state.pooledCount
        << " measurement record" << (state.pooledCount == 1 ? "" : "s")
        << "; the coherence needs at least two\n";
    return false;
  }
  if (auto failure = datafiles::writeFileAtomically(path, pooledCoherenceCsv(state))) {
    err << "psd-analyze: " << path << ": " << *failure << '\n';
    return false;
  }
  return true;
}

}  // namespace tools
