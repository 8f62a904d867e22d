// "Save image..." never leaves part of an image: a write that fails (the file size limit of the
// process stands in for a full disk: the same failing write(), no mount needed) or a directory
// that cannot be written is reported naming the file, and a file of that name stays as it was.
#include "viewer/plots/plot_export.h"

#include <gtest/gtest.h>
#include <qcustomplot.h>
#include <sys/resource.h>

#include <QLabel>
#include <QVBoxLayout>
#include <cerrno>
#include <csignal>
#include <cstring>
#include <filesystem>

#include "tests/support/temp_dir.h"
#include "viewer/plots/file_replacement.h"

namespace viewer {
namespace {

namespace fs = std::filesystem;

std::size_t entriesIn(const fs::path& directory) {
  return static_cast<std::size_t>(
      std::distance(fs::directory_iterator(directory), fs::directory_iterator()));
}

// Writes beyond `bytes` fail with EFBIG (SIGXFSZ ignored) while it lives.
class FileSizeLimit {
 public:
  explicit FileSizeLimit(rlim_t bytes) {
    oldSignal_ = std::signal(SIGXFSZ, SIG_IGN);
    getrlimit(RLIMIT_FSIZE, &old_);
    rlimit limit = old_;
    limit.rlim_cur = bytes;
    setrlimit(RLIMIT_FSIZE, &limit);
  }
  ~FileSizeLimit() {
    setrlimit(RLIMIT_FSIZE, &old_);
    std::signal(SIGXFSZ, oldSignal_);
  }

 private:
  rlimit old_{};
  void (*oldSignal_)(int) = nullptr;
};

TEST(PlotExport, AnImageThatCannotBeWrittenWholeLeavesTheOldFileAsItWas) {
  testing_support::TempDir dir;
  QCustomPlot plot;
  plot.resize(400, 300);
  plot.addGraph()->setData({1, 2, 3}, {1, 4, 9});
  QString problem;
  for (const char* name : {"plot.png", "plot.pdf"}) {
    SCOPED_TRACE(name);
    dir.write(name, "the image saved before");
    const QString path = QString::fromStdString((dir.path() / name).string());
    {
      const FileSizeLimit full(512);
      EXPECT_FALSE(savePlotImage(&plot, path, 2, &problem));
    }
    EXPECT_EQ(problem, path + ": " + QString::fromLocal8Bit(std::strerror(EFBIG)));
    EXPECT_EQ(dir.read(name), "the image saved before");
    EXPECT_TRUE(savePlotImage(&plot, path, 2, &problem)) << problem.toStdString();
    EXPECT_NE(dir.read(name), "the image saved before");
  }
  EXPECT_EQ(entriesIn(dir.path()), 2u);  // no temporary file left

  const QString missing = QString::fromStdString((dir.path() / "no" / "plot.png").string());
  EXPECT_FALSE(savePlotImage(&plot, missing, 2, &problem));
  EXPECT_TRUE(problem.startsWith(missing + ": ")) << problem.toStdString();
  EXPECT_FALSE(fs::exists(dir.path() / "no"));
}

TEST(PlotExport, AWriterThatFailsReplacesNothingAndTheStatusLineSaysSo) {
  testing_support::TempDir dir;
  dir.write("plot.png", "before");
  const QString path = QString::fromStdString((dir.path() / "plot.png").string());
  const auto problem = replaceFile(path, [](QIODevice& device) {
    device.write("half an image");
    return false;
  });
  ASSERT_TRUE(problem);
  EXPECT_EQ(*problem, path + ": its contents could not be made");
  EXPECT_EQ(dir.read("plot.png"), "before");
  EXPECT_EQ(entriesIn(dir.path()), 1u);

  QWidget window;
  auto* status = new QLabel(&window);
  status->setObjectName("status");
  auto* inner = new QWidget(new QWidget(&window));
  reportOnStatusLine(inner, "Save image: " + *problem);
  EXPECT_EQ(status->text(), "Save image: " + *problem);
}

}  // namespace
}  // namespace viewer
