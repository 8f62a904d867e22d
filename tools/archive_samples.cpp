#include "tools/archive_samples.h"

#include <array>
#include <cmath>
#include <complex>
#include <fstream>
#include <iostream>
#include <numbers>
#include <random>
#include <sstream>
#include <vector>

#include "analysis/archive/mseed_writer.h"
#include "analysis/archive/sds_layout.h"

namespace tools {
namespace {

namespace archive = analysis::archive;
using std::numbers::pi;

struct Sensor {
  archive::SeedId id;
  double f0, damping, sensitivity;

  std::complex<double> pole() const {
    const double w0 = 2 * pi * f0;
    return {-damping * w0, w0 * std::sqrt(1 - damping * damping)};
  }
  double a0() const {  // |A0 s^2 / ((s - p)(s - p*))| = 1 at 20 Hz
    const std::complex<double> s(0, 2 * pi * 20);
    return 1 / std::abs(s * s / ((s - pole()) * (s - std::conj(pole()))));
  }
};

// y'' + 2 h w0 y' + w0^2 y = x'': the bilinear transform, one sample at a time.
class SensorFilter {
 public:
  SensorFilter(const Sensor& sensor, double rate) {
    const double w0 = 2 * pi * sensor.f0, k = 2 * rate;
    const double a0 = k * k + 2 * sensor.damping * w0 * k + w0 * w0;
    b_ = {k * k / a0, -2 * k * k / a0, k * k / a0};
    a_ = {2 * (w0 * w0 - k * k) / a0, (k * k - 2 * sensor.damping * w0 * k + w0 * w0) / a0};
  }
  double step(double x) {
    const double y = b_[0] * x + b_[1] * x1_ + b_[2] * x2_ - a_[0] * y1_ - a_[1] * y2_;
    x2_ = x1_, x1_ = x, y2_ = y1_, y1_ = y;
    return y;
  }

