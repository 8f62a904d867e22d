// make-samples: writes a sample directory of measurement files for trying out the viewer.
//
//   make-samples DIR [--series N] [--seed S]
//   make-samples DIR --hostile [--seed S]
//   make-samples DIR --records N [--samples L] [--seed S]
//   make-samples DIR --records N --every MINUTES --start YYYY-MM-DDThh:mm [--day-dirs]
//                [--samples L] [--seed S]
//   make-samples --mseed DIR --days N [--rate R]   (tools/archive_samples.h)
//
// DIR receives a series of N (default 12, at most 98) two-channel 3000-sample records
// 261208NN.csvz with their raw-data files 261208NN.prn, the n and e components of the first
// (26120801.csvn, .csve), a vetoed record 26120899xxx.csvz, a one-channel record 26120902.csvz,
// records of 12000 (26120901.csvz), 32768 (26120903.csvz) and 131072 samples (26120904.csvz),
// a short record with a 10-character stem (2612090501.cswz, 6 s at 2000 Hz) and the average of
// the series, av26120801.csv.
//
// With --hostile, DIR receives instead six good records among files that the program must
// refuse or survive: a record cut short, a field that is not a number, an empty file, binary
// garbage, 70000 records, a 20 MB single line, names that are no measurement (00000000.csvz,
// Av1.csvz), a record without raw data and one with malformed raw data, an average file with
// a count of 40000, and write-protected files av-readonly.csv and backtransformation.csv.
// The good ones are listed in good-files.txt.
//
// With --records, DIR receives instead N (1 to 9999) two-channel spectrum files of L samples
// (3000, 12000 (the default), 32768 or 131072; 60 s, or 655.36 s above 20000 samples), named
// 27010001.csvz upward, without raw data: a campaign of one site for the campaign statistics
// and their benchmarks.
//
// With --every and --start, the N records (1 to 99999) are a station's recording in time
// instead: record i starts at START + i MINUTES (i = 0 .. N-1), is named by its start
// (MMDDhhmm.csvz) and gets the modification time START + i MINUTES + T, when its recording
// ended, in this machine's local time. With --day-dirs each goes into a directory of its day
// (YYYY-MM-DD). Their ground motion holds cultural noise above 1 Hz (sample_synthesis.h) that is
// 10 dB louder for records starting from 06:00 to 22:00 Monday to Friday than at night and at
// weekends. Names that would repeat (more than a year of records in one directory) are refused.
#include <cmath>
#include <cstdio>
#include <cstdlib>
#include <filesystem>
#include <fstream>
#include <iostream>
#include <limits>
#include <optional>
#include <random>
#include <string>
#include <vector>

#include "analysis/campaign/start_time.h"
#include "analysis/record/averaging.h"
#include "analysis/record/file_analysis.h"
#include "analysis/record/raw_conditioning.h"
#include "datafiles/average_file.h"
#include "tools/archive_samples.h"
#include "tools/sample_synthesis.h"

