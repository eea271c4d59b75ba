// The window code's tests run on Qt's offscreen platform, with SDL's disk driver standing in for
// the sound card.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <string>
#include <unistd.h>

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    const std::string file = "/tmp/kvr-qt-tests-" + std::to_string(getpid()) + ".raw";
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 0);
    QApplication app(argc, argv);
    // A test closes many windows; none of them ends the application.
    QApplication::setQuitOnLastWindowClosed(false);
    testing::InitGoogleTest(&argc, argv);
    const int result = RUN_ALL_TESTS();
    unlink(file.c_str());
    return result;
}
