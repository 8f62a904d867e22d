// Shared data of the archive tests: a geophone's response written as StationXML and as a SAC
// pole-zero file, and miniSEED traces written with libmseed.
#pragma once

#include <cmath>
#include <complex>
#include <filesystem>
#include <numbers>
#include <sstream>
#include <string>
#include <vector>

#include <gtest/gtest.h>

#include "analysis/archive/archive_segments.h"
#include "analysis/archive/mseed_writer.h"

namespace archive_test {

using namespace analysis::archive;

// A 4.5 Hz geophone, damping 0.7, normalised at 20 Hz, 2.88e8 counts per m/s.
struct Geophone {
  double f0 = 4.5, damping = 0.7, sensitivity = 2.88e8, normalisationHz = 20;
  std::complex<double> pole() const {
    const double w0 = 2 * std::numbers::pi * f0;
    return {-damping * w0, w0 * std::sqrt(1 - damping * damping)};
  }
  // s^2 / ((s - p)(s - conj p)), written out here rather than taken from the program.
  std::complex<double> shape(double f) const {
    const std::complex<double> s(0, 2 * std::numbers::pi * f);
    return s * s / ((s - pole()) * (s - std::conj(pole())));
  }
  double a0() const { return 1 / std::abs(shape(normalisationHz)); }
  // Counts per m/s.
  std::complex<double> response(double f) const { return sensitivity * a0() * shape(f); }

  std::string stationXml(const SeedId& id, const char* inputUnit = "M/S") const {
    std::ostringstream x;
    x.precision(17);
    const auto p = pole();
    x << R"(<?xml version="1.0" encoding="UTF-8"?>
<FDSNStationXML xmlns="http://www.fdsn.org/xml/station/1" schemaVersion="1.1">
 <Network code=")"
      << id.network << R"("><Station code=")" << id.station << R"(">
  <Channel code=")"
      << id.channel << R"(" locationCode=")" << id.location << R"(" startDate="2020-01-01T00:00:00">
   <Response>
    <InstrumentSensitivity><Value>)"
      << sensitivity << R"(</Value><Frequency>20</Frequency>
     <InputUnits><Name>)"
      << inputUnit << R"(</Name></InputUnits></InstrumentSensitivity>
    <Stage number="1"><PolesZeros>
      <InputUnits><Name>)"
      << inputUnit << R"(</Name></InputUnits>
      <PzTransferFunctionType>LAPLACE (RADIANS/SECOND)</PzTransferFunctionType>
      <NormalizationFactor>)"
      << a0() << R"(</NormalizationFactor>
      <NormalizationFrequency>20</NormalizationFrequency>
      <Zero number="0"><Real>0</Real><Imaginary>0</Imaginary></Zero>
      <Zero number="1"><Real>0</Real><Imaginary>0</Imaginary></Zero>
      <Pole number="0"><Real>)"
      << p.real() << "</Real><Imaginary>" << p.imag() << R"(</Imaginary></Pole>
      <Pole number="1"><Real>)"
      << p.real() << "</Real><Imaginary>" << -p.imag() << R"(</Imaginary></Pole>
     </PolesZeros><StageGain><Value>28.8</Value><Frequency>20</Frequency></StageGain></Stage>
    <Stage number="2"><StageGain><Value>1e7</Value><Frequency>20</Frequency></StageGain></Stage>
   </Response>
  </Channel></Station></Network></FDSNStationXML>
)";
    return x.str();
  }

  // As data centres hand it out: the response to displacement, three zeros (one implied).
  std::string sacPoleZero() const {
    std::ostringstream x;
    x.precision(17);
    const auto p = pole();
    x << "* INPUT UNIT       : M\n* SENSITIVITY      : " << sensitivity << " (M/S)\n"
      << "ZEROS 3\n0 0\n0 0\nPOLES 2\n"
      << p.real() << ' ' << p.imag() << '\n'
      << p.real() << ' ' << -p.imag() << "\nCONSTANT " << sensitivity * a0() << '\n';
    return x.str();
  }
};

inline std::string segmentId(const char* station = "ST1") {
  return std::string("XX.") + station + "..HHZ";
}

inline SeedId idOf(const std::string& text) {
  return *parseSeedId(text);
}

// Counts: a tone, a trend and deterministic noise.
inline std::vector<double> testCounts(std::size_t n, double rate, double seed = 1) {
  std::vector<double> x(n);
  std::uint32_t state = 12345u * static_cast<std::uint32_t>(seed);
  for (std::size_t i = 0; i < n; ++i) {
    state = state * 1664525u + 1013904223u;
    const double t = static_cast<double>(i) / rate;
    x[i] = std::round(20000 * std::sin(2 * std::numbers::pi * 7.3 * t) + 40 * t + 3000 * seed +
                      static_cast<double>(state >> 20) - 2048);
  }
  return x;
}

inline void writeTrace(const std::filesystem::path& path, const SeedId& id, MicroTime start,
                       double rate, std::span<const double> samples,
                       MseedEncoding encoding = MseedEncoding::Steim2, int recordLength = 512) {
  std::filesystem::create_directories(path.parent_path());
  ASSERT_EQ(appendMseed(path, {id, start, rate, samples}, encoding, recordLength), std::nullopt);
}

}  // namespace archive_test
