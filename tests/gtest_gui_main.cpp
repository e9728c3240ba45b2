// main() for GoogleTest programs that need a QApplication (widgets, timers,
// event loops).  The platform comes from QT_QPA_PLATFORM; ctest sets it to
// offscreen, and a hand run without a display falls back to it as well.
#include <QApplication>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM") && qEnvironmentVariableIsEmpty("DISPLAY"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication app(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
