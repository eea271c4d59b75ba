// kvrplayer-picture RECORDING.kvr OUT.png [SECONDS]: the player's window as it looks after playing
// the recording for a few seconds, drawn without a display. The run command shows it on machines
// that have no screen, so the player's main job can still be seen.
#include <QApplication>
#include <QElapsedTimer>
#include <QImage>
#include <cstdio>
#include <cstdlib>

#include "app/CKvrPlayerDlg.h"

int main(int argc, char** argv)
{
    if (argc < 3 || argc > 4) {
        fputs("usage: kvrplayer-picture RECORDING.kvr OUT.png [SECONDS]\n", stderr);
        return 2;
    }
    const int seconds = argc == 4 ? atoi(argv[3]) : 3;
    if (seconds < 0 || seconds > 600) {
        fputs("kvrplayer-picture: SECONDS must be 0 to 600\n", stderr);
        return 2;
    }
    setenv("QT_QPA_PLATFORM", "offscreen", 0);
    int qtArgc = 1;
    QApplication application(qtArgc, argv);

    CKvrPlayerDlg dlg;
    dlg.m_strMediaPath = argv[1];
    dlg.m_bCommandLineFile = 1;
    if (dlg.Create() != 0) {
        fputs("kvrplayer-picture: the player's window could not be created\n", stderr);
        return 1;
    }
    dlg.show();
    QElapsedTimer played;
    played.start();
    while (played.elapsed() < seconds * 1000) {
        QApplication::processEvents(QEventLoop::AllEvents, 20);
    }
    const bool saved = dlg.grab().toImage().save(QString::fromLocal8Bit(argv[2]), "PNG");
    dlg.done(0);   // the player's own teardown: the playback thread ends before the windows
    if (!saved) {
        fprintf(stderr, "kvrplayer-picture: cannot write %s\n", argv[2]);
        return 1;
    }
    printf("kvrplayer-picture: the player's window after %d s is in %s\n", seconds, argv[2]);
    return 0;
}
