// The desktop's shortcuts on the menu items "print" and "exit" run the items' own handlers.
#include <gtest/gtest.h>

#include <QAction>
#include <QPrinterInfo>
#include <QSignalSpy>
#include <QtTest/QTest>

#include "tests/support/temp_dir.h"
#include "viewer/display/display.h"

namespace viewer {
namespace {

class MenuShortcutsTest : public ::testing::Test {
 protected:
  MenuShortcutsTest() : window(QString::fromStdString(dir.path().string())) {
    window.show();
    window.activateWindow();
    active = QTest::qWaitForWindowActive(&window);
  }

  testing_support::TempDir dir;
  Display window;
  bool active = false;
};

TEST_F(MenuShortcutsTest, PrintAndExitCarryTheStandardKeys) {
  EXPECT_EQ(window.mprint->text(), "print");
  EXPECT_EQ(window.mprint->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_P));
  EXPECT_EQ(window.mexit->text(), "exit");
  EXPECT_EQ(window.mexit->shortcut(), QKeySequence(Qt::CTRL | Qt::Key_Q));
  // No other menu item took either key.
  for (const QAction* action : window.findChildren<QAction*>()) {
    if (action == window.mprint || action == window.mexit) continue;
    EXPECT_TRUE(action->shortcut().isEmpty()) << action->objectName().toStdString();
  }
}

TEST_F(MenuShortcutsTest, CtrlPRunsThePrintItem) {
  // With a printer at hand the item would really print: not from a test.
  if (!QPrinterInfo::defaultPrinter().isNull()) GTEST_SKIP() << "a default printer exists";
  ASSERT_TRUE(active);
  QSignalSpy triggered(window.mprint, &QAction::triggered);
  QTest::keyClick(&window, Qt::Key_P, Qt::ControlModifier);
  EXPECT_EQ(triggered.count(), 1);
  EXPECT_EQ(window.statusText(), "print: no printer is available");  // what mprint_Click says
}

TEST_F(MenuShortcutsTest, CtrlQRunsTheExitItem) {
  ASSERT_TRUE(active);
  QSignalSpy triggered(window.mexit, &QAction::triggered);
  QTest::keyClick(&window, Qt::Key_Q, Qt::ControlModifier);
  EXPECT_EQ(triggered.count(), 1);
  EXPECT_FALSE(window.isVisible());  // mexit_Click closed the window
}

}  // namespace
}  // namespace viewer
