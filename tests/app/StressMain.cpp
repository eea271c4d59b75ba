// The start and stop stress on Qt's offscreen platform, with SDL's disk driver standing in for the
// sound card (a real device open, a real file written). Takes --cycles=N and --seed=S besides
// the test framework's options.
#include <QApplication>
#include <gtest/gtest.h>

#include <cstdlib>
#include <cstring>
#include <string>
#include <unistd.h>

#include "tests/app/StressOptions.h"

StressOptions& Stress()
{
    static StressOptions options;
    return options;
}

int main(int argc, char** argv)
{
    setenv("QT_QPA_PLATFORM", "offscreen", 1);
    setenv("SDL_AUDIODRIVER", "disk", 1);
    const std::string file = "/tmp/kvr-stress-" + std::to_string(getpid()) + ".raw";
    setenv("SDL_DISKAUDIOFILE", file.c_str(), 0);
    QApplication app(argc, argv);
    QApplication::setQuitOnLastWindowClosed(false);
    testing::InitGoogleTest(&argc, argv);
    for (int i = 1; i < argc; ++i) {
        const char* arg = argv[i];
        if (strncmp(arg, "--cycles=", 9) == 0) {
            Stress().cycles = atoi(arg + 9);
        } else if (strncmp(arg, "--seed=", 7) == 0) {
            Stress().seed = strtoull(arg + 7, nullptr, 10);
        } else {
            fprintf(stderr, "unknown option %s (--cycles=N, --seed=S)\n", arg);
            return 2;
        }
    }
    const int result = RUN_ALL_TESTS();
    unlink(file.c_str());
    return result;
}