 private:
  std::array<double, 3> b_;
  std::array<double, 2> a_;
  double x1_ = 0, x2_ = 0, y1_ = 0, y2_ = 0;
};

std::string stationXml(const std::vector<Sensor>& sensors) {
  std::ostringstream x;
  x.precision(17);
  x << "<?xml version=\"1.0\" encoding=\"UTF-8\"?>\n"
       "<FDSNStationXML xmlns=\"http://www.fdsn.org/xml/station/1\" schemaVersion=\"1.1\">\n"
       " <Source>make-samples</Source>\n <Created>2026-04-10T00:00:00Z</Created>\n";
  for (const Sensor& s : sensors) {
    const auto p = s.pole();
    x << " <Network code=\"" << s.id.network << "\"><Station code=\"" << s.id.station << "\">\n"
      << "  <Channel code=\"" << s.id.channel << "\" locationCode=\"" << s.id.location
      << "\" startDate=\"2026-01-01T00:00:00Z\"><Response>\n"
      << "   <InstrumentSensitivity><Value>" << s.sensitivity
      << "</Value><Frequency>20</Frequency><InputUnits><Name>M/S</Name></InputUnits>"
         "<OutputUnits><Name>COUNTS</Name></OutputUnits></InstrumentSensitivity>\n"
      << "   <Stage number=\"1\"><PolesZeros><InputUnits><Name>M/S</Name></InputUnits>"
         "<OutputUnits><Name>V</Name></OutputUnits>\n"
      << "    <PzTransferFunctionType>LAPLACE (RADIANS/SECOND)</PzTransferFunctionType>\n"
      << "    <NormalizationFactor>" << s.a0()
      << "</NormalizationFactor><NormalizationFrequency>20</NormalizationFrequency>\n"
      << "    <Zero number=\"0\"><Real>0</Real><Imaginary>0</Imaginary></Zero>"
         "<Zero number=\"1\"><Real>0</Real><Imaginary>0</Imaginary></Zero>\n"
      << "    <Pole number=\"0\"><Real>" << p.real() << "</Real><Imaginary>" << p.imag()
      << "</Imaginary></Pole><Pole number=\"1\"><Real>" << p.real() << "</Real><Imaginary>"
      << -p.imag() << "</Imaginary></Pole>\n"
      << "   </PolesZeros><StageGain><Value>" << s.sensitivity / 1e6
      << "</Value><Frequency>20</Frequency></StageGain></Stage>\n"
      << "   <Stage number=\"2\"><StageGain><Value>1000000</Value><Frequency>20</Frequency>"
         "</StageGain></Stage>\n"
      << "  </Response></Channel>\n </Station></Network>\n";
  }
  x << "</FDSNStationXML>\n";
  return x.str();
}

std::string sacPoleZero(const Sensor& s) {
  std::ostringstream x;
  x.precision(17);
  const auto p = s.pole();
  x << "* NETWORK   (KNETWK): " << s.id.network << "\n* STATION    (KSTNM): " << s.id.station
    << "\n* CHANNEL   (KCMPNM): " << s.id.channel << "\n* INPUT UNIT       : M\n"
    << "* OUTPUT UNIT      : COUNTS\n* SENSITIVITY      : " << s.sensitivity << " (M/S)\n"
    << "* A0               : " << s.a0() << "\nZEROS\t3\n\t0\t0\n\t0\t0\nPOLES\t2\n\t" << p.real()
    << '\t' << p.imag() << "\n\t" << p.real() << '\t' << -p.imag() << "\nCONSTANT\t"
    << s.sensitivity * s.a0() << '\n';
  return x.str();
}

bool writeText(const std::filesystem::path& path, const std::string& text) {
  std::ofstream out(path, std::ios::binary);
  out << text;
  return static_cast<bool>(out.flush());
}

}  // namespace

int writeArchiveSamples(const std::filesystem::path& dir, int days, double rate) {
  const std::vector<Sensor> sensors{
      {*archive::parseSeedId("XX.ST1..HHZ"), 4.5, 0.7, 2.88e8},
      {*archive::parseSeedId("XX.ST2..HHZ"), 1 / 120.0, 0.707, 1.5e9}};
  std::filesystem::create_directories(dir);
  bool written = writeText(dir / "response.xml", stationXml(sensors));
  for (const Sensor& s : sensors) written &= writeText(dir / (s.id.text() + ".pz"), sacPoleZero(s));
  if (!written) {
    std::cerr << "make-samples: " << dir.string() << ": the response files cannot be written\n";
    return 1;
  }
  const std::int64_t firstDay = *archive::dayNumberOf(2026, 100);
  const auto perDay = static_cast<std::size_t>(std::llround(86400 * rate));
  std::vector<SensorFilter> filters;
  for (const Sensor& s : sensors) filters.emplace_back(s, rate);
  std::mt19937_64 random(20260410);
  std::normal_distribution<double> noise(0, 0.02e-6);
  std::vector<std::vector<double>> counts(sensors.size(), std::vector<double>(perDay));
  for (int d = 0; d < days; ++d) {
    for (std::size_t i = 0; i < perDay; ++i) {
      const double t = static_cast<double>(d) * 86400 + static_cast<double>(i) / rate;
      const double ground = 1e-6 * std::sin(2 * pi * 0.2 * t) + 0.1e-6 * std::sin(2 * pi * 7.3 * t);
      for (std::size_t c = 0; c < sensors.size(); ++c) {
        const double v = ground + noise(random);
        counts[c][i] = std::round(sensors[c].sensitivity * sensors[c].a0() * filters[c].step(v));
      }
    }
    const std::int64_t day = firstDay + d;
    for (std::size_t c = 0; c < sensors.size(); ++c) {
      const auto path = archive::sdsDayFile(dir, sensors[c].id, day);
      std::filesystem::create_directories(path.parent_path());
      std::filesystem::remove(path);
      if (auto problem = archive::appendMseed(
              path, {sensors[c].id, day * archive::kMicrosPerDay, rate, counts[c]},
              archive::MseedEncoding::Steim2, 4096)) {
        std::cerr << "make-samples: " << *problem << '\n';
        return 1;
      }
    }
  }
  return 0;
}

}  // namespace tools
