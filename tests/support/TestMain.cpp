#include <QApplication>

#include <gtest/gtest.h>

// Every test program runs with an application object, headless unless told otherwise: the
// windows, images and icons under test need one.
int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    QApplication application(argc, argv);
    ::testing::InitGoogleTest(&argc, argv);
    return RUN_ALL_TESTS();
}
