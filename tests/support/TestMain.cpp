// Every test executable runs with a QApplication on Qt's offscreen platform,
// so that widgets, screens and cursors are real without a display.

#include <QApplication>
#include <clocale>
#include <cstdlib>
#include <gtest/gtest.h>

int main(int argc, char** argv) {
    ::setenv("QT_QPA_PLATFORM", "offscreen", 0);
    // The show's sounds play in real time, but silently.
    ::setenv("VIMBREL_AUDIO_OUTPUT", "null", 0);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication application(argc, argv);
    std::setlocale(LC_NUMERIC, "C");
    return RUN_ALL_TESTS();
}
