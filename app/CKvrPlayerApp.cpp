#include "app/CKvrPlayerApp.h"

#include <QApplication>
#include <cstdio>
#include <string>

#include "app/CKvrPlayerDlg.h"
#include "app/CommandLineText.h"

namespace {

const char kUsage[] =
    "usage: kvrplayer [RECORDING.kvr]\n"
    "\n"
    "Plays a recording of networked cameras: the media file RECORDING.kvr with its index\n"
    "RECORDING.idx beside it. Everything after the program name is the path of the media file,\n"
    "blanks and quotation marks included; without it the player starts with nothing open.\n"
    "\n"
    "  --help      this text (only as the whole command line)\n"
    "  --version   the program's version (only as the whole command line)\n";

}  // namespace

int CKvrPlayerApp::InitInstance(int argc, char** argv)
{
    const std::string commandLine = CommandLineText(argc, argv);
    switch (ClassifyCommandLine(commandLine)) {
    case CommandLineRequest::kHelp:
        fputs(kUsage, stdout);
        return 0;
    case CommandLineRequest::kVersion:
        printf("kvrplayer %s\n", KVR_VERSION);
        return 0;
    case CommandLineRequest::kRun:
        break;
    }

    // Qt sees the program name only: every argument belongs to the recording's path, even one
    // that looks like a Qt option.
    char programName[] = "kvrplayer";
    char* qtArgv[] = {argc > 0 && argv[0] != nullptr ? argv[0] : programName, nullptr};
    int qtArgc = 1;
    QApplication application(qtArgc, qtArgv);
    // The settings key; the program itself keeps no settings.
    QCoreApplication::setOrganizationName(QStringLiteral("Local AppWizard-Generated Applications"));
    QCoreApplication::setApplicationName(QStringLiteral("KvrPlayer"));
    QGuiApplication::setDesktopFileName(QStringLiteral("kvrplayer"));

    CKvrPlayerDlg dlg;
    if (!commandLine.empty()) {
        dlg.m_strMediaPath = commandLine;
        dlg.m_bCommandLineFile = 1;
    }
    // The program ends with the dialog; no event loop runs after it.
    return dlg.DoModal() < 0 ? 1 : 0;
}
