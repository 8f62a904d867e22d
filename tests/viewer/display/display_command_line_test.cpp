// psd-display's command line: help and version without a display, the start directory, and
// mistakes reported with exit status 2.
#include "viewer/display/display_command_line.h"

#include <gtest/gtest.h>

#include <QDir>
#include <filesystem>
#include <sstream>
#include <string>

#include "psd_version.h"
#include "tests/support/temp_dir.h"

namespace viewer {
namespace {

struct Parsed {
  DisplayCommandLine commandLine;
  std::string out, err;
};

Parsed parse(const QStringList& arguments, const QString& workingDirectory) {
  std::ostringstream out, err;
  Parsed p;
  p.commandLine =
      parseDisplayCommandLine(QStringList{"psd-display"} + arguments, workingDirectory, out, err);
  p.out = out.str();
  p.err = err.str();
  return p;
}

// What answerHelpOrVersion() printed, or "(nothing)" when it left the arguments alone.
std::string answered(const QStringList& arguments) {
  std::ostringstream out;
  const std::optional<int> status =
      answerHelpOrVersion(QStringList{"/usr/bin/psd-display"} + arguments, out);
  if (!status) return out.str().empty() ? "(nothing)" : "(nothing, but printed: " + out.str() + ")";
  return "status " + std::to_string(*status) + ": " + out.str();
}

const std::string kVersionLine = std::string("psd-display ") + PSD_DISPLAY_VERSION + "\n";

TEST(DisplayCommandLine, HelpAndVersionAreAnsweredBeforeAnyQtOption) {
  const std::string help = answered({"--help"});
  ASSERT_EQ(help.rfind("status 0: Usage: psd-display [options] [directory]\n", 0), 0) << help;
  for (const char* listed : {"-h, --help", "-v, --version", "directory", "seismic"}) {
    EXPECT_NE(help.find(listed), std::string::npos) << listed;
  }
  EXPECT_EQ(answered({"-h"}), help);
  EXPECT_EQ(answered({"-platform", "offscreen", "--help", "samples"}), help);
  EXPECT_EQ(answered({"--version"}), "status 0: " + kVersionLine);
  EXPECT_EQ(answered({"-v"}), "status 0: " + kVersionLine);

  // Qt's options and a directory are left for the second step; "-reverse" is no "-v".
  EXPECT_EQ(answered({}), "(nothing)");
  EXPECT_EQ(answered({"-platform", "offscreen", "samples"}), "(nothing)");
  EXPECT_EQ(answered({"-reverse"}), "(nothing)");
  EXPECT_EQ(answered({"--", "--version"}), "(nothing)");
}

TEST(DisplayCommandLine, StartsInTheDirectoryGivenOrTheWorkingDirectory) {
  testing_support::TempDir dir;
  std::filesystem::create_directory(dir.path() / "run 1");
  std::filesystem::create_directory(dir.path() / "-odd");
  const QString base = QString::fromStdString(dir.path().string());
  const QString working = QDir(base).filePath("run 1");

  struct Row {
    QStringList arguments;
    QString start;
  };
  for (const Row& row :
       {Row{{}, working}, Row{{base}, base}, Row{{".."}, base}, Row{{base + "/run 1/"}, working},
        Row{{"--", "../-odd"}, base + "/-odd"}}) {
    const Parsed p = parse(row.arguments, working);
    EXPECT_FALSE(p.commandLine.exitStatus) << row.arguments.join(' ').toStdString();
    EXPECT_EQ(p.commandLine.startDirectory, row.start) << row.arguments.join(' ').toStdString();
    EXPECT_EQ(p.out + p.err, "");
  }
}

TEST(DisplayCommandLine, NoSuchDirectoryIsReportedAndTheWorkingDirectoryTaken) {
  testing_support::TempDir dir;
  dir.write("11111111.csvz", "ft2\r\n");
  const QString working = QString::fromStdString(dir.path().string());

  const Parsed missing = parse({"no/such/place"}, working);
  EXPECT_FALSE(missing.commandLine.exitStatus);
  EXPECT_EQ(missing.commandLine.startDirectory, working);
  EXPECT_EQ(missing.err,
            "psd-display: no/such/place: no such directory; starting in the "
            "working directory " +
                working.toStdString() + "\n");

  const Parsed file = parse({"11111111.csvz"}, working);
  EXPECT_FALSE(file.commandLine.exitStatus);
  EXPECT_EQ(file.commandLine.startDirectory, working);
  EXPECT_NE(file.err.find("11111111.csvz: not a directory"), std::string::npos) << file.err;
}

TEST(DisplayCommandLine, MistakesEndWithStatusTwoNamingThem) {
  struct Row {
    QStringList arguments;
    std::string named;
  };
  for (const Row& row : {Row{{"--colour"}, "'colour'"}, Row{{"-x", "."}, "'x'"},
                         Row{{".", ".."}, "one start directory at most, 2 given: . .."}}) {
    const Parsed p = parse(row.arguments, QDir::currentPath());
    EXPECT_EQ(p.commandLine.exitStatus, 2) << row.named;
    EXPECT_EQ(p.err.rfind("psd-display: ", 0), 0) << p.err;
    EXPECT_NE(p.err.find(row.named), std::string::npos) << p.err;
    EXPECT_NE(p.err.find("--help"), std::string::npos) << p.err;
    EXPECT_EQ(p.out, "");
  }
  // Once Qt's options are gone, help and version are answered here too.
  const Parsed help = parse({"--version"}, QDir::currentPath());
  EXPECT_EQ(help.commandLine.exitStatus, 0);
  EXPECT_EQ(help.out, kVersionLine);
}

}  // namespace
}  // namespace viewer
