// Inputs that once found a fault in a whole-path fuzz target, replayed through the same target
// with its properties checked: each keeps the fault it found from coming back.
#include <gtest/gtest.h>

#include <cstdint>
#include <filesystem>
#include <fstream>
#include <iterator>
#include <stdexcept>
#include <string>
#include <vector>

extern "C" int fuzzFileRun(const std::uint8_t* data, std::size_t size);
extern "C" int fuzzAverageRoundTrip(const std::uint8_t* data, std::size_t size);

namespace {

namespace fs = std::filesystem;

using Target = int (*)(const std::uint8_t*, std::size_t);

void replayAll(const std::string& target, Target run) {
  const fs::path dir = fs::path(FUZZ_REGRESSIONS_DIR) / target;
  ASSERT_TRUE(fs::is_directory(dir)) << dir;
  int replayed = 0;
  for (const auto& entry : fs::directory_iterator(dir)) {
    std::ifstream in(entry.path(), std::ios::binary);
    const std::vector<char> bytes{std::istreambuf_iterator<char>(in), {}};
    SCOPED_TRACE(entry.path().filename().string());
    try {
      run(reinterpret_cast<const std::uint8_t*>(bytes.data()), bytes.size());
    } catch (const std::runtime_error& failed) {
      ADD_FAILURE() << "property lost: " << failed.what();
    }
    ++replayed;
  }
  EXPECT_GT(replayed, 0) << "no kept input in " << dir;
}

TEST(FuzzRegressions, FileRun) {
  replayAll("file_run", fuzzFileRun);
}

TEST(FuzzRegressions, AverageRoundTrip) {
  replayAll("average_round_trip", fuzzAverageRoundTrip);
}

}  // namespace
