// Waiting in viewer tests for what the event loop brings about. QtTest's QTRY_ macros report a
// time-out to QtTest's own log and return from the function, which GoogleTest counts as a pass;
// these fail the test instead. Both process events until the condition holds or `ms` have passed.
#pragma once

#include <gtest/gtest.h>

#include <QtTest/QTest>

#define WAIT_UNTIL(condition, ms)                                                  \
  ASSERT_TRUE(QTest::qWaitFor([&] { return static_cast<bool>(condition); }, (ms))) \
      << "still false after " << (ms) << " ms: " #condition

#define WAIT_UNTIL_EQ(actual, expected, ms)                                 \
  do {                                                                      \
    (void)QTest::qWaitFor([&] { return (actual) == (expected); }, (ms));    \
    ASSERT_EQ(actual, expected) << "still unequal after " << (ms) << " ms"; \
  } while (false)
