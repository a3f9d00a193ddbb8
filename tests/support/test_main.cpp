#include <QApplication>
#include <QFont>
#include <QStandardPaths>
#include <gtest/gtest.h>

int main(int argc, char** argv)
{
    if (qEnvironmentVariableIsEmpty("QT_QPA_PLATFORM"))
        qputenv("QT_QPA_PLATFORM", "offscreen");
    // What the program keeps in the user's settings (the folders of the file
    // dialogs) goes to a test location, never into the user's own.
    QStandardPaths::setTestModeEnabled(true);
    ::testing::InitGoogleTest(&argc, argv);
    QApplication app(argc, argv);
    QApplication::setApplicationName(QStringLiteral("Quarrix"));
    QFont font = QApplication::font();
    font.setPixelSize(11);
    QApplication::setFont(font);
    return RUN_ALL_TESTS();
}
