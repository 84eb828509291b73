#include "platform/busy_cursor.h"

#include <QCoreApplication>
#include <QCursor>
#include <QGuiApplication>
#include <gtest/gtest.h>

namespace pelldrake {
namespace {

TEST(BusyCursor, WithoutAGuiApplicationDoesNothing) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    { BusyCursor busy; }
    int argc = 1;
    char name[] = "core_tests";
    char* argv[] = {name, nullptr};
    // A plain QCoreApplication has no cursor either; asking it for one would crash.
    QCoreApplication app(argc, argv);
    { BusyCursor busy; }
}

TEST(BusyCursor, ShowsTheWaitCursorForItsScopeAndNests) {
    ASSERT_EQ(QCoreApplication::instance(), nullptr);
    int argc = 1;
    char name[] = "core_tests";
    char* argv[] = {name, nullptr};
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QGuiApplication app(argc, argv);
    {
        BusyCursor outer;
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
        EXPECT_EQ(QGuiApplication::overrideCursor()->shape(), Qt::WaitCursor);
        { BusyCursor inner; }
        ASSERT_NE(QGuiApplication::overrideCursor(), nullptr);
    }
    EXPECT_EQ(QGuiApplication::overrideCursor(), nullptr);
}

} // namespace
} // namespace pelldrake