namespace {

namespace fs = std::filesystem;
using samples::Record;

struct SpectrumFile {
  std::string suffix;  // after the stem, e.g. ".csvz" or "xxx.csvz"
  char component;      // 'z', 'n' or 'e'
  bool twoChannels = true;
};

// Writes the raw-data file (when the record length has a gain and fits the raw time axis) and
// the spectrum files of one measurement.
void writeMeasurement(const fs::path& dir, const std::string& stem, const Record& record,
                      const std::vector<SpectrumFile>& files, std::uint64_t seed) {
  const samples::SensorPair z = samples::synthesizeVelocity(record, seed);
  const samples::SensorPair n = samples::synthesizeVelocity(record, seed + 1);
  const samples::SensorPair e = samples::synthesizeVelocity(record, seed + 2);
  const double gain = analysis::rawGainFor(record.nSamples);
  samples::SensorPair shown[3] = {z, n, e};
  if (gain > 0) {
    // Sensor outputs sit on small DC offsets, as real digitisers do.
    auto counts = [&](const std::vector<double>& trace, long long offset) {
      auto c = samples::toCounts(trace, gain);
      for (auto& v : c) v += offset;
      return c;
    };
    samples::ComponentCounts c{counts(z.sensor1, 37), counts(n.sensor1, -12),
                               counts(e.sensor1, 5),  counts(z.sensor2, -21),
                               counts(n.sensor2, 8),  counts(e.sensor2, 3)};
    samples::writeText(dir / (stem + ".prn"), samples::formatRawDataFile(record, c));
    // The spectra are those of exactly the velocity the counts stand for.
    shown[0] = {samples::fromCounts(c.z1, gain), samples::fromCounts(c.z2, gain)};
    shown[1] = {samples::fromCounts(c.n1, gain), samples::fromCounts(c.n2, gain)};
    shown[2] = {samples::fromCounts(c.e1, gain), samples::fromCounts(c.e2, gain)};
  }
  for (const SpectrumFile& file : files) {
    const samples::SensorPair& pair = shown[file.component == 'z'   ? 0
                                            : file.component == 'n' ? 1
                                                                    : 2];
    const auto c1 = samples::amplitudeSpectrum(pair.sensor1);
    std::vector<std::complex<double>> c2;
    if (file.twoChannels) c2 = samples::amplitudeSpectrum(pair.sensor2);
    samples::writeText(dir / (stem + file.suffix), samples::formatSpectrumFile(record, c1, c2));
  }
}

// The average of the series, computed and written exactly as the viewer's "save" does.
void writeSeriesAverage(const fs::path& dir, const std::vector<std::string>& names) {
  analysis::AnalysisState state;
  analysis::FileAnalysis analysis;
  analysis::RunSettings settings;
  for (std::size_t i = 0; i < names.size(); ++i) {
    settings.averaging = i > 0;
    const auto result = analysis.analyzeFile(state, dir, names[i], settings);
    if (result.kind != analysis::FileKind::Measurement) throw std::runtime_error(result.message);
    if (i == 0) analysis::restartAverage(state);
  }
  const auto contents = analysis::averageFileContents(state, names.front(), names.back());
  if (auto failure = datafiles::writeAverageFile(dir / ("av" + names.front().substr(0, 8) + ".csv"),
                                                 contents)) {
    throw std::runtime_error(*failure);
  }
}

void writeHostile(const fs::path& dir, std::uint64_t seed) {
  const Record minute{3000, 60};
  std::vector<std::string> good;
  for (int i = 1; i <= 4; ++i) {
    const std::string stem = "2612080" + std::to_string(i);
    writeMeasurement(dir, stem, minute, {{".csvz", 'z'}},
                     seed + 10 * static_cast<std::uint64_t>(i));
    good.push_back(stem + ".csvz");
  }
  // Good spectra whose raw data is missing or malformed: averaged, but no raw traces.
  writeMeasurement(dir, "26121107", minute, {{".csvz", 'z'}}, seed + 107);
  std::filesystem::remove(dir / "26121107.prn");
  writeMeasurement(dir, "26121108", minute, {{".csvz", 'z'}}, seed + 108);
  samples::writeText(dir / "26121108.prn", "header\r\n1 2 3 four 5 6 7 8 9 10 11 12 13 14\r\n");
  good.insert(good.end(), {"26121107.csvz", "26121108.csvz"});

  const std::string spectrum = [&] {
    std::string text;
    std::ifstream in(dir / good.front(), std::ios::binary);
    text.assign(std::istreambuf_iterator<char>(in), std::istreambuf_iterator<char>());
    return text;
  }();
  samples::writeText(dir / "26121101.csvz", spectrum.substr(0, spectrum.size() / 2 + 7));
  std::string notANumber = spectrum;
  notANumber.replace(notANumber.find("\r\n", 4000) + 2, 3, "abc");
  samples::writeText(dir / "26121102.csvz", notANumber);
  samples::writeText(dir / "26121103.csvz", "");
  std::mt19937_64 random(seed);
  std::string garbage(100000, '\0');
  for (char& c : garbage) c = static_cast<char>(random() & 0xFF);
  samples::writeText(dir / "26121104.csvz", garbage);
  std::string tooLong = "\"f\",\"ft1re\",\"ft1im\"\r\n";
  for (int k = 0; k < 70000; ++k) tooLong += std::to_string(k) + ",1,1\r\n";
  samples::writeText(dir / "26121105.csvz", tooLong);
  std::string oneLine = "\"f\",\"ft1re\",\"ft1im\",\"ft2re\",\"ft2im\"\r\n";
  oneLine.reserve(20u << 20);
  while (oneLine.size() < (20u << 20)) oneLine += "0.5,1,2,3,4,";
  oneLine += "\r\n";
  samples::writeText(dir / "26121106.csvz", oneLine);
  samples::writeText(dir / "00000000.csvz", spectrum);
  samples::writeText(dir / "Av1.csvz", spectrum);
  samples::writeText(
      dir / "av0count40000.csvz",
      "40000,\"average for 40000 files\"\r\n\"f\",\"psd1\",\"psd2\",\"coherence\"\r\n"
      "0.1,1,1,0.5\r\n0.2,1,1,0.5\r\n");
  for (const char* name : {"av-readonly.csv", "backtransformation.csv"}) {
    samples::writeText(dir / name, "write-protected\r\n");
    fs::permissions(dir / name,
                    fs::perms::owner_read | fs::perms::group_read | fs::perms::others_read);
  }
  std::string list;
  for (const std::string& name : good) list += name + "\n";
  samples::writeText(dir / "good-files.txt", list);
}

// N records of one length, as a station writes them one after the other.
void writeRecords(const fs::path& dir, int count, int nSamples, std::uint64_t seed) {
  const Record record{nSamples, nSamples > 20000 ? 655.36 : 60};
  for (int i = 1; i <= count; ++i) {
    char stem[16];
    std::snprintf(stem, sizeof stem, "2701%04d", i);
    const samples::SensorPair pair =
        samples::synthesizeVelocity(record, seed + 10 * static_cast<std::uint64_t>(i));
    samples::writeText(dir / (std::string(stem) + ".csvz"),
                       samples::formatSpectrumFile(record, samples::amplitudeSpectrum(pair.sensor1),
                                                   samples::amplitudeSpectrum(pair.sensor2)));
  }
}

struct TimeSeries {
  analysis::CivilSeconds start = 0;
  int everyMinutes = 0;
  bool dayDirectories = false;
};

// Working hours: 06:00 to 22:00, Monday to Friday.
bool isWorkingTime(analysis::CivilSeconds start) {
  const int hour = analysis::secondOfDay(start) / 3600;
  return analysis::weekdayOf(start) < 5 && hour >= 6 && hour < 22;
}

// N records in time, each named by its start and dated by its end.
int writeTimeSeries(const fs::path& dir, int count, int nSamples, const TimeSeries& series,
                    std::uint64_t seed) {
  const double seconds = nSamples > 20000 ? 655.36 : 60;
  const auto startOf = [&](int i) {
    return series.start + static_cast<analysis::CivilSeconds>(i) * series.everyMinutes * 60;
  };
  if (!series.dayDirectories && startOf(count - 1) - series.start >= 365LL * 86400) {
    std::cerr << "make-samples: more than a year of records would repeat names MMDDhhmm in one "
                 "directory; use --day-dirs or fewer records\n";
    return 2;
  }
  for (int i = 0; i < count; ++i) {
    const analysis::CivilSeconds start = startOf(i);
    const analysis::CivilTime t = analysis::civilTimeOf(start);
    char stem[16], day[16];
    std::snprintf(stem, sizeof stem, "%02d%02d%02d%02d", t.month, t.day, t.hour, t.minute);
    std::snprintf(day, sizeof day, "%04d-%02d-%02d", t.year, t.month, t.day);
    const fs::path target = series.dayDirectories ? dir / day : dir;
    if (series.dayDirectories) fs::create_directories(target);
    const Record record{nSamples, seconds, isWorkingTime(start) ? 10.0 : 1.0};
    const samples::SensorPair pair =
        samples::synthesizeVelocity(record, seed + 10 * static_cast<std::uint64_t>(i + 1));
    const fs::path path = target / (std::string(stem) + ".csvz");
    samples::writeText(path,
                       samples::formatSpectrumFile(record, samples::amplitudeSpectrum(pair.sensor1),
                                                   samples::amplitudeSpectrum(pair.sensor2)));
    fs::last_write_time(path, analysis::fileTimeOfLocal(start + static_cast<analysis::CivilSeconds>(
                                                                    std::llround(seconds))));
  }
  return 0;
}

// make-samples --mseed DIR --days N [--rate R]; nothing when the arguments are others.
std::optional<int> runArchive(int argc, char** argv) {
  if (argc < 2 || std::string(argv[1]) != "--mseed") return std::nullopt;
  fs::path dir;
  int days = 0;
  double rate = 100;
  bool sound = argc >= 3;
  if (sound) dir = argv[2];
  for (int i = 3; sound && i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--days" && i + 1 < argc) {
      days = std::atoi(argv[++i]);
    } else if (arg == "--rate" && i + 1 < argc) {
      rate = std::atof(argv[++i]);
    } else {
      sound = false;
    }
  }
  if (!sound || dir.empty() || days < 1 || days > 366 || !(rate >= 1 && rate <= 1000)) {
    std::cerr << "usage: make-samples --mseed DIR --days N (1 to 366) [--rate R (1 to 1000)]\n";
    return 2;
  }
  return tools::writeArchiveSamples(dir, days, rate);
}

