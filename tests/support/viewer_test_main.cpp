// The viewer tests run headless: one QApplication on the offscreen platform for all of them.
// They get a temp directory of their own, so that what the window writes there (the
// back-transformation file) stays apart from other runs.
#include <gtest/gtest.h>

#include <QApplication>
#include <filesystem>
#include <random>
#include <string>

int main(int argc, char** argv) {
  qputenv("QT_QPA_PLATFORM", "offscreen");
  std::random_device entropy;
  const auto base =
      std::filesystem::temp_directory_path() / ("psd-viewer-tests-" + std::to_string(entropy()));
  std::filesystem::create_directories(base / "tmp");
  qputenv("TMPDIR", QByteArray::fromStdString((base / "tmp").string()));
  QApplication app(argc, argv);
  ::testing::InitGoogleTest(&argc, argv);
  const int result = RUN_ALL_TESTS();
  std::error_code ec;
  std::filesystem::remove_all(base, ec);
  return result;
}
