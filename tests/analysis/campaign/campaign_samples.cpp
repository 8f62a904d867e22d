#include "tests/analysis/campaign/campaign_samples.h"

#include <memory>

#include "tools/sample_synthesis.h"

namespace campaign_testing {
namespace {

struct GeneratedFile {
  const char* name;
  samples::Record record;
  bool twoChannels = true;
};

const GeneratedFile kGenerated[] = {
    {"26120101.csvz", {3000, 60}},       {"26120102.csvz", {12000, 60}},
    {"26120103xxx.csvz", {3000, 60}},    {"26120104.csvz", {32768, 655.36}},
    {"2612010501.cswz", {12000, 6}},     {"26120106.csvz", {3000, 60}, false},
    {"26120107.csvz", {131072, 655.36}}, {"26120108.csvz", {3000, 60}},
};

SampleCampaign* generate() {
  auto* c = new SampleCampaign;
  std::uint64_t seed = 41;
  for (const GeneratedFile& g : kGenerated) {
    const samples::SensorPair pair = samples::synthesizeVelocity(g.record, seed++);
    std::vector<std::complex<double>> c2;
    if (g.twoChannels) c2 = samples::amplitudeSpectrum(pair.sensor2);
    const std::string text =
        samples::formatSpectrumFile(g.record, samples::amplitudeSpectrum(pair.sensor1), c2);
    c->dir.write(g.name, text);
    const int stemLength = std::string(g.name).find('.') == 10 ? 10 : 8;
    c->spectra[g.name] = campaign_reference::spectrumOf(text, stemLength);
    c->measurements.push_back(g.name);
    c->entries.push_back({c->dir.path(), g.name});
  }
  // Header, records 0 and 1, then a field that is not a number on line 4.
  c->dir.write(kRefused, "\"f\",\"ft1re\",\"ft1im\"\r\n0,0,0\r\n0.0166,1,1\r\n0.0333,abc,1\r\n");
  c->dir.write(kAverage, "3,\"average\"\r\n\"f\",\"psd1\",\"psd2\",\"coherence\"\r\n0.1,1,1,1\r\n");
  c->dir.write(kNoMeasurement, c->dir.read(kGenerated[0].name));
  c->entries.insert(c->entries.begin() + 2, {c->dir.path(), kRefused});
  c->entries.insert(c->entries.begin() + 5, {c->dir.path(), kAverage});
  c->dir.write(kRawData, "sample time(s) status z1 n1 e1\r\n1 0.02 0 10 11 12\r\n");
  c->entries.push_back({c->dir.path(), kNoMeasurement});
  c->entries.push_back({c->dir.path(), kRawData});
  return c;
}

}  // namespace

const SampleCampaign& sampleCampaign() {
  // Kept to the end of the program, when the directory is removed.
  static const std::unique_ptr<SampleCampaign> campaign(generate());
  return *campaign;
}

}  // namespace campaign_testing