int run(int argc, char** argv) {
  if (auto status = runArchive(argc, argv)) return *status;
  fs::path dir;
  int series = 12;
  bool hostile = false;
  std::optional<int> records;
  int recordSamples = 12000;
  std::uint64_t seed = 20261208;
  std::optional<int> every;
  std::optional<analysis::CivilSeconds> start;
  bool dayDirectories = false;
  for (int i = 1; i < argc; ++i) {
    const std::string arg = argv[i];
    if (arg == "--every" && i + 1 < argc) {
      every = std::atoi(argv[++i]);
    } else if (arg == "--start" && i + 1 < argc) {
      start = analysis::parseIsoDateTime(argv[++i]);
      if (!start) start = std::numeric_limits<analysis::CivilSeconds>::min();  // refused below
    } else if (arg == "--day-dirs") {
      dayDirectories = true;
    } else if (arg == "--series" && i + 1 < argc) {
      series = std::atoi(argv[++i]);
    } else if (arg == "--records" && i + 1 < argc) {
      records = std::atoi(argv[++i]);
    } else if (arg == "--samples" && i + 1 < argc) {
      recordSamples = std::atoi(argv[++i]);
    } else if (arg == "--hostile") {
      hostile = true;
    } else if (arg == "--seed" && i + 1 < argc) {
      seed = std::strtoull(argv[++i], nullptr, 10);
    } else if (!arg.starts_with("--") && dir.empty()) {
      dir = arg;
    } else {
      std::cerr << "usage: make-samples DIR [--series N | --hostile | --records N [--samples L] "
                   "[--every MINUTES --start YYYY-MM-DDThh:mm [--day-dirs]]] [--seed S]\n";
      return 2;
    }
  }
  const bool knownLength = recordSamples == 3000 || recordSamples == 12000 ||
                           recordSamples == 32768 || recordSamples == 131072;
  if (every || start || dayDirectories) {
    if (!records || !every || !start || dir.empty() || hostile || *records < 1 ||
        *records > 99999 || *every < 1 ||
        *start == std::numeric_limits<analysis::CivilSeconds>::min() || !knownLength) {
      std::cerr << "usage: make-samples DIR --records N (1 to 99999) --every MINUTES (1 or more) "
                   "--start YYYY-MM-DDThh:mm [--day-dirs] [--samples 3000|12000|32768|131072] "
                   "[--seed S]\n";
      return 2;
    }
    fs::create_directories(dir);
    return writeTimeSeries(dir, *records, recordSamples, {*start, *every, dayDirectories}, seed);
  }
  if (records && (dir.empty() || hostile || *records < 1 || *records > 9999 || !knownLength)) {
    std::cerr << "usage: make-samples DIR --records N (1 to 9999) [--samples 3000|12000|32768|"
                 "131072] [--seed S]\n";
    return 2;
  }
  if (dir.empty() || series < 1 || series > 98) {
    std::cerr << "usage: make-samples DIR [--series N (1 to 98)] [--seed S]\n";
    return 2;
  }
  fs::create_directories(dir);
  if (hostile) {
    writeHostile(dir, seed);
    return 0;
  }
  if (records) {
    writeRecords(dir, *records, recordSamples, seed);
    return 0;
  }

  const Record minute{3000, 60};
  std::vector<std::string> seriesNames;
  for (int i = 1; i <= series; ++i) {
    char stem[16];
    std::snprintf(stem, sizeof stem, "261208%02d", i);
    std::vector<SpectrumFile> files{{".csvz", 'z'}};
    if (i == 1) files.insert(files.end(), {{".csvn", 'n'}, {".csve", 'e'}});
    writeMeasurement(dir, stem, minute, files, seed + 10 * static_cast<std::uint64_t>(i));
    seriesNames.push_back(std::string(stem) + ".csvz");
  }
  writeMeasurement(dir, "26120899", minute, {{"xxx.csvz", 'z'}}, seed + 990);
  writeMeasurement(dir, "26120901", {12000, 60}, {{".csvz", 'z'}}, seed + 1010);
  writeMeasurement(dir, "26120902", minute, {{".csvz", 'z', false}}, seed + 1020);
  writeMeasurement(dir, "26120903", {32768, 655.36}, {{".csvz", 'z'}}, seed + 1030);
  writeMeasurement(dir, "26120904", {131072, 655.36}, {{".csvz", 'z'}}, seed + 1040);
  writeMeasurement(dir, "2612090501", {12000, 6}, {{".cswz", 'z'}}, seed + 1050);
  writeSeriesAverage(dir, seriesNames);
  return 0;
}

}  // namespace

int main(int argc, char** argv) {
  try {
    return run(argc, argv);
  } catch (const std::exception& e) {
    std::cerr << "make-samples: " << e.what() << '\n';
    return 1;
  }
}
