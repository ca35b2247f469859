// The item models and the painter need a QApplication; tests run without a display.
#include "support/hang_watch.h"

#include <QApplication>

#include <gtest/gtest.h>

// Qt 5's offscreen platform never frees its screen objects; that leak is Qt's, not ours.
extern "C" const char* __lsan_default_suppressions()
{
    return "leak:libqoffscreen.so\n";
}

int main(int argc, char** argv)
{
    z2e::test::watchForHang(90);
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // Windows start a network client: it, and every program a test starts, stays on loopback.
    qputenv("QORINET_ALLOWED_NETWORKS", "127.0.0.0/8");
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    return RUN_ALL_TESTS();
}
