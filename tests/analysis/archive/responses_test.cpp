#include "analysis/archive/mseed_file.h"
#include "analysis/archive/sds_layout.h"
#include "tests/analysis/archive/archive_fixtures.h"
#include "tests/support/temp_dir.h"

namespace archive_test {
namespace {

// Two epochs of one channel, the second with another sensitivity and stage gains that do not
// multiply to it.
std::string twoEpochs() {
  const char* epoch = R"(<Channel code="HHZ" locationCode="" startDate="%s"%s><Response>
    <InstrumentSensitivity><Value>%s</Value><Frequency>1</Frequency>
    <InputUnits><Name>M/S</Name></InputUnits></InstrumentSensitivity>
    <Stage number="1"><StageGain><Value>1e8</Value></StageGain></Stage></Response></Channel>)";
  char first[600], second[600];
  std::snprintf(first, sizeof first, epoch, "2025-01-01T00:00:00",
                R"( endDate="2026-01-01T00:00:00")", "1e8");
  std::snprintf(second, sizeof second, epoch, "2026-01-01T00:00:00", "", "2e8");
  return std::string(R"(<FDSNStationXML><Network code="XX"><Station code="ST1">)") + first +
         second + "</Station></Network></FDSNStationXML>";
}

TEST(StationXmlEpochs, TheEpochCoveringTheTimeGivesTheResponse) {
  testing_support::TempDir dir;
  const auto path = dir.write("epochs.xml", twoEpochs());
  ResponseSet responses;
  std::vector<std::string> notes;
  ASSERT_EQ(responses.addResponse(path.string(), notes), std::nullopt);
  ASSERT_EQ(notes.size(), 1u);  // the second epoch's gains are half its sensitivity
  EXPECT_NE(
      notes[0].find("XX.ST1..HHZ: the stage gains multiply to 1e+08, the sensitivity is 2e+08"),
      std::string::npos)
      << notes[0];
  const SeedId id = idOf(segmentId());
  const auto at = [&](const char* time) { return responses.find(id, *parseIsoUtc(time)); };
  ASSERT_NE(at("2025-06-01T00:00:00Z"), nullptr);
  EXPECT_EQ(at("2025-06-01T00:00:00Z")->response.sensitivity, 1e8);
  EXPECT_EQ(at("2026-01-01T00:00:00Z")->response.sensitivity, 2e8);  // an end is exclusive
  EXPECT_EQ(at("2024-12-31T23:59:59Z"), nullptr);
}

struct BadResponse {
  std::string text;
  std::string problem;
};

class RefusedResponse : public testing::TestWithParam<BadResponse> {};

TEST_P(RefusedResponse, NamesTheFileAndTheProblem) {
  testing_support::TempDir dir;
  const auto path = dir.write("r.pz", GetParam().text);
  ResponseSet responses;
  std::vector<std::string> notes;
  const auto problem = responses.addResponse(segmentId() + "=" + path.string(), notes);
  ASSERT_TRUE(problem.has_value());
  EXPECT_EQ(*problem, path.string() + ": " + GetParam().problem);
}

INSTANTIATE_TEST_SUITE_P(
    SacPoleZero, RefusedResponse,
    testing::Values(BadResponse{"ZEROS 2\nPOLES 1\n-1 0\n", "line 3: no CONSTANT"},
                    BadResponse{"ZEROS 1\n0 0\n0 0\nCONSTANT 1\n",
                                "line 3: more values than the count"},
                    BadResponse{"* INPUT UNIT : V\nZEROS 0\nCONSTANT 1\n",
                                "line 1: input unit 'V' is not M, M/S or M/S**2"},
                    BadResponse{"POLES x\n", "line 1: POLES needs a count from 0 to 1000"}));

TEST(ArchiveListing, ChannelsOfAnSdsTreeAndOfAFile) {
  testing_support::TempDir dir;
  const auto a = idOf("XX.ST1..HHZ"), b = idOf("XX.ST2.00.HHN");
  const auto counts = testCounts(500, 20);
  const auto fileA = sdsDayFile(dir.path(), a, *dayNumberOf(2026, 100));
  writeTrace(fileA, a, 0, 20, counts);
  writeTrace(sdsDayFile(dir.path(), b, *dayNumberOf(2026, 101)), b, 0, 20, counts);
  writeTrace(fileA, b, 0, 20, counts);  // a second channel inside a file
  EXPECT_EQ(fileA.filename().string(), "XX.ST1..HHZ.D.2026.100");
  EXPECT_EQ(sdsChannels(dir.path()), (std::vector<SeedId>{a, b}));
  EXPECT_EQ(sdsDaysPresent(dir.path(), b), (std::vector<std::int64_t>{*dayNumberOf(2026, 101)}));
  EXPECT_EQ(channelsInMseedFile(fileA), (std::vector<SeedId>{a, b}));
}

}  // namespace
}  // namespace archive_test
