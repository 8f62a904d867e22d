#include "datafiles/back_transformation_file.h"

#include <algorithm>
#include <cmath>

#include "datafiles/number_format.h"
#include "datafiles/text_file.h"

namespace datafiles {

std::string formatBackTransformationFile(std::span<const double> trace1,
                                         std::span<const double> trace2, std::size_t n) {
  std::string out;
  out += R"("rft1","rft2")";
  out += kRecordEnd;
  const std::size_t rows = std::min({n + 1, trace1.size(), trace2.size()});
  out.reserve(out.size() + rows * 48);
  for (std::size_t i = 0; i < rows; ++i) {
    appendDouble(out, trace1[i]);
    out += ',';
    appendDouble(out, trace2[i]);
    out += kRecordEnd;
  }
  return out;
}

std::optional<std::string> writeBackTransformationFile(const std::filesystem::path& path,
                                                       std::span<const double> trace1,
                                                       std::span<const double> trace2,
                                                       std::size_t n) {
  const std::span<const double> traces[] = {trace1, trace2};
  for (std::size_t t = 0; t < 2; ++t) {
    const std::span<const double> trace = traces[t].first(std::min(n + 1, traces[t].size()));
    const auto bad = std::find_if(trace.begin(), trace.end(),
                                  [](double value) { return !std::isfinite(value); });
    if (bad != trace.end()) {
      return "not written: position " + std::to_string(bad - trace.begin()) + " of trace " +
             std::to_string(t + 1) + " is not a finite number";
    }
  }
  return writeFileAtomically(path, formatBackTransformationFile(trace1, trace2, n));
}

}  // namespace datafiles
