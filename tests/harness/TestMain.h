#pragma once

#include "tests/harness/TestEnvironment.h"

#include <QApplication>
#include <QTest>

// A QtTest main that builds the test's environment (folders, bus, display) before
// the application object exists, and tears it down afterwards.
//
//   VORNIK_TEST_MAIN(MyTest, vtest::EnvironmentOptions{})
//   VORNIK_TEST_MAIN(MyX11Test, (vtest::EnvironmentOptions{.x11 = true}))
#define VORNIK_TEST_MAIN(TestClass, options)                                                                       \
    int main(int argc, char **argv)                                                                                \
    {                                                                                                              \
        vtest::TestEnvironment environment(options);                                                               \
        int status = 0;                                                                                            \
        {                                                                                                          \
            QApplication app(argc, argv);                                                                          \
            app.setQuitOnLastWindowClosed(false);                                                                  \
            TestClass test;                                                                                        \
            status = QTest::qExec(&test, argc, argv);                                                              \
        }                                                                                                          \
        return status;                                                                                             \
    }
