#include <QApplication>
#include <QCommandLineParser>
#include <QLocale>
#include <cstdio>

#include "app/OrvaneApp.h"
#include "app/Translations.h"
#include "stream/FileSystem.h"

namespace {

// --help and --version are answered before QApplication exists, which would
// need a display. Qt's own options (-platform, -style, ...) pass through.
bool AnsweredFromCommandLine(int argc, char* argv[]) {
    QCoreApplication::setApplicationName(QStringLiteral("orvane"));
    QCoreApplication::setApplicationVersion(QStringLiteral(ORVANE_VERSION));
    QCommandLineParser parser;
    parser.setApplicationDescription(QStringLiteral(
        "Drives Pelco-D and Pelco-P PTZ dome cameras over a serial line. COM1 to COM8 are the "
        "links in $XDG_CONFIG_HOME/orvane/ports (default ~/.config/orvane/ports), made with "
        "the Ports... button; see orvane(1)."));
    const QCommandLineOption help = parser.addHelpOption();
    const QCommandLineOption version = parser.addVersionOption();
    QStringList args;
    for (int i = 0; i < argc; ++i) {
        args << QString::fromLocal8Bit(argv[i]);
    }
    parser.parse(args);
    if (parser.isSet(help)) {
        std::fputs(parser.helpText().toLocal8Bit().constData(), stdout);
        return true;
    }
    if (parser.isSet(version)) {
        std::printf("orvane %s\n", ORVANE_VERSION);
        return true;
    }
    return false;
}

}  // namespace

int main(int argc, char* argv[]) {
    if (AnsweredFromCommandLine(argc, argv)) {
        return 0;
    }
    // A file size limit then fails the save instead of killing the program.
    IgnoreFileSizeSignal();
    QApplication application(argc, argv);
#ifdef ORVANE_DESKTOP_ID
    QApplication::setDesktopFileName(QStringLiteral(ORVANE_DESKTOP_ID));
#endif
    // LANGUAGE, LC_ALL, LC_MESSAGES and LANG choose, as for other programs.
    InstallTranslations(QLocale().uiLanguages());
    COrvaneApp app;
    return app.InitInstance() ? QApplication::exec() : 0;
}
