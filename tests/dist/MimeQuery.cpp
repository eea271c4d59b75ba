// Prints the MIME type that the shared MIME database gives each file by its name, with the type's
// icon and generic icon: "NAME ICON GENERIC-ICON", one line per file. The database is the one
// the environment points at (XDG_DATA_HOME, XDG_DATA_DIRS), which lets a test ask an installed
// tree rather than the machine's own.
#include <QMimeDatabase>
#include <QMimeType>
#include <QString>
#include <cstdio>

int main(int argc, char** argv)
{
    if (argc < 2) {
        fputs("usage: kvr_mime_query FILE...\n", stderr);
        return 2;
    }
    const QMimeDatabase database;
    for (int i = 1; i < argc; ++i) {
        const QMimeType type = database.mimeTypeForFile(QString::fromLocal8Bit(argv[i]), QMimeDatabase::MatchExtension);
        printf("%s %s %s\n", qPrintable(type.name()), qPrintable(type.iconName()), qPrintable(type.genericIconName()));
    }
    return 0;
}
