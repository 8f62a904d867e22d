// Generated measurement files shared by the benchmarks, written once per process.
#pragma once

#include <filesystem>
#include <string>

namespace bench {

// Directory holding, for each of 3000, 12000, 32768 and 131072 samples, a two-channel spectrum
// file `nameFor(n)` written with 17 significant digits, and a raw-data file for the lengths
// the raw plot can show (3000 and 12000).
const std::filesystem::path& sampleDirectory();
std::string nameFor(int nSamples);
// A second 131072-sample spectrum file, different from nameFor(131072).
std::string secondLongRecordName();

}  // namespace bench
