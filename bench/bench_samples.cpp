#include "bench/bench_samples.h"

#include <cstdlib>

#include "analysis/record/raw_conditioning.h"
#include "tools/sample_synthesis.h"

namespace bench {
namespace {

std::filesystem::path makeDirectory() {
  const char* override = std::getenv("PSD_BENCH_DIR");
  const std::filesystem::path dir =
      override ? override : std::filesystem::temp_directory_path() / "psd-bench-samples";
  std::filesystem::create_directories(dir);
  for (const int n : {3000, 12000, 32768, 131072, 131072 + 1}) {
    const bool second = n == 131072 + 1;  // a second long record, for switching between two
    const int samplesInRecord = second ? 131072 : n;
    const samples::Record record{samplesInRecord, samplesInRecord > 20000 ? 655.36 : 60};
    const auto trace = samples::synthesizeVelocity(record, 1000 + n);
    const std::string name = second ? secondLongRecordName() : nameFor(n);
    samples::writeText(
        dir / name, samples::formatSpectrumFile(record, samples::amplitudeSpectrum(trace.sensor1),
                                                samples::amplitudeSpectrum(trace.sensor2)));
    if (n <= 12000) {
      const double gain = analysis::rawGainFor(n);
      const auto c1 = samples::toCounts(trace.sensor1, gain);
      const auto c2 = samples::toCounts(trace.sensor2, gain);
      samples::writeText(dir / (name.substr(0, 8) + ".prn"),
                         samples::formatRawDataFile(record, {c1, c1, c1, c2, c2, c2}));
    }
  }
  return dir;
}

}  // namespace

std::string nameFor(int nSamples) {
  switch (nSamples) {
    case 3000:
      return "26120001.csvz";
    case 12000:
      return "26120002.csvz";
    case 32768:
      return "26120003.csvz";
    default:
      return "26120004.csvz";
  }
}

std::string secondLongRecordName() {
  return "26120005.csvz";
}

const std::filesystem::path& sampleDirectory() {
  static const std::filesystem::path dir = makeDirectory();
  return dir;
}

}  // namespace bench
