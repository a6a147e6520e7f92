#include <gtest/gtest.h>

#include <QApplication>
#include <cstdlib>

#include "platform/graphics/Graphics.h"
#include "platform/rtl/Dates.h"
#include "tests/support/Support.h"

// Every test process runs with Qt's offscreen platform (unless a display is asked for) and a
// private, empty data folder.
int main(int argc, char** argv) {
    if (!std::getenv("QT_QPA_PLATFORM")) setenv("QT_QPA_PLATFORM", "offscreen", 1);
    PrivateDataHome Home;
    QApplication App(argc, argv);
    RegisterColorIdents();
    LoadLocaleDayNames();
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
